// Migration speed: the default copy (LOAD DATA LOCAL INFILE files, one transaction each) of the
// 300,000-row attendance log against the same rows put in with the client's LOAD DATA LOCAL
// INFILE, against mdbtools' own pipeline, and against one INSERT per row, all in one run on the
// same server.
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

#include "db/connection_strings.h"
#include "db/error.h"
#include "db/source_session.h"
#include "migrate/migration_engine.h"
#include "migrate/tab_file.h"
#include "migrate/value_rendering.h"
#include "ui/console_screen.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Runs a shell command; returns its wall time in seconds, or a negative value when it failed.
double TimeCommand(const std::string& command) {
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  if (status != 0) {
    std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
    return -1;
  }
  return Seconds(start);
}

long Count(db::Connection& c, const std::string& table) {
  auto rs = c.Execute("SELECT COUNT(*) FROM " + table);
  return long(rs->Fields().Item(0).GetValue().AsInteger());
}

// A number from the server's status (wsrep_replicated, ...).
double Status(db::Connection& c, const std::string& name) {
  auto rs = c.Execute("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE "
                      "VARIABLE_NAME = '" + name + "'");
  return rs->Eof() ? 0 : std::atof(rs->Fields().Item(0).GetValue().ToString().c_str());
}

// What replicating the migration cost a cluster node: the time, and what the node's counters say
// it did meanwhile.
struct ClusterRun {
  double seconds = -1;
  long rows = 0;
  double write_sets = 0, bytes = 0, paused_s = 0;
};

ClusterRun MigrateIntoCluster(const std::string& port, const std::string& file, ui::Screen& screen) {
  ClusterRun run;
  db::Connection node;
  node.Open(db::MySqlConnectionString({"127.0.0.1", port, "", "root", ""}));
  node.Execute("DROP DATABASE IF EXISTS bench_galera");
  node.Execute("CREATE DATABASE bench_galera CHARACTER SET utf8mb4");
  const double sets = Status(node, "WSREP_REPLICATED"), bytes = Status(node, "WSREP_REPLICATED_BYTES");
  const double paused = Status(node, "WSREP_FLOW_CONTROL_PAUSED_NS");
  db::Connection mysql;
  mysql.Open(db::MySqlConnectionString({"127.0.0.1", port, "bench_galera", "root", ""}));
  migrate::MigrationEngine engine(mysql, screen);
  const auto start = Clock::now();
  if (engine.CreateAndInsertData_To_MYSQLTable(file) != "OK") return run;
  run.seconds = Seconds(start);
  run.rows = Count(mysql, "tblattendance_log") + Count(mysql, "tblemployee");
  run.write_sets = Status(node, "WSREP_REPLICATED") - sets;
  run.bytes = Status(node, "WSREP_REPLICATED_BYTES") - bytes;
  run.paused_s = (Status(node, "WSREP_FLOW_CONTROL_PAUSED_NS") - paused) / 1e9;
  return run;
}

}  // namespace

