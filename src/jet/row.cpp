#include "jet/row.h"

#include <optional>
#include <string_view>

#include "jet/long_value.h"
#include "jet/row_layout.h"
#include "jet/stored_value.h"
#include "jet/text.h"

namespace jet {

void RowDecoder::Decode(const uint8_t* row, size_t length, PageNumber page,
                        std::vector<Value>* values) {
  const StoredRow stored(def_, row, length, cache_, page);
  values->resize(def_.columns.size());
  for (size_t i = 0; i < def_.columns.size(); ++i) {
    const Column& c = def_.columns[i];
    Value* v = &(*values)[i];
    if (!wanted_.empty() && (i >= wanted_.size() || !wanted_[i])) {
      *v = std::monostate{};
      continue;
    }
    const std::optional<std::string_view> bytes = stored.Bytes(c);
    if (c.type == kTypeBoolean) {
      *v = bytes.has_value();
      continue;
    }
    if (!bytes) {
      *v = std::monostate{};
      continue;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    if (c.type == kTypeMemo) {
      std::string raw;
      ReadLongValue(cache_, data, bytes->size(), &raw);
      if (!std::holds_alternative<std::string>(*v)) v->emplace<std::string>();
      DecodeText(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(),
                 &std::get<std::string>(*v));
    } else if (c.type == kTypeOle) {
      if (!std::holds_alternative<Binary>(*v)) v->emplace<Binary>();
      ReadLongValue(cache_, data, bytes->size(), &std::get<Binary>(*v).bytes);
    } else {
      DecodeValue(c, data, bytes->size(), cache_, page, v);
    }
  }
}

StoredColumns EncodeRow(const TableDef& def, const std::vector<Value>& values) {
  StoredColumns stored;
  for (size_t i = 0; i < def.columns.size() && i < values.size(); ++i) {
    const Column& c = def.columns[i];
    std::optional<std::string> bytes;
    if (c.type == kTypeBoolean) {
      const bool* yes = std::get_if<bool>(&values[i]);
      if (yes != nullptr && *yes) bytes = std::string();
    } else if (!IsNull(values[i])) {
      bytes = StoreValue(c, values[i]);
    }
    if (!bytes) continue;
    if (stored.size() <= c.number) stored.resize(c.number + 1u);
    stored[c.number] = std::move(bytes);
  }
  return stored;
}

StoredColumns EncodeRow(const TableDef& def, const std::vector<ColumnValue>& values,
                        const std::string& table, const std::string& file_name) {
  std::vector<Value> row(def.columns.size());
  for (const ColumnValue& cv : values) {
    const Column& c = RequireColumn(def, cv.column, table, file_name);
    row[static_cast<size_t>(&c - def.columns.data())] = cv.value;
  }
  return EncodeRow(def, row);
}

}  // namespace jet
