#ifndef MDBTOMYSQL_DB_RECORDSET_H_
#define MDBTOMYSQL_DB_RECORDSET_H_

#include <memory>
#include <vector>

#include "db/field.h"
#include "db/value.h"

namespace db {

// The provider's side of a result: column descriptions, then rows one at a time.
class Cursor {
 public:
  virtual ~Cursor() = default;
  virtual const std::vector<FieldInfo>& Columns() const = 0;
  // Fills `row` (one value per column) with the next row; false when there is none left.
  virtual bool Next(std::vector<Value>& row) = 0;
};

// A forward-only recordset over one cursor. It is positioned on the first row when it is made;
// Bof() and Eof() are both true for an empty result. (The names are not BOF/EOF because EOF is
// a macro of the C library.)
class Recordset {
 public:
  // A recordset without rows or fields: what a statement that returns no rows gives.
  Recordset();
  explicit Recordset(std::unique_ptr<Cursor> cursor);
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // Moves to the next row. Raises error 3021 when already past the last row.
  void MoveNext();
  const db::Fields& Fields() const { return fields_; }

  // The current row's values; raises error 3021 when there is none.
  const Value& CurrentValue(int index) const;

 private:
  std::unique_ptr<Cursor> cursor_;
  std::vector<FieldInfo> infos_;
  db::Fields fields_;
  std::vector<Value> row_;
  bool bof_ = true;
  bool eof_ = true;
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_RECORDSET_H_
