#ifndef MDBTOMYSQL_VERIFY_ROW_STREAM_H_
#define MDBTOMYSQL_VERIFY_ROW_STREAM_H_

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/recordset.h"
#include "verify/expected_table.h"

namespace verify {

// One row as cells (verify/cell_text.h): one per compared column, in the table's order, and for
// a surrogate key its number last.
using Row = std::vector<std::string>;

// The order both sides of a comparison are read in: by the key's cells, a number key by its
// value, any other (texts, dates written yyyy-MM-dd HH:mm:ss) by its bytes, as MySQL orders
// BINARY values.
class KeyOrder {
 public:
  KeyOrder() = default;
  // `cells` are the positions of the key's cells in a Row; `numeric` says for each whether it
  // is a number.
  KeyOrder(std::vector<size_t> cells, std::vector<bool> numeric)
      : cells_(std::move(cells)), numeric_(std::move(numeric)) {}

  // <0, 0 or >0 as the key of `a` comes before, with or after that of `b`.
  int Compare(const Row& a, const Row& b) const;
  bool Less(const Row& a, const Row& b) const { return Compare(a, b) < 0; }
  const std::vector<size_t>& cells() const { return cells_; }

 private:
  std::vector<size_t> cells_;
  std::vector<bool> numeric_;
};

// Rows one at a time.
class RowReader {
 public:
  virtual ~RowReader() = default;
  // The next row into `row`; false at the end.
  virtual bool Next(Row* row) = 0;
};

// Raised by a reader that finds the source out of the key's order.
struct OutOfOrder : std::runtime_error {
  OutOfOrder() : std::runtime_error("the source is not in the key's order") {}
};

// The source's rows as the migration sends them (migrate::AppendTabField), or, for a table read
// through its link, as MySQL holds them. A surrogate key numbers the rows as the server numbers
// them: `first_id`, then every `id_step`. With `order` set, raises OutOfOrder at the first row
// whose key comes before its predecessor's. `on_row` hears of each row read.
class SourceRows : public RowReader {
 public:
  SourceRows(std::unique_ptr<db::Recordset> rows, const ExpectedTable& table,
             const std::vector<const ExpectedColumn*>& compared, const KeyOrder* order,
             long first_id, long id_step, std::function<void(long)> on_row);
  bool Next(Row* row) override;

 private:
  std::unique_ptr<db::Recordset> rows_;
  std::vector<const ExpectedColumn*> compared_;
  bool through_link_;
  bool surrogate_;
  const KeyOrder* order_;
  long next_id_;
  long id_step_;
  std::function<void(long)> on_row_;
  long read_ = 0;
  Row previous_;
};

// The rows of a MySQL result, each value as it is held (StoredCell).
class CursorRows : public RowReader {
 public:
  explicit CursorRows(std::unique_ptr<db::Cursor> cursor) : cursor_(std::move(cursor)) {}
  bool Next(Row* row) override;

 private:
  std::unique_ptr<db::Cursor> cursor_;
  std::vector<db::Value> values_;
};

// The rows of `input` in the key's order. The input is read whole on the first Next: in runs of
// at most `run_bytes`, each sorted and, when there is more than one, written to a private
// temporary file (mode 0600, removed at once, since it holds payroll data), then merged. Memory
// stays near `run_bytes` whatever the table's size. Raises std::runtime_error when no temporary
// file can be written.
class SortedRows : public RowReader {
 public:
  static constexpr size_t kRunBytes = 32 << 20;

  SortedRows(RowReader& input, const KeyOrder& order, size_t run_bytes = kRunBytes);
  ~SortedRows() override;
  bool Next(Row* row) override;
  // Reads and sorts the whole input now; the first Next does it otherwise.
  void Sort();

 private:
  struct Run;
  void SpillRun();

  RowReader& input_;
  const KeyOrder& order_;
  size_t run_bytes_;
  bool sorted_ = false;
  std::vector<Row> memory_;
  size_t memory_next_ = 0;
  std::vector<std::unique_ptr<Run>> runs_;
};

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_ROW_STREAM_H_
