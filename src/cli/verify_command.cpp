#include "cli/verify_command.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <ostream>

#include "base/error.h"
#include "cli/command_line_screen.h"
#include "cli/exit_status.h"
#include "cli/preflight.h"
#include "cli/usage.h"
#include "cli/work_options.h"
#include "db/connection.h"
#include "db/dao.h"
#include "db/source_session.h"
#include "migrate/column_translation.h"
#include "verify/table_verifier.h"

namespace cli {
namespace {

struct Totals {
  int tables = 0, equal = 0, different = 0, failed = 0;
  long file_rows = 0, mysql_rows = 0, equal_rows = 0;
};

std::string TableLine(const verify::TableReport& r) {
  std::string line = r.table + ": ";
  if (!r.error.empty()) return line + "not compared: " + r.error;
  line += std::to_string(r.file_rows) + (r.file_rows == 1 ? " row" : " rows") + " in the file, " +
          std::to_string(r.mysql_rows) +
          " in MySQL, " + std::to_string(r.equal_rows) + " equal";
  if (r.through_link) line += " (through its link)";
  if (r.differences > 0)
    line += "; " + std::to_string(r.differences) +
            (r.differences == 1 ? " difference" : " differences");
  return line;
}

// The selected tables of the file and whether each is an ODBC link, in the catalogue's order.
std::vector<std::pair<std::string, bool>> SelectedTables(const std::string& path) {
  std::vector<std::pair<std::string, bool>> tables;
  std::unique_ptr<db::dao::Database> file =
      db::dao::OpenDatabase(path, false, true, std::string(";pwd=") + db::kSourcePassword);
  for (const db::dao::TableDef& def : file->TableDefs())
    if (migrate::IsSelectedTable(def.name))
      tables.emplace_back(def.name, def.connect.rfind("ODBC;", 0) == 0);
  return tables;
}

}  // namespace

int RunVerify(const Arguments& a, const Console& console) {
  WorkOptions o;
  if (const std::string wrong = ReadWorkOptions(a, console, &o); !wrong.empty())
    return UsageError(wrong, console.err);
  std::ostream& out = console.out;
  const bool quiet = a.Flag("--quiet");
  const bool redraw = console.terminal && !quiet;
  CommandLineScreen screen(out, console.err, ProgressStyle::kQuiet);
  if (const int refused = CheckSource(o.source, screen)) return refused;
  std::unique_ptr<db::Session> mysql = OpenMySql(o.mysql, screen);
  if (!mysql) return kExitServerUnreachable;

  const auto start = std::chrono::steady_clock::now();
  db::Connection source;
  db::OpenSourceSession(source, o.source, db::kSourcePassword);
  std::vector<std::pair<std::string, bool>> tables;
  try {
    tables = SelectedTables(o.source);
  } catch (const std::exception& e) {
    console.err << base::DescriptionOf(e) << "\n";
    return kExitSourceUnreadable;
  }
  verify::TableVerifier verifier(source, *mysql);
  Totals totals;
  const int width = redraw ? TerminalWidth() : 80;
  for (const auto& [name, linked] : tables) {
    ++totals.tables;
    const std::string head = "Verifying table " + std::to_string(totals.tables) + " of " +
                             std::to_string(tables.size()) + ": " + name;
    auto progress = [&](long rows) {
      if (!redraw) return;
      std::string line = head + ", " + std::to_string(rows) + " rows";
      if (int(line.size()) >= width) line.resize(size_t(width - 1));
      out << "\r" << line << "\x1b[K" << std::flush;
    };
    progress(0);
    const verify::TableReport r = verifier.Verify(name, linked, progress);
    if (redraw) out << "\r\x1b[K";
    totals.file_rows += r.file_rows;
    totals.mysql_rows += r.mysql_rows;
    totals.equal_rows += r.equal_rows;
    ++(r.Equal() ? totals.equal : r.error.empty() ? totals.different : totals.failed);
    if (quiet && r.Equal()) continue;
    out << TableLine(r) << "\n";
    for (const std::string& d : r.shown) out << "  " << d << "\n";
    if (r.differences > long(r.shown.size()))
      out << "  ... and " << r.differences - long(r.shown.size()) << " more\n";
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char time[32];
  std::snprintf(time, sizeof time, "%.1f s", seconds);
  out << totals.tables << " tables: " << totals.equal << " equal, " << totals.different
      << " different, " << totals.failed << " not compared; " << totals.file_rows
      << " rows in the file, " << totals.mysql_rows << " in MySQL, " << totals.equal_rows
      << " equal; " << time << "\n";
  out << (totals.failed > 0 ? "FAIL" : totals.different > 0 ? "DIFFERENT" : "EQUAL") << "\n";
  out.flush();
  if (totals.failed > 0) return kExitFailure;
  return totals.different > 0 ? kExitDifferences : kExitSuccess;
}

}  // namespace cli