int main() {
  const std::string file = std::string(MDB_SHARED_DIR) + "/fixtures/bench_attendance.mdb";
  if (!std::filesystem::exists(file)) {
    std::printf("skipped: %s is absent\n", file.c_str());
    return 0;
  }
  const char* port_text = std::getenv("MDB_TEST_MYSQL_PORT");
  if (!port_text) {
    std::printf("skipped: no server (MDB_TEST_MYSQL_PORT); run scripts/bench\n");
    return 0;
  }
  const std::string port = port_text;
  const std::string client = "mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P" + port + " -uroot";
  try {
    db::Connection admin;
    admin.Open(db::MySqlConnectionString({"localhost", port, "", "root", ""}));
    for (const char* name : {"bench_fast", "bench_load", "bench_mdbtools", "bench_reference"}) {
      admin.Execute(std::string("DROP DATABASE IF EXISTS ") + name);
      admin.Execute(std::string("CREATE DATABASE ") + name + " CHARACTER SET utf8mb4");
    }
    ui::ConsoleScreen screen(std::cout, std::cerr);

    // 1. The default migration of the whole file, end to end.
    const long rss_before = PeakKilobytes();
    db::Connection fast;
    fast.Open(db::MySqlConnectionString({"localhost", port, "bench_fast", "root", ""}));
    auto start = Clock::now();
    db::OpenSourceSession(file, db::kSourcePassword);
    migrate::MigrationEngine engine(db::SourceSession(), fast, screen);
    if (engine.CreateAndInsertData_To_MYSQLTable(file) != "OK") return 1;
    const double fast_s = Seconds(start);
    const long rss_after = PeakKilobytes();
    const long rows = Count(fast, "tblattendance_log") + Count(fast, "tblemployee");

    // Where the time goes: reading every value, then rendering every literal, without sending.
    start = Clock::now();
    long values = 0;
    for (const char* table : {"tblAttendance_Log", "tblEmployee"}) {
      auto rs = db::SourceSession().Execute(std::string("SELECT * FROM ") + table);
      while (!rs->Eof()) {
        for (int i = 0; i < rs->Fields().Count(); ++i) values += !rs->Fields().Item(i).GetValue().IsNull();
        rs->MoveNext();
      }
    }
    const double read_s = Seconds(start);
    start = Clock::now();
    size_t bytes = 0;
    for (const char* table : {"tblAttendance_Log", "tblEmployee"}) {
      auto rs = db::SourceSession().Execute(std::string("SELECT * FROM ") + table);
      std::string literal;
      while (!rs->Eof()) {
        literal.clear();
        for (int i = 0; i < rs->Fields().Count(); ++i) {
          const db::Field& f = rs->Fields().Item(i);
          migrate::AppendLiteral(f.Type(), f.GetValue(), &literal);
        }
        bytes += literal.size();
        rs->MoveNext();
      }
    }
    const double render_s = Seconds(start);
    // The default path's own work before the server: the fields of LOAD DATA, written to a file.
    start = Clock::now();
    size_t tab_bytes = 0;
    for (const char* table : {"tblAttendance_Log", "tblEmployee"}) {
      auto rs = db::SourceSession().Execute(std::string("SELECT * FROM ") + table);
      migrate::TabFile tab;
      std::string line;
      while (!rs->Eof()) {
        line.clear();
        for (int i = 0; i < rs->Fields().Count(); ++i) {
          const db::Field& f = rs->Fields().Item(i);
          migrate::AppendTabField(f.Type(), f.GetValue(), &line);
          line += '\t';
        }
        line.back() = '\n';
        tab.Append(line);
        rs->MoveNext();
      }
      tab.Flush();
      tab_bytes += tab.bytes();
    }
    const double tab_s = Seconds(start);

    // 2. LOAD DATA LOCAL INFILE of the same attendance rows into an empty copy of the table.
    const std::string tsv = (std::filesystem::temp_directory_path() / "mdbtomysql_bench.tsv").string();
    std::filesystem::remove(tsv);
    admin.Execute("SELECT * FROM bench_fast.tblattendance_log INTO OUTFILE '" + tsv + "'");
    admin.Execute("CREATE TABLE bench_load.tblattendance_log LIKE bench_fast.tblattendance_log");
    const double load_s = TimeCommand(client + " --local-infile=1 bench_load -e \"LOAD DATA LOCAL INFILE '" +
                                      tsv + "' INTO TABLE tblattendance_log\"");
    const long load_rows = Count(admin, "bench_load.tblattendance_log");

    // 3. mdbtools' pipeline: its schema, then its INSERT statements, into the client.
    const double mdbtools_s = TimeCommand(
        "(mdb-schema '" + file + "' mysql; mdb-export -I mysql '" + file +
        "' tblAttendance_Log; mdb-export -I mysql '" + file + "' tblEmployee) | " + client +
        " bench_mdbtools");
    const long mdbtools_rows = mdbtools_s < 0 ? 0
        : Count(admin, "bench_mdbtools.tblAttendance_Log") + Count(admin, "bench_mdbtools.tblEmployee");

    // 4. One INSERT per row, on the first 20,000 rows of each table.
    db::Connection reference;
    reference.Open(db::MySqlConnectionString({"localhost", port, "bench_reference", "root", ""}));
    migrate::MigrationEngine slow(db::SourceSession(), reference, screen);
    slow.SetRowAtATime(true);
    slow.SetRowLimit(20000);
    start = Clock::now();
    if (slow.CreateAndInsertData_To_MYSQLTable(file) != "OK") return 1;
    const double reference_s = Seconds(start);
    const long reference_rows = Count(reference, "tblattendance_log") + Count(reference, "tblemployee");

    const double fast_rate = rows / fast_s;
    const double load_rate = load_rows / load_s;
    const double mdbtools_rate = mdbtools_rows / mdbtools_s;
    const double reference_rate = reference_rows / reference_s;
    std::printf("migration         : %7ld rows in %6.2f s = %8.0f rows/s (schema, keys, reading included;"
                " %ld rows through LOAD DATA)\n",
                rows, fast_s, fast_rate, engine.LoadedRows());
    std::printf("  of which reading: %6.2f s (%ld values); reading + rendering as INSERT values: %6.2f s"
                " (%zu bytes)\n", read_s, values, render_s, bytes);
    std::printf("  reading + rendering + writing the LOAD DATA files: %6.2f s (%zu bytes); the rest is"
                " the wire and the server\n", tab_s, tab_bytes);
    std::printf("  peak memory     : %ld KB before, %ld KB after the migration\n", rss_before, rss_after);
    std::printf("LOAD DATA LOCAL   : %7ld rows in %6.2f s = %8.0f rows/s\n", load_rows, load_s, load_rate);
    std::printf("mdbtools pipeline : %7ld rows in %6.2f s = %8.0f rows/s\n", mdbtools_rows, mdbtools_s,
                mdbtools_rate);
    std::printf("one INSERT per row: %7ld rows in %6.2f s = %8.0f rows/s\n", reference_rows, reference_s,
                reference_rate);
    std::printf("ratios: migration / LOAD DATA = %.2f, migration / mdbtools = %.2f, migration / per row = %.1f\n",
                fast_rate / load_rate, fast_rate / mdbtools_rate, fast_rate / reference_rate);
    const char* galera = std::getenv("MDB_BENCH_GALERA_PORT");
    if (galera) {
      const ClusterRun cluster = MigrateIntoCluster(galera, file, screen);
      if (cluster.seconds < 0) {
        std::filesystem::remove(tsv);
        return 1;
      }
      const std::string node = "mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P" +
                               std::string(galera) + " -uroot";
      const double galera_load_s = TimeCommand(
          node + " -e 'DROP DATABASE IF EXISTS bench_galera_load; CREATE DATABASE "
          "bench_galera_load; CREATE TABLE bench_galera_load.tblattendance_log LIKE "
          "bench_galera.tblattendance_log' && " + node + " --local-infile=1 bench_galera_load -e "
          "\"LOAD DATA LOCAL INFILE '" + tsv + "' INTO TABLE tblattendance_log\"");
      const double cluster_rate = cluster.rows / cluster.seconds;
      std::printf("Galera, 3 nodes   : %7ld rows in %6.2f s = %8.0f rows/s through node 1; "
                  "cluster / one server = %.2f\n",
                  cluster.rows, cluster.seconds, cluster_rate, cluster_rate / fast_rate);
      std::printf("  replicated      : %.0f write sets, %.1f MB; flow control held node 1 for "
                  "%.2f s\n", cluster.write_sets, cluster.bytes / 1e6, cluster.paused_s);
      std::printf("  LOAD DATA LOCAL : %6.2f s into node 1 against %6.2f s into one server "
                  "(%.2f); the reading and the files cost both the same %6.2f s\n",
                  galera_load_s, load_s, galera_load_s / load_s, tab_s);
    }
    std::filesystem::remove(tsv);
    return 0;
  } catch (const db::Error& e) {
    std::fprintf(stderr, "error %ld: %s\n", e.number(), e.description().c_str());
    return 1;
  }
}
