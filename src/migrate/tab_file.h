#ifndef MDBTOMYSQL_MIGRATE_TAB_FILE_H_
#define MDBTOMYSQL_MIGRATE_TAB_FILE_H_

#include <string>

namespace migrate {

// A private temporary file of rows for LOAD DATA LOCAL INFILE: one line per row, fields separated
// by tabs, special characters escaped with a backslash (AppendTabField writes the fields). It is
// made with mode 0600 in $TMPDIR (else /tmp), since it holds payroll data, and removed when the
// object goes, whatever ended the copy.
class TabFile {
 public:
  // The clauses of a LOAD DATA statement that read this file. The separators are hex literals,
  // so they mean the same with or without NO_BACKSLASH_ESCAPES in the session's mode.
  static constexpr const char* kFormatClauses =
      "CHARACTER SET utf8mb4 FIELDS TERMINATED BY X'09' ESCAPED BY X'5C' LINES TERMINATED BY X'0A'";

  // Raises db::Error when no file can be made.
  TabFile();
  ~TabFile();
  TabFile(const TabFile&) = delete;
  TabFile& operator=(const TabFile&) = delete;

  // The file's path, as it may stand in a quoted SQL string: it holds no quote, backslash or
  // control character.
  const std::string& path() const { return path_; }

  // Appends one row's line, its final newline included.
  void Append(const std::string& line);
  // Bytes appended since the last Clear.
  size_t bytes() const { return bytes_; }
  // Writes out what is appended, so that another reader of the path sees every line.
  void Flush();
  // Empties the file for the next chunk of rows.
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
