#include "bench_support.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>

#include "db/connection_strings.h"
#include "db/error.h"
#include "db/source_session.h"
#include "generated_log.h"
#include "migrate/column_translation.h"
#include "migrate/migration_engine.h"
#include "migrate/row_pipe.h"
#include "migrate/row_rendering.h"

namespace bench {
namespace {

// A number from the server's status (wsrep_replicated, ...).
double Status(db::Connection& c, const std::string& name) {
  auto rs = c.Execute(
      "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = '" + name +
      "'");
  return rs->Eof() ? 0 : std::atof(rs->Fields().Item(0).GetValue().ToString().c_str());
}

// Reads every row of the file's two tables, optionally rendering each as a LOAD DATA line into a
// pipe that a second thread drains, as the copy does. Returns the seconds.
double ReadTables(bool render) {
  const auto start = Clock::now();
  for (const char* table : {"tblAttendance_Log", "tblEmployee"}) {
    auto rs = db::SourceSession().Execute(std::string("SELECT * FROM ") + table);
    if (!render) {
      long values = 0;
      for (; !rs->Eof(); rs->MoveNext())
        for (int i = 0; i < rs->Fields().Count(); ++i)
          values += !rs->Fields().Item(i).GetValue().IsNull();
      continue;
    }
    migrate::RowPipe pipe;
    auto drain = std::async(std::launch::async, [&pipe] {
      std::FILE* in = std::fopen(pipe.path().c_str(), "rb");
      char block[65536];
      while (in && std::fread(block, 1, sizeof block, in) > 0) {
      }
      if (in) std::fclose(in);
      pipe.Abandon();
    });
    std::string line;
    for (; !rs->Eof(); rs->MoveNext()) {
      line.clear();
      migrate::AppendTabLine(rs->Fields(), &line);
      pipe.Append(line);
    }
    pipe.Finish();
    drain.get();
  }
  return Seconds(start);
}

}  // namespace

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

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

void QuietScreen::MessageBox(const std::string& text, const std::string& title, ui::Icon,
                             const std::string& details) {
  if (!quiet_messages_)
    std::fprintf(stderr, "[%s] %s\n%s\n", title.c_str(), text.c_str(), details.c_str());
}

void PrintWhereTheTimeGoes(db::Connection& fast, const std::string& log_table) {
  const double read_s = ReadTables(false);
  const double render_s = ReadTables(true);
  auto start = Clock::now();
  Count(fast, log_table);
  const double count_s = Seconds(start);
  start = Clock::now();
  fast.Execute("ALTER TABLE " + log_table + " AUTO_INCREMENT = 1");
  const double counter_s = Seconds(start);
  std::printf(
      "  where it goes: reading the file %.2f s; reading + rendering the lines into a pipe "
      "%.2f s (beside the server's load); after the load, the count %.3f s and the counter "
      "%.3f s\n",
      read_s, render_s, count_s, counter_s);
}

void PrintSchemaAlone(const std::string& port, const std::string& file, double migration_s) {
  db::Connection mysql;
  mysql.Open(db::MySqlConnectionString({"localhost", port, "bench_schema", "root", ""}));
  QuietScreen screen;
  migrate::MigrationEngine engine(db::SourceSession(), mysql, screen);
  engine.SetRowLimit(0);
  const auto start = Clock::now();
  if (engine.CreateAndInsertData_To_MYSQLTable(file) != "OK") return;
  const double s = Seconds(start);
  std::printf(
      "  the same without its rows (drops, tables, keys, the copy's own statements): "
      "%.2f s, %.0f %% of the migration\n",
      s, 100 * s / migration_s);
}

int MigrateGeneratedLog(const std::string& port, long rows) {
  try {
    db::Connection admin;
    admin.Open(db::MySqlConnectionString({"localhost", port, "", "root", ""}));
    admin.Execute("DROP DATABASE IF EXISTS bench_generated");
    admin.Execute("CREATE DATABASE bench_generated CHARACTER SET utf8mb4");
    auto log = std::make_unique<GeneratedLog>(rows);
    const std::vector<db::FieldInfo> columns = log->columns();
    db::Connection source;
    source.Attach(std::move(log));
    db::Connection mysql;
    mysql.Open(db::MySqlConnectionString({"localhost", port, "bench_generated", "root", ""}));
    QuietScreen screen(true);
    migrate::MigrationEngine engine(source, mysql, screen);
    // The engine's frame prepares the session; the file it cannot open stops it before any
    // table. The generated table then goes through the engine's own steps.
    engine.CreateAndInsertData_To_MYSQLTable("/nonexistent.mdb");
    const long rss_before = PeakKilobytes();
    const std::string table = "tblgenerated_log";
    std::string definitions, names;
    for (const db::FieldInfo& column : columns) {
      bool auto_increment = false;
      definitions += migrate::ColumnDefinition(table, column, &auto_increment);
      names += (names.empty() ? "`" : ", `") + column.name + "`";
    }
    definitions.erase(definitions.size() - 2);
    const auto start = Clock::now();
    mysql.Execute("CREATE table " + table + " (" + definitions + ")");
    engine.ListPK(table, "LogID");
    engine.CopyTableRows(GeneratedLog::kTable, table, names);
    const double s = Seconds(start);
    const long copied = Count(mysql, table);
    std::printf(
        "generated log: %8ld rows in %6.2f s = %8.0f rows/s (%ld in bulk mode); peak "
        "memory %ld KB, %ld KB before the copy\n",
        copied, s, copied / s, engine.BulkRows(), PeakKilobytes(), rss_before);
    return copied == rows ? 0 : 1;
  } catch (const db::Error& e) {
    std::fprintf(stderr, "error %ld: %s\n", e.number(), e.description().c_str());
    return 1;
  }
}

int CompareCluster(const std::string& port, const std::string& file, const std::string& tsv,
                   double single_s, long single_rows, double single_load_s, ui::Screen& screen) {
  db::Connection node;
  node.Open(db::MySqlConnectionString({"127.0.0.1", port, "", "root", ""}));
  node.Execute("DROP DATABASE IF EXISTS bench_galera");
  node.Execute("CREATE DATABASE bench_galera CHARACTER SET utf8mb4");
  const double sets = Status(node, "WSREP_REPLICATED");
  const double bytes = Status(node, "WSREP_REPLICATED_BYTES");
  const double paused = Status(node, "WSREP_FLOW_CONTROL_PAUSED_NS");
  db::Connection mysql;
  mysql.Open(db::MySqlConnectionString({"127.0.0.1", port, "bench_galera", "root", ""}));
  migrate::MigrationEngine engine(db::SourceSession(), mysql, screen);
  const auto start = Clock::now();
  if (engine.CreateAndInsertData_To_MYSQLTable(file) != "OK") return 1;
  const double seconds = Seconds(start);
  const long rows = Count(mysql, "tblattendance_log") + Count(mysql, "tblemployee");
  const std::string client =
      "mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P" + port + " -uroot";
  const double load_s = TimeCommand(
      client +
      " -e 'DROP DATABASE IF EXISTS bench_galera_load; CREATE DATABASE bench_galera_load; CREATE "
      "TABLE bench_galera_load.tblattendance_log LIKE bench_galera.tblattendance_log' && " +
      client + " --local-infile=1 bench_galera_load -e \"LOAD DATA LOCAL INFILE '" + tsv +
      "' INTO TABLE tblattendance_log\"");
  std::printf(
      "Galera, 3 nodes   : %7ld rows in %6.2f s = %8.0f rows/s through node 1 (%ld in "
      "bulk mode); cluster / one server = %.2f\n",
      rows, seconds, rows / seconds, engine.BulkRows(),
      (rows / seconds) / (single_rows / single_s));
  std::printf("  replicated      : %.0f write sets, %.1f MB; flow control held node 1 for %.2f s\n",
              Status(node, "WSREP_REPLICATED") - sets,
              (Status(node, "WSREP_REPLICATED_BYTES") - bytes) / 1e6,
              (Status(node, "WSREP_FLOW_CONTROL_PAUSED_NS") - paused) / 1e9);
  std::printf("  LOAD DATA LOCAL : %6.2f s into node 1 against %6.2f s into one server (%.2f)\n",
              load_s, single_load_s, load_s / single_load_s);
  return 0;
}

}  // namespace bench
