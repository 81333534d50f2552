#ifndef MDBTOMYSQL_CLI_EXPORT_TEXT_H_
#define MDBTOMYSQL_CLI_EXPORT_TEXT_H_

#include <string>
#include <string_view>

#include "jet/value.h"

namespace cli {

// How the file commands write a text: backslash, tab, newline and carriage return escaped as
// \\ \t \n \r, so that one line stays one row and a tab one field.
void AppendEscaped(std::string_view text, std::string* out);

// One value as the export writes it: NULL is \N; Yes/No 1/0; numbers in their shortest exact
// form; Currency with four decimals; dates yyyy-MM-dd HH:mm:ss (rounded to the second); binary
// 0x + hex; text escaped. Throws jet::Error for a date outside Jet's range.
void AppendExportValue(const jet::Value& value, std::string* out);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_EXPORT_TEXT_H_
