#ifndef MDBTOMYSQL_MIGRATE_TAB_FILE_H_
#define MDBTOMYSQL_MIGRATE_TAB_FILE_H_

#include <string>

#include "db/error.h"

namespace migrate {

// The temporary folder failed the row file (no space, an I/O error): the rows must find another
// way to the server.
class TabFileError : public db::Error {
 public:
  using db::Error::Error;
};

// A private temporary file of rows for LOAD DATA LOCAL INFILE: one line per row, fields separated
// by tabs, special characters escaped with a backslash (AppendTabField writes the fields). It is
// made in $TMPDIR (else /tmp) without a name (or named, mode 0600, and unlinked at once), since it
// holds payroll data: nothing of it outlives the process, however the process ends. The server
// reads it through the process's own descriptor, /proc/self/fd/N.
class TabFile {
 public:
  // The clauses of a LOAD DATA statement that read this file. The separators are hex literals,
  // so they mean the same with or without NO_BACKSLASH_ESCAPES in the session's mode.
  static constexpr const char* kFormatClauses =
      "CHARACTER SET utf8mb4 FIELDS TERMINATED BY X'09' ESCAPED BY X'5C' LINES TERMINATED BY X'0A'";

  // Raises TabFileError when no file can be made.
  TabFile();
  ~TabFile();
  TabFile(const TabFile&) = delete;
  TabFile& operator=(const TabFile&) = delete;

  // The path the file is read by in this process, as it may stand in a quoted SQL string: it
  // holds no quote, backslash or control character.
  const std::string& path() const { return path_; }

  // Appends one row's line, its final newline included. Raises TabFileError when the file
  // cannot be written.
  void Append(const std::string& line);
  // Bytes appended since the last Clear.
  size_t bytes() const { return bytes_; }
  // Writes out what is appended, so that another reader of the path sees every line. Raises
  // TabFileError.
  void Flush();
  // Empties the file for the next chunk of rows. Raises TabFileError.
  void Clear();

 private:
  // Lines wait in memory up to this many bytes before they are written.
  static constexpr size_t kBufferBytes = 1 << 20;

  int fd_ = -1;
  std::string path_;
  std::string buffer_;
  size_t bytes_ = 0;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_TAB_FILE_H_
