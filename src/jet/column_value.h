#ifndef MDBTOMYSQL_JET_COLUMN_VALUE_H_
#define MDBTOMYSQL_JET_COLUMN_VALUE_H_

#include <string>

#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// One "column = value" of an UPDATE, or of its WHERE. Values come as the statement writes
// them: text (std::string), whole numbers (int64_t), other numbers (double), NULL (monostate).
struct ColumnValue {
  std::string column;
  Value value;
};

// A statement's value as `column` will store it and read it back (whole numbers for integer
// columns, Currency rounded to ten-thousandths, Single rounded to float, Date for Date/Time), so
// that index keys and comparisons see what will be stored. Throws jet::Error when it does not
// suit the column: another type, decimals for an integer column, a number too large for a
// Currency, NULL for a Yes/No, a column type this engine does not change.
Value ValueForColumn(const Column& column, const Value& value);

// Jet's "=" between a stored value and a statement's value: text ignoring case as names
// compare, numbers (Yes being -1) by value across types; NULL equals nothing.
bool ValuesMatch(const Value& stored, const Value& wanted);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_COLUMN_VALUE_H_
