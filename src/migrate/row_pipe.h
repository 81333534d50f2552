#ifndef MDBTOMYSQL_MIGRATE_ROW_PIPE_H_
#define MDBTOMYSQL_MIGRATE_ROW_PIPE_H_

#include <atomic>
#include <cstddef>
#include <string>

#include "db/error.h"

namespace migrate {

// No pipe could be made (too many open files) or read by path: the rows must find another way.
class RowPipeError : public db::Error {
 public:
  using db::Error::Error;
};

// A pipe that carries one table's rows to LOAD DATA LOCAL INFILE while they are read, in the
// lines of a TabFile. It has no name: the client library opens it as the process's own
// descriptor, /proc/self/fd/N, so a whole table travels in one statement with no file of payroll
// rows on disk and only the pipe's buffer in memory. One thread appends and finishes the rows; the
// thread that runs the LOAD DATA abandons the pipe once the statement has ended, however it ended.
class RowPipe {
 public:
  // Raises RowPipeError.
  RowPipe();
  ~RowPipe();
  RowPipe(const RowPipe&) = delete;
  RowPipe& operator=(const RowPipe&) = delete;

  // The path the pipe is read by in this process, as it may stand in a quoted SQL string.
  const std::string& path() const { return path_; }

  // Appends one row's line, its final newline included; waits while the reader is behind.
  // Returns false once the pipe has been abandoned: nobody reads the rows any more.
  bool Append(const std::string& line);
  // Sends what is appended and ends the rows: the reader meets the end of its file. Returns false
  // when the pipe was abandoned first. Nothing may be appended after it.
  bool Finish();
  // Tells a writer waiting in Append or Finish, and every later call of theirs, that nobody
  // reads: they return false. Any thread may call it, at any time.
  void Abandon();

 private:
  // Lines wait in memory up to this many bytes before they go into the pipe; the pipe itself is
  // asked to hold kPipeBytes.
  static constexpr size_t kBufferBytes = 256 << 10;
  static constexpr int kPipeBytes = 1 << 20;

  // Writes the buffer into the pipe, waiting while it is full.
  bool Send();

  int read_fd_ = -1;   // kept open until the end, so that a write never meets a pipe
                       // without a reader
  int write_fd_ = -1;  // non-blocking; closed by Finish
  int wake_fd_ = -1;   // an eventfd, readable once the pipe is abandoned
  std::atomic<bool> abandoned_{false};
  std::string path_;
  std::string buffer_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_ROW_PIPE_H_
