#ifndef MDBTOMYSQL_MIGRATE_ROW_BATCH_H_
#define MDBTOMYSQL_MIGRATE_ROW_BATCH_H_

#include <cstddef>
#include <string>
#include <vector>

namespace migrate {

// Rows of one table waiting to go to MySQL as one multi-row INSERT: the values lists of the
// rows, as one statement per row would send them.
class RowBatch {
 public:
  // A batch stays under both limits (one row larger than the byte limit travels alone). Every
  // statement is a commit of its own, so fewer, larger statements are what makes the copy fast.
  static constexpr size_t kBatchRows = 10000;
  static constexpr size_t kMaxBatchBytes = 4 << 20;

  // `head` is "INSERT INTO table (columns) VALUES ("; `max_bytes` caps a batch's values below
  // the server's packet limit, `max_rows` its rows below kBatchRows where a cluster wants less.
  RowBatch(std::string head, size_t max_bytes, size_t max_rows = kBatchRows);
  void Add(const std::string& values);
  bool Full() const;
  bool empty() const { return rows_.empty(); }
  size_t size() const { return rows_.size(); }
  // "INSERT INTO table (columns) VALUES (row 1), (row 2), ...".
  std::string Statement() const;
  // The statement one row alone would have been sent as.
  std::string SingleStatement(size_t i) const;
  void Clear();

 private:
  std::string head_;
  size_t max_bytes_;
  size_t max_rows_;
  std::vector<std::string> rows_;
  size_t bytes_ = 0;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_ROW_BATCH_H_
