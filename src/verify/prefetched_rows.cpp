#include "verify/prefetched_rows.h"

namespace verify {

PrefetchedRows::PrefetchedRows(std::unique_ptr<RowReader> input)
    : input_(std::move(input)), thread_([this] { Produce(); }) {}

PrefetchedRows::~PrefetchedRows() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void PrefetchedRows::Produce() {
  for (;;) {
    std::vector<Row> batch;
    std::exception_ptr failure;
    bool more = true;
    try {
      Row row;
      while (batch.size() < kBatchRows && (more = input_->Next(&row))) batch.push_back(std::move(row));
    } catch (...) {
      failure = std::current_exception();
      more = false;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || batches_.size() < kBatchesAhead; });
    if (stopping_) return;
    if (!batch.empty()) batches_.push_back(std::move(batch));
    if (!more) {
      failure_ = failure;
      ended_ = true;
      changed_.notify_all();
      return;
    }
    changed_.notify_all();
  }
}

bool PrefetchedRows::Next(Row* row) {
  if (next_ >= current_.size()) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !batches_.empty() || ended_; });
    if (batches_.empty()) {
      if (failure_) std::rethrow_exception(failure_);
      return false;
    }
    current_ = std::move(batches_.front());
    batches_.pop_front();
    next_ = 0;
    changed_.notify_all();
  }
  *row = std::move(current_[next_++]);
  return true;
}

}  // namespace verify
