// Migration speed: the default copy of the 302,000-row attendance database (each table whole in
// the server's bulk mode where it has it, else LOAD DATA LOCAL INFILE files) against the same
// attendance rows put in by the client's LOAD DATA LOCAL INFILE, plainly and in bulk mode (the
// fastest way we know: the limit), against mdbtools' INSERT pipeline, against a database
// administrator's pipeline of free tools (mdb-schema, mdb-export, mariadb-import), and against one
// INSERT per row, all in one run on the same server. Then the peak memory of the copy of a
// generated table of 302,000 rows and of one ten times as long, each in a process of its own.
//
// Needs a server that takes root without a password (MDB_TEST_MYSQL_PORT, as scripts/bench
// starts one) and the ODBC driver registered; run it through scripts/bench. With
// MDB_BENCH_GALERA_PORT (scripts/bench --galera) the same migration also goes into node 1 of a
// three-node Galera cluster, and the client's LOAD DATA of the same rows too.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "bench_support.h"
#include "db/connection_strings.h"
#include "db/error.h"
#include "db/source_session.h"
#include "migrate/migration_engine.h"

namespace {

using bench::Clock;
using bench::Count;
using bench::PeakKilobytes;
using bench::Seconds;
using bench::TimeCommand;

constexpr const char* kLog = "tblattendance_log";

// The baselines' wall times, the rows each put in, and what they are measured against.
struct Baselines {
  double load_s = -1, bulk_s = -1, mdbtools_s = -1, import_s = -1, per_row_s = -1;
  long load_rows = 0, bulk_rows = 0, mdbtools_rows = 0, import_rows = 0, per_row_rows = 0;
};

// The client's LOAD DATA LOCAL INFILE of the attendance rows in `tsv` into an empty copy of the
// migrated table in `database`; in bulk mode: unique and foreign key checks off, one transaction.
double ClientLoad(db::Connection& admin, const std::string& client, const std::string& database,
                  const std::string& tsv, bool bulk_mode, long* rows) {
  admin.Execute("CREATE TABLE " + database + "." + kLog + " LIKE bench_fast." + kLog);
  const std::string load = "LOAD DATA LOCAL INFILE '" + tsv + "' INTO TABLE " + kLog;
  const double s = TimeCommand(
      client + " --local-infile=1 " + database + " -e \"" +
      (bulk_mode ? "SET unique_checks = 0, foreign_key_checks = 0; START TRANSACTION; " + load +
                       "; COMMIT"
                 : load) +
      "\"");
  *rows = s < 0 ? 0 : Count(admin, database + "." + kLog);
  return s;
}

// A database administrator's way with free tools: the schema from mdb-schema into the client,
// each table to a tab-separated file by mdb-export, the files into the server by mariadb-import
// through the client (which loads an empty InnoDB table in bulk mode itself on a server that has
// it sound).
double ImportPipeline(db::Connection& admin, const std::string& client, const std::string& port,
                      const std::string& file, long* rows) {
  const std::string dir =
      (std::filesystem::temp_directory_path() / "mdbtomysql_bench_import").string();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string command = "mdb-schema '" + file + "' mysql | " + client + " bench_import";
  for (const char* table : {"tblAttendance_Log", "tblEmployee"})
    command += " && mdb-export -H -d '\t' -Q -e -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' '" +
               file + "' " + table + " > " + dir + "/" + table + ".txt";
  command += " && mariadb-import --no-defaults --protocol=TCP -h127.0.0.1 -P" + port +
             " -uroot --local --silent --fields-terminated-by='\t' bench_import " + dir +
             "/tblAttendance_Log.txt " + dir + "/tblEmployee.txt";
  const double s = TimeCommand(command);
  *rows = s < 0 ? 0
                : Count(admin, "bench_import.tblAttendance_Log") +
                      Count(admin, "bench_import.tblEmployee");
  std::filesystem::remove_all(dir);
  return s;
}

Baselines MeasureBaselines(db::Connection& admin, const std::string& port, const std::string& file,
                           const std::string& tsv, ui::Screen& screen) {
  const std::string client =
      "mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P" + port + " -uroot";
  Baselines b;
  b.load_s = ClientLoad(admin, client, "bench_load", tsv, false, &b.load_rows);
  b.bulk_s = ClientLoad(admin, client, "bench_bulk", tsv, true, &b.bulk_rows);
  // mdbtools' own pipeline: its schema, then its INSERT statements, into the client.
  b.mdbtools_s = TimeCommand("(mdb-schema '" + file + "' mysql; mdb-export -I mysql '" + file +
                             "' tblAttendance_Log; mdb-export -I mysql '" + file +
                             "' tblEmployee) | " + client + " bench_mdbtools");
  b.mdbtools_rows = b.mdbtools_s < 0 ? 0
                                     : Count(admin, "bench_mdbtools.tblAttendance_Log") +
                                           Count(admin, "bench_mdbtools.tblEmployee");
  b.import_s = ImportPipeline(admin, client, port, file, &b.import_rows);
  // One INSERT per row, on the first 20,000 rows of each table.
  db::Connection reference;
  reference.Open(db::MySqlConnectionString({"localhost", port, "bench_reference", "root", ""}));
  migrate::MigrationEngine slow(db::SourceSession(), reference, screen);
  slow.SetRowAtATime(true);
  slow.SetRowLimit(20000);
  const auto start = Clock::now();
  if (slow.CreateAndInsertData_To_MYSQLTable(file) == "OK") {
    b.per_row_s = Seconds(start);
    b.per_row_rows = Count(reference, kLog) + Count(reference, "tblemployee");
  }
  return b;
}

void PrintBaselines(const Baselines& b, double fast_s) {
  auto line = [](const char* name, long rows, double s) {
    std::printf("%-30s: %7ld rows in %6.2f s = %8.0f rows/s\n", name, rows, s, rows / s);
  };
  line("LOAD DATA LOCAL", b.load_rows, b.load_s);
  line("LOAD DATA LOCAL in bulk mode", b.bulk_rows, b.bulk_s);
  line("mdbtools INSERT pipeline", b.mdbtools_rows, b.mdbtools_s);
  line("mdb-export + mariadb-import", b.import_rows, b.import_s);
  line("one INSERT per row", b.per_row_rows, b.per_row_s);
  std::printf("times: migration / bulk-mode LOAD DATA = %.2f (goal <= 1.15)\n", fast_s / b.bulk_s);
  std::printf("       plain LOAD DATA / migration = %.2f (goal >= 1.3)\n", b.load_s / fast_s);
  std::printf("       mdbtools INSERT pipeline / migration = %.2f (goal >= 2)\n",
              b.mdbtools_s / fast_s);
  std::printf("       mdb-export + mariadb-import / migration = %.2f (goal >= 1.3)\n",
              b.import_s / fast_s);
}

}  // namespace

