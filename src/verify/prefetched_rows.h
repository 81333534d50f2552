#ifndef MDBTOMYSQL_VERIFY_PREFETCHED_ROWS_H_
#define MDBTOMYSQL_VERIFY_PREFETCHED_ROWS_H_

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "verify/row_stream.h"

namespace verify {

// The rows of `input`, read by a thread of their own a few thousand ahead, so that the two
// sides of a comparison are read at the same time. Only that thread touches `input` until this
// object goes. An error of the input is raised by the Next that would have read its row.
class PrefetchedRows : public RowReader {
 public:
  explicit PrefetchedRows(std::unique_ptr<RowReader> input);
  ~PrefetchedRows() override;
  bool Next(Row* row) override;

 private:
  static constexpr size_t kBatchRows = 2048;
  static constexpr size_t kBatchesAhead = 4;

  void Produce();

  std::unique_ptr<RowReader> input_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<Row>> batches_;
  bool ended_ = false;     // the producer has put its last batch
  bool stopping_ = false;  // the consumer is going
  std::exception_ptr failure_;
  std::vector<Row> current_;
  size_t next_ = 0;
  std::thread thread_;  // last: it starts once the members above exist
};

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_PREFETCHED_ROWS_H_
