#ifndef MDBTOMYSQL_MIGRATE_VALUE_RENDERING_H_
#define MDBTOMYSQL_MIGRATE_VALUE_RENDERING_H_

#include <string>
#include <string_view>

#include "db/value.h"

namespace migrate {

// Doubles every single quote and removes outer spaces (the space character only). No length
// limit.
std::string FixQuote(const std::string& text);

// The date and time rounded to the nearest second, carrying into the minute, hour and date.
db::DateTime RoundToSecond(const db::DateTime& t);

// "yyyy-MM-dd HH:mm:ss" of the value rounded to the second.
std::string FormatDateTime(const db::DateTime& t);

// A Double as MySQL reads it back to the same double: the shortest form, with "." whatever the
// locale. Raises db::Error for NaN and infinities, which no column can hold.
std::string DoubleLiteral(double value);

// The entry of one value in an INSERT's values list for a column of ADO type `type`, without the
// separating ", ": a quoted, quote-doubled, trimmed text ('' for Null); a number (0 for Null;
// True / False for Booleans); a quoted date and time, NULL for an absent date. Returns false
// (and leaves `out` alone) for a type that gets no entry.
bool AppendLiteral(int type, const db::Value& value, std::string* out);

// The same value as AppendLiteral's, as one field of a row for LOAD DATA with the separators of
// TabFile: the trimmed text unquoted, with backslash, tab, newline, carriage return and NUL
// written as backslash escapes; 1 / 0 for Booleans; \N for an absent date. Returns false for a
// type that gets no entry.
bool AppendTabField(int type, const db::Value& value, std::string* out);

// A text as it stands in such a field, untrimmed: backslash, tab, newline, carriage return and
// NUL as backslash escapes, every other byte as it is.
void AppendTabText(std::string_view text, std::string* out);

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_VALUE_RENDERING_H_
