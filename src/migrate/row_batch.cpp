#include "migrate/row_batch.h"

namespace migrate {

RowBatch::RowBatch(std::string head, size_t max_bytes, size_t max_rows)
    : head_(std::move(head)), max_bytes_(max_bytes), max_rows_(max_rows) {}

void RowBatch::Add(const std::string& values) {
  rows_.push_back(values);
  bytes_ += values.size() + 4;
}

bool RowBatch::Full() const { return rows_.size() >= max_rows_ || bytes_ >= max_bytes_; }

std::string RowBatch::Statement() const {
  std::string s;
  s.reserve(head_.size() + bytes_);
  s += head_;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (i) s += "), (";
    s += rows_[i];
  }
  s += ')';
  return s;
}

std::string RowBatch::SingleStatement(size_t i) const { return head_ + rows_[i] + ")"; }

void RowBatch::Clear() {
  rows_.clear();
  bytes_ = 0;
}

}  // namespace migrate