int main(int argc, char** argv) {
  const char* port_text = std::getenv("MDB_TEST_MYSQL_PORT");
  if (!port_text) {
    std::printf("skipped: no server (MDB_TEST_MYSQL_PORT); run scripts/bench\n");
    return 0;
  }
  const std::string port = port_text;
  // A process of its own for each generated table, so that each peak is its own.
  if (argc == 3 && std::string(argv[1]) == "--generated")
    return bench::MigrateGeneratedLog(port, std::atol(argv[2]));
  const std::string file = std::string(MDB_SHARED_DIR) + "/fixtures/bench_attendance.mdb";
  if (!std::filesystem::exists(file)) {
    std::printf("skipped: %s is absent\n", file.c_str());
    return 0;
  }
  try {
    db::Connection admin;
    admin.Open(db::MySqlConnectionString({"localhost", port, "", "root", ""}));
    for (const char* name : {"bench_fast", "bench_load", "bench_bulk", "bench_mdbtools",
                             "bench_import", "bench_reference", "bench_schema"}) {
      admin.Execute(std::string("DROP DATABASE IF EXISTS ") + name);
      admin.Execute(std::string("CREATE DATABASE ") + name + " CHARACTER SET utf8mb4");
    }
    bench::QuietScreen screen;

    // 1. The default migration of the whole file, end to end.
    const long rss_before = PeakKilobytes();
    db::Connection fast;
    fast.Open(db::MySqlConnectionString({"localhost", port, "bench_fast", "root", ""}));
    const auto start = Clock::now();
    db::OpenSourceSession(file, db::kSourcePassword);
    migrate::MigrationEngine engine(db::SourceSession(), fast, screen);
    if (engine.CreateAndInsertData_To_MYSQLTable(file) != "OK") return 1;
    const double fast_s = Seconds(start);
    const long rss_after = PeakKilobytes();
    const long rows = Count(fast, kLog) + Count(fast, "tblemployee");
    std::printf(
        "%-30s: %7ld rows in %6.2f s = %8.0f rows/s (schema, keys, reading included;"
        " %ld rows in bulk mode, %ld through LOAD DATA)\n",
        "migration", rows, fast_s, rows / fast_s, engine.BulkRows(), engine.LoadedRows());
    std::printf("  peak memory: %ld KB before, %ld KB after the migration\n", rss_before,
                rss_after);
    bench::PrintWhereTheTimeGoes(fast, kLog);
    bench::PrintSchemaAlone(port, file, fast_s);

    // 2. The baselines, on the same attendance rows.
    const std::string tsv =
        (std::filesystem::temp_directory_path() / "mdbtomysql_bench.tsv").string();
    std::filesystem::remove(tsv);
    admin.Execute(std::string("SELECT * FROM bench_fast.") + kLog + " INTO OUTFILE '" + tsv + "'");
    const Baselines baselines = MeasureBaselines(admin, port, file, tsv, screen);
    PrintBaselines(baselines, fast_s);

    // 3. Memory against the table's length: generated tables of the file's length and ten times it.
    std::fflush(stdout);
    for (const long generated : {302000L, 3020000L}) {
      const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
      if (std::system(("'" + self + "' --generated " + std::to_string(generated)).c_str()) != 0)
        return 1;
    }
    const char* galera = std::getenv("MDB_BENCH_GALERA_PORT");
    const int cluster =
        galera ? bench::CompareCluster(galera, file, tsv, fast_s, rows, baselines.load_s, screen)
               : 0;
    std::filesystem::remove(tsv);
    return cluster;
  } catch (const db::Error& e) {
    std::fprintf(stderr, "error %ld: %s\n", e.number(), e.description().c_str());
    return 1;
  }
}
