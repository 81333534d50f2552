#ifndef MDBTOMYSQL_JET_FILE_H_
#define MDBTOMYSQL_JET_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct stat;

namespace jet {

// Jet 4 pages are always 4096 bytes; page n starts at byte n * 4096.
constexpr size_t kPageSize = 4096;
using PageNumber = uint32_t;

// The whole pages of one database file. The only place of the engine that does I/O: every other
// layer sees pages through the PageCache. Opened read-only and shared (no lock), so that a file
// that another program holds open can still be read. Writing is a separate, exclusive phase
// (BeginWriting .. EndWriting).
class PageFile {
 public:
  // Opens the file at `path`. Throws jet::Error if it cannot be opened.
  static std::unique_ptr<PageFile> OpenReadOnly(const std::string& path);

  // A file held in memory, e.g. a fuzzer's input. `name` is used in messages.
  static std::unique_ptr<PageFile> FromMemory(std::string name, std::string bytes);

  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // The file's base name, as error messages show it ("VELDA.mdb").
  const std::string& name() const { return name_; }
  uint64_t size() const { return size_; }
  // Number of whole pages; a trailing partial page is not counted.
  PageNumber page_count() const { return static_cast<PageNumber>(size_ / kPageSize); }

  // Reads page `n` into `out` (kPageSize bytes). Throws jet::Error if the page lies beyond the end
  // of the file or the read fails.
  void ReadPage(PageNumber n, uint8_t* out) const;

  // Reads up to `length` bytes at `offset`; returns how many were read (fewer at the end).
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t length) const;

  // Opens the file for writing and holds it exclusively until EndWriting: an exclusive lock on
  // the file (flock and fcntl, which Access under Wine or over Samba takes), and a lock file
  // "<name>.ldb" beside it, created and held locked for the duration, as Access does. A lock file
  // that nobody holds was left by a process that ended mid-write and is removed. Throws
  // jet::Error, and changes nothing, when a lock file is held (Access has the database open),
  // when another process holds a lock on the file, or when the file cannot be opened for
  // writing. A file held in memory is always writable.
  void BeginWriting();
  // Releases the lock and removes the lock file made by BeginWriting. Safe to call twice.
  void EndWriting();
  bool writing() const { return write_fd_ >= 0 || (fd_ < 0 && writing_memory_); }

  // True when the file changed on disk since it was opened or last written through this object:
  // another writer (another session on the same file) wrote it. Its new size is taken. Always
  // false for a file held in memory.
  bool TakeOutsideChange();

  // Writes page `n` (kPageSize bytes; n <= page_count()). Only between BeginWriting and
  // EndWriting. Throws jet::WriteFailure when the write fails.
  void WritePage(PageNumber n, const uint8_t* bytes);
  // Makes every page written so far durable (fdatasync) before the next step of a write. Throws
  // jet::WriteFailure when it cannot.
  void Sync();
  // Pages written since BeginWriting: whether a failed write had begun.
  uint64_t pages_written() const { return pages_written_; }

 private:
  PageFile(std::string name, int fd, uint64_t size, std::string memory);

  std::string name_;
  std::string path_;       // as opened; empty for a file held in memory
  // Makes and locks the lock file; returns its descriptor. Throws jet::Error when it is held.
  int MakeLockFile();

  std::string lock_path_;  // the .ldb made by BeginWriting, removed by EndWriting
  int lock_fd_ = -1;       // holds the .ldb's lock while writing
  int write_fd_ = -1;
  bool writing_memory_ = false;
  uint64_t pages_written_ = 0;
  int fd_;  // -1 for a file held in memory
  uint64_t size_;
  std::string memory_;
  // The file's size and change times when last seen, to notice other writers.
  struct Stamp {
    uint64_t size = 0;
    int64_t modified_ns = 0;
    int64_t changed_ns = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  static Stamp StampOf(const struct stat& st);
  Stamp seen_;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_FILE_H_
