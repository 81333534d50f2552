#include "db/recordset.h"

#include <cctype>

#include "base/ascii_case.h"
#include "db/error.h"

namespace db {
namespace {

constexpr long kNoCurrentRecord = 3021;
constexpr long kItemNotFound = 3265;

[[noreturn]] void RaiseNoCurrentRecord() {
  throw Error(kNoCurrentRecord,
              "Either BOF or EOF is True, or the current record has been deleted. Requested "
              "operation requires a current record.");
}

}  // namespace

const Value& Field::GetValue() const { return owner_->CurrentValue(index_); }

Fields::Fields(const Recordset& owner, const std::vector<FieldInfo>& infos) {
  fields_.reserve(infos.size());
  for (size_t i = 0; i < infos.size(); ++i) fields_.emplace_back(owner, infos[i], int(i));
}

const Field& Fields::Item(int index) const {
  if (index < 0 || index >= Count())
    throw Error(kItemNotFound,
                "Item cannot be found in the collection corresponding to the requested name or "
                "ordinal.");
  return fields_[size_t(index)];
}

const Field& Fields::Item(std::string_view name) const {
  for (const Field& f : fields_)
    if (base::EqualsIgnoringCase(f.Name(), name)) return f;
  throw Error(kItemNotFound,
              "Item cannot be found in the collection corresponding to the requested name or "
              "ordinal.");
}

Recordset::Recordset() = default;

Recordset::Recordset(std::unique_ptr<Cursor> cursor) : cursor_(std::move(cursor)) {
  infos_ = cursor_->Columns();
  fields_ = db::Fields(*this, infos_);
  eof_ = !cursor_->Next(row_);
  bof_ = eof_;
}

void Recordset::MoveNext() {
  if (eof_) RaiseNoCurrentRecord();
  bof_ = false;
  if (!cursor_->Next(row_)) {
    eof_ = true;
    row_.clear();
  }
}

const Value& Recordset::CurrentValue(int index) const {
  if (eof_ || index < 0 || size_t(index) >= row_.size()) RaiseNoCurrentRecord();
  return row_[size_t(index)];
}

}  // namespace db
