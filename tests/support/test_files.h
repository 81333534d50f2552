#ifndef MDBTOMYSQL_TESTS_SUPPORT_TEST_FILES_H_
#define MDBTOMYSQL_TESTS_SUPPORT_TEST_FILES_H_

#include <map>
#include <string>

namespace testenv {

std::string FileBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Copies `source` into the scratch folder `scratch` under its own file name; returns the copy.
std::string CopyToScratch(const std::string& source, const std::string& scratch);

// Runs a shell command, stdout and stderr together; `status` gets pclose's status.
std::string RunCommand(const std::string& command, int* status = nullptr);

bool HaveMdbTools();

// A lock held on the file at `path` (made when missing) as Access under Wine holds its .ldb: an
// fcntl write lock over the whole file, from a child process, until the object goes.
class HeldLock {
 public:
  explicit HeldLock(const std::string& path);
  ~HeldLock();
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  int child_ = -1;
};

// mdb-reader (npm), when installed: MDB_READER_DIR, or node/node_modules/mdb-reader in the build
// tree (npm install --prefix <build>/node mdb-reader). Empty when it or node is missing.
std::string MdbReaderDir();

// Every table mdb-reader lists, with its row count or "error" (it leaves some column types
// unread).
std::map<std::string, std::string> MdbReaderTables(const std::string& path,
                                                   const std::string& password);

// Runs a node module script `body` with mdb-reader's default export bound to MDBReader and the
// file's reader to `reader` (opened with `password`); returns what it prints.
std::string RunMdbReader(const std::string& path, const std::string& password,
                         const std::string& body, int* status = nullptr);

}  // namespace testenv

#endif  // MDBTOMYSQL_TESTS_SUPPORT_TEST_FILES_H_
