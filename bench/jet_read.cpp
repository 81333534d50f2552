// Decodes every row of tblAttendance_Log (300,000 rows) in the benchmark database with our engine,
// then exports the same table with mdbtools' mdb-export, and prints both times, the ratio and the
// peak memory of each. Skips when the database or mdb-export is absent.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "jet/database.h"
#include "cli/table_export.h"

namespace {

constexpr char kTable[] = "tblAttendance_Log";

struct Pass {
  double seconds = 0;
  long rows = 0;
  long nulls = 0;
};

Pass ReadAll(const std::string& path) {
  auto start = std::chrono::steady_clock::now();
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::TableCursor rows = db.OpenTable(kTable);
  Pass pass;
  while (rows.Next()) {
    ++pass.rows;
    for (const jet::Value& v : rows.values()) pass.nulls += jet::IsNull(v);
  }
  pass.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return pass;
}

// Our whole export (decoding plus TSV text) to /dev/null: the same work mdb-export does.
double ExportAll(const std::string& path) {
  auto start = std::chrono::steady_clock::now();
  jet::Database db = jet::Database::Open(path, "qarnivel");
  std::ofstream out("/dev/null", std::ios::binary);
  cli::ExportTable(db, kTable, out);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long MaxRssKb(int who) {
  struct rusage usage;
  getrusage(who, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main() {
  const std::string path = std::string(MDB_SHARED_DIR) + "/fixtures/bench_attendance.mdb";
  if (!std::filesystem::exists(path)) {
    std::printf("skipped: %s is absent\n", path.c_str());
    return 0;
  }
  // mdb-export runs first: a child's peak RSS includes what it inherited from us at fork, so we
  // keep ourselves small until it has run.
  double theirs = -1;
  long theirs_kb = 0;
  if (std::system("command -v mdb-export > /dev/null 2>&1") == 0) {
    const std::string command = "mdb-export '" + path + "' " + kTable + " > /dev/null";
    for (int i = 0; i < 3; ++i) {
      auto start = std::chrono::steady_clock::now();
      if (std::system(command.c_str()) != 0) {
        std::printf("mdb-export failed\n");
        return 1;
      }
      double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (i == 0 || seconds < theirs) theirs = seconds;
    }
    theirs_kb = MaxRssKb(RUSAGE_CHILDREN);
  }

  const long baseline_kb = MaxRssKb(RUSAGE_SELF);
  Pass best;
  for (int i = 0; i < 5; ++i) {
    Pass pass = ReadAll(path);
    if (i == 0 || pass.seconds < best.seconds) best = pass;
  }
  double export_seconds = 0;
  for (int i = 0; i < 3; ++i) {
    double seconds = ExportAll(path);
    if (i == 0 || seconds < export_seconds) export_seconds = seconds;
  }
  const long ours_kb = MaxRssKb(RUSAGE_SELF);
  std::printf("jet decode:  %ld rows (%ld NULL values) in %.3f s (best of 5)\n", best.rows,
              best.nulls, best.seconds);
  std::printf("jet export:  the same rows as TSV to /dev/null in %.3f s (best of 3)\n",
              export_seconds);
  std::printf("peak RSS:    %ld KB (%ld KB before opening the file; the file is %ld KB)\n", ours_kb,
              baseline_kb, static_cast<long>(std::filesystem::file_size(path) / 1024));
  if (theirs < 0) {
    std::printf("mdb-export not installed: no comparison\n");
    return 0;
  }
  std::printf("mdb-export:  %.3f s (best of 3), peak RSS %ld KB\n", theirs, theirs_kb);
  std::printf("speed-up:    %.1fx decoding, %.1fx exporting (goal: at least 3x)\n",
              theirs / best.seconds, theirs / export_seconds);
  return 0;
}
