#include "verify/paged_rows.h"

#include "db/mysql_quoting.h"
#include "verify/cell_text.h"

namespace verify {
namespace {

std::string Literal(const std::string& cell, KeyLiteral kind) {
  switch (kind) {
    case KeyLiteral::kNumber: return cell;
    case KeyLiteral::kQuoted: return db::QuoteMySqlTextAndBackslashes(CellBytes(cell));
    case KeyLiteral::kBytes: break;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string literal = "X'";
  for (unsigned char c : CellBytes(cell)) {
    literal += kHex[c >> 4];
    literal += kHex[c & 15];
  }
  return literal + "'";
}

}  // namespace

PagedRows::PagedRows(db::Session& mysql, std::string select_from, std::vector<KeyColumn> key,
                     long page_rows)
    : mysql_(mysql), select_from_(std::move(select_from)), key_(std::move(key)),
      page_rows_(page_rows) {}

std::string PagedRows::PageStatement(const Row* last) const {
  std::string columns, values;
  for (const KeyColumn& k : key_) {
    columns += (columns.empty() ? "" : ", ") + k.expression;
    if (last != nullptr) values += (values.empty() ? "" : ", ") + Literal((*last)[k.cell], k.literal);
  }
  std::string statement = select_from_;
  if (last != nullptr) {
    statement += key_.size() == 1 ? " WHERE " + columns + " > " + values
                                  : " WHERE (" + columns + ") > (" + values + ")";
  }
  return statement + " ORDER BY " + columns + " LIMIT " + std::to_string(page_rows_);
}

std::string PagedRows::OrderedStatement() const {
  std::string columns;
  for (const KeyColumn& k : key_) columns += (columns.empty() ? "" : ", ") + k.expression;
  return select_from_ + " ORDER BY " + columns;
}

bool PagedRows::Next(Row* row) {
  for (;;) {
    if (!page_) {
      if (started_ && last_page_) return false;
      page_ = std::make_unique<CursorRows>(mysql_.Execute(PageStatement(started_ ? &last_ : nullptr)));
      started_ = true;
      read_in_page_ = 0;
    }
    if (page_->Next(row)) {
      ++read_in_page_;
      last_.resize(row->size());
      for (const KeyColumn& k : key_) last_[k.cell] = (*row)[k.cell];
      return true;
    }
    last_page_ = read_in_page_ < page_rows_;
    page_.reset();
    if (read_in_page_ == 0) return false;
  }
}

}  // namespace verify
