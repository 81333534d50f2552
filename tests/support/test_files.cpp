#include "support/test_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace testenv {

namespace fs = std::filesystem;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string CopyToScratch(const std::string& source, const std::string& scratch) {
  const std::string copy = ScratchDir(scratch) + "/" + fs::path(source).filename().string();
  fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
  return copy;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int rc = pclose(pipe);
  if (status != nullptr) *status = rc;
  return output;
}

bool HaveMdbTools() {
  return RunCommand("command -v mdb-export").find("mdb-export") != std::string::npos;
}

std::string MdbReaderDir() {
  const char* set = std::getenv("MDB_READER_DIR");
  const std::string dir =
      set != nullptr ? set : std::string(MDB_BINARY_DIR) + "/node/node_modules/mdb-reader";
  if (!fs::exists(dir + "/lib/node/index.js")) return "";
  if (RunCommand("command -v node").find("node") == std::string::npos) return "";
  return dir;
}

std::string RunMdbReader(const std::string& path, const std::string& password,
                         const std::string& body, int* status) {
  static const std::string dir = ScratchDir("mdb_reader");
  static int counter = 0;
  const std::string script = dir + "/script" + std::to_string(++counter) + ".mjs";
  std::ofstream(script) << R"(const [dir, file, password] = process.argv.slice(2);
const { readFileSync } = await import("node:fs");
const { pathToFileURL } = await import("node:url");
const { default: MDBReader } = await import(pathToFileURL(dir + "/lib/node/index.js"));
const reader = new MDBReader(readFileSync(file), password ? { password } : {});
)" << body << "\n";
  return RunCommand(
      "node '" + script + "' '" + MdbReaderDir() + "' '" + path + "' '" + password + "'", status);
}

std::map<std::string, std::string> MdbReaderTables(const std::string& path,
                                                   const std::string& password) {
  int status = 0;
  std::istringstream out(RunMdbReader(path, password, R"(
for (const name of reader.getTableNames({ normalTables: true, systemTables: true })) {
  let rows;
  try { rows = String(reader.getTable(name).getData().length); } catch (e) { rows = "error"; }
  console.log(name + "\t" + rows);
})",
                                      &status));
  std::map<std::string, std::string> tables;
  if (status != 0) return tables;
  std::string line;
  while (std::getline(out, line)) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) tables[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return tables;
}

HeldLock::HeldLock(const std::string& path) {
  int ready[2];
  if (::pipe(ready) != 0) return;
  child_ = ::fork();
  if (child_ == 0) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    const char answer = fd >= 0 && ::fcntl(fd, F_SETLK, &whole) == 0 ? 'y' : 'n';
    (void)!::write(ready[1], &answer, 1);
    for (;;) ::pause();
  }
  char answer = 'n';
  if (child_ > 0) (void)!::read(ready[0], &answer, 1);
  ::close(ready[0]);
  ::close(ready[1]);
  if (answer != 'y') ADD_FAILURE() << "could not lock " << path;
}

HeldLock::~HeldLock() {
  if (child_ <= 0) return;
  ::kill(child_, SIGKILL);
  ::waitpid(child_, nullptr, 0);
}

}  // namespace testenv
