#ifndef MDBTOMYSQL_VERIFY_CELL_TEXT_H_
#define MDBTOMYSQL_VERIFY_CELL_TEXT_H_

#include <string>
#include <string_view>

#include "db/value.h"

namespace verify {

// Every value is compared as a cell: the text of one field of a LOAD DATA line, as
// migrate::AppendTabField writes what the migration sends. Backslash escapes keep a cell free of
// tabs and line ends, and NULL is "\N", so two values are equal exactly when their cells are.

// A value as MySQL holds it, in that form, with nothing trimmed or replaced: the cell that the
// migration's rendering of the source value must equal.
std::string StoredCell(const db::Value& value);

// The bytes a cell stands for, its escapes undone (the order of text keys is that of bytes).
std::string CellBytes(std::string_view cell);

// A cell for a person: NULL, or the text between single quotes with its escapes as they are,
// cut after `limit` characters with the full length said.
std::string ShownCell(std::string_view cell, size_t limit = 60);

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_CELL_TEXT_H_
