#include "db/jet_cursor.h"

#include "db/engine_call.h"
#include "db/jet_field.h"
#include "jet/text.h"

namespace db {

JetCursor::JetCursor(std::shared_ptr<jet::Database> database, jet::TableCursor rows,
                     const std::vector<std::string>& required)
    : database_(std::move(database)), rows_(std::move(rows)) {
  for (const jet::Column& c : rows_->def().columns) {
    bool is_required = false;
    for (const std::string& name : required) is_required |= jet::NamesEqual(name, c.name);
    columns_.push_back(DescribeJetColumn(c, is_required));
  }
}

bool JetCursor::Next(std::vector<Value>& row) {
  return EngineCall([&] {
    if (!rows_->Next()) return false;
    const std::vector<jet::Column>& columns = rows_->def().columns;
    const std::vector<jet::Value>& values = rows_->values();
    row.clear();
    row.reserve(columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
      row.push_back(ConvertJetValue(values[i], columns[i]));
    return true;
  });
}

}  // namespace db
