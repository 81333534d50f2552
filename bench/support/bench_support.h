// What the migration benchmark's parts share: clocks, counts, a quiet screen, and the parts that
// measure beside the main comparison (where the time goes, memory against a table's length, a
// Galera cluster).
#ifndef MDBTOMYSQL_BENCH_SUPPORT_BENCH_SUPPORT_H_
#define MDBTOMYSQL_BENCH_SUPPORT_BENCH_SUPPORT_H_

#include <chrono>
#include <string>

#include "db/connection.h"
#include "ui/screen.h"

namespace bench {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start);
// This process's peak resident size so far, in KB.
long PeakKilobytes();
// Runs a shell command; returns its wall time in seconds, or a negative value when it failed.
double TimeCommand(const std::string& command);
long Count(db::Connection& c, const std::string& table);

// A screen that prints messages (unless told to keep them quiet) and no progress.
class QuietScreen : public ui::Screen {
 public:
  explicit QuietScreen(bool quiet_messages = false) : quiet_messages_(quiet_messages) {}
  void MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                  const std::string& details) override;
  void SetPointer(ui::Pointer) override {}

 private:
  bool quiet_messages_;
};

// Where the migration's time goes: reading the file, reading and rendering the rows into a
// pipe, and what the copy asks of the server after the load (the count, the counter), on the
// migrated table `log_table` of `fast`.
void PrintWhereTheTimeGoes(db::Connection& fast, const std::string& log_table);

// The migration of `file` without its rows (into database bench_schema): the drops, tables, keys
// and the copy's own statements, against `migration_s`, the whole migration's time.
void PrintSchemaAlone(const std::string& port, const std::string& file, double migration_s);

// Migrates a generated attendance log of `rows` rows into database bench_generated through the
// engine's own copy, and prints the time and this process's peak memory. Returns the exit code.
int MigrateGeneratedLog(const std::string& port, long rows);

// The migration of `file` into node 1 of a Galera cluster (MySQL port `port`) and the client's
// LOAD DATA of `tsv` there, against the figures of one server. Returns the exit code.
int CompareCluster(const std::string& port, const std::string& file, const std::string& tsv,
                   double single_s, long single_rows, double single_load_s, ui::Screen& screen);

}  // namespace bench

#endif  // MDBTOMYSQL_BENCH_SUPPORT_BENCH_SUPPORT_H_
