#ifndef MDBTOMYSQL_VERIFY_PAGED_ROWS_H_
#define MDBTOMYSQL_VERIFY_PAGED_ROWS_H_

#include <memory>
#include <string>
#include <vector>

#include "db/session.h"
#include "verify/row_stream.h"

namespace verify {

// How a key column is written in a statement: its value's literal, and the expression that
// orders it as the comparison does.
enum class KeyLiteral {
  kNumber,  // the cell as it stands
  kBytes,   // X'..' of the cell's bytes, against CAST(column AS BINARY)
  kQuoted,  // '...' (a date and time)
};

struct KeyColumn {
  std::string expression;  // `Name`, or CAST(`Name` AS BINARY)
  size_t cell = 0;         // its cell in the rows read
  KeyLiteral literal = KeyLiteral::kNumber;
};

// The rows of "SELECT `columns` FROM table" in the key's order, a page at a time: each page is
// the next `page_rows` rows after the last key read ("WHERE (key) > (last) ORDER BY key LIMIT
// n"), since the MySQL driver keeps a whole result in memory. The key must be unique in MySQL
// (its primary key). Each value as MySQL holds it (StoredCell).
class PagedRows : public RowReader {
 public:
  static constexpr long kPageRows = 20000;

  PagedRows(db::Session& mysql, std::string select_from, std::vector<KeyColumn> key,
            long page_rows = kPageRows);
  bool Next(Row* row) override;

  // The statement of the page after `last` (the first page when null).
  std::string PageStatement(const Row* last) const;
  // Every row at once, in the key's order.
  std::string OrderedStatement() const;

 private:
  db::Session& mysql_;
  std::string select_from_;
  std::vector<KeyColumn> key_;
  long page_rows_;
  std::unique_ptr<CursorRows> page_;
  long read_in_page_ = 0;
  bool last_page_ = false;
  Row last_;
  bool started_ = false;
};

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_PAGED_ROWS_H_
