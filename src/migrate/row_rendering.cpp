#include "migrate/row_rendering.h"

#include "migrate/value_rendering.h"

namespace migrate {

std::string InsertValues(const db::Fields& fields) {
  std::string values;
  for (int i = 0; i < fields.Count(); ++i) {
    const db::Field& f = fields.Item(i);
    if (AppendLiteral(f.Type(), f.GetValue(), &values)) values += ", ";
  }
  if (!values.empty()) values.erase(values.size() - 2);
  return values;
}

void AppendTabLine(const db::Fields& fields, std::string* line) {
  for (int i = 0; i < fields.Count(); ++i) {
    const db::Field& f = fields.Item(i);
    AppendTabField(f.Type(), f.GetValue(), line);
    *line += '\t';
  }
  line->back() = '\n';
}

}  // namespace migrate
