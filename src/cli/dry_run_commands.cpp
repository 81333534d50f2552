#include "cli/dry_run_commands.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>

#include "base/ascii_case.h"
#include "base/error.h"
#include "cli/command_line_screen.h"
#include "cli/dry_run_session.h"
#include "cli/exit_status.h"
#include "cli/preflight.h"
#include "db/connection.h"
#include "db/dao.h"
#include "db/dsn_registration.h"
#include "db/source_session.h"
#include "input/date_time_stamp.h"
#include "jet/lock_file.h"
#include "links/backup_copy.h"
#include "links/link_refresh.h"
#include "migrate/migration_engine.h"

namespace cli {
namespace {

std::string WithoutEvery(std::string text, char c) {
  std::erase(text, c);
  return text;
}

// The MySQL tables the link refresh would walk, read with its own query.
std::vector<std::string> MySqlTables(db::Session& mysql, const std::string& database) {
  std::vector<std::string> names;
  std::unique_ptr<db::Cursor> rows = mysql.Execute(links::TableQuery(database));
  std::vector<db::Value> row;
  while (rows && rows->Next(row))
    if (!row.empty()) names.push_back(row[0].ToString());
  return names;
}

}  // namespace

int RunMigrateDryRun(const WorkOptions& o, const Console& console) {
  CommandLineScreen screen(console.out, console.err, ProgressStyle::kQuiet);
  if (const int refused = CheckSource(o.source, screen)) return refused;
  std::unique_ptr<db::Session> server = OpenMySql(o.mysql, screen);
  if (!server) return kExitServerUnreachable;

  auto dry_run = std::make_unique<DryRunSession>(std::move(server));
  DryRunSession& recorded = *dry_run;
  db::Connection mysql;
  mysql.Attach(std::move(dry_run));
  db::OpenSourceSession(o.source, db::kSourcePassword);
  migrate::MigrationEngine engine(db::SourceSession(), mysql, screen);
  // One INSERT per row, so that the rows of each table can be counted from the statements.
  engine.SetRowAtATime(true);
  const std::string result = engine.CreateAndInsertData_To_MYSQLTable(o.source);
  for (const std::string& line : recorded.Lines()) console.out << line << "\n";
  for (const std::string& table : engine.SkippedLinkedTables())
    console.out << "-- left out (a linked table): " << table << "\n";
  console.out << (result == "OK" ? "OK" : "FAIL") << " (dry run: nothing was changed)\n";
  return result == "OK" ? kExitSuccess : kExitFailure;
}

int RunLinkDryRun(const WorkOptions& o, const Console& console) {
  std::ostream& out = console.out;
  CommandLineScreen screen(out, out, ProgressStyle::kQuiet);
  if (const int refused = CheckSource(o.source, screen)) return refused;
  std::unique_ptr<db::Session> server = OpenMySql(o.mysql, screen);
  if (!server) return kExitServerUnreachable;
  try {
    input::StampDateTime();
    const std::optional<std::string> backup =
        links::BackupPath(o.source, WithoutEvery(input::StampDate, '-'),
                          WithoutEvery(input::StampTime, ':'));
    if (!backup) {
      out << "Cannot make a dated backup copy of " << o.source
          << ": its name does not end in \".mdb\". Nothing was changed.\nFAIL\n";
      return kExitFailure;
    }
    if (const std::string lock = jet::ExistingLockFile(o.source); !lock.empty()) {
      out << "Permission denied, please make sure no one is currently accessing VELDA.mdb.\n"
          << "(the lock file " << lock << " shows the file open in another program)\nFAIL\n";
      return kExitFailure;
    }
    out << "backup copy: " << *backup << "\n";
    const std::string list = db::DsnAttributeList(o.mysql.database, o.mysql.server,
                                                  o.mysql.database, o.mysql.user,
                                                  o.mysql.password.empty() ? "" : "***",
                                                  o.mysql.port);
    for (size_t at = 0; at < list.size() && list[at] != '\0'; at = list.find('\0', at) + 1)
      out << "data source attribute: " << list.substr(at, list.find('\0', at) - at) << "\n";

    std::unique_ptr<db::dao::Database> file = db::dao::OpenDatabase(
        o.source, false, true, std::string(";pwd=") + db::kSourcePassword);
    std::vector<std::string> in_file;
    for (const db::dao::TableDef& def : file->TableDefs())
      in_file.push_back(base::ToLowerAscii(def.name));
    const std::vector<std::string> tables = MySqlTables(*server, o.mysql.database);
    if (!tables.empty() && !file->CanLinkTables()) {
      out << "Linked tables are not supported by this engine yet: nothing was dropped.\nFAIL\n";
      return kExitFailure;
    }
    for (const std::string& name : tables) {
      if (name == links::kExcludedTable) {
        out << "-- kept as it is: " << name << "\n";
        continue;
      }
      if (std::find(in_file.begin(), in_file.end(), base::ToLowerAscii(name)) != in_file.end())
        out << "DROP TABLE " << name << "\n";
      out << "link " << name << " to " << name << " through "
          << db::LinkConnectString(o.mysql.database) << "\n";
    }
    out << "UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'\n";
  } catch (const std::exception& e) {
    out << WithoutPassword(base::DescriptionOf(e), o.mysql.password) << "\nFAIL\n";
    return kExitFailure;
  }
  out << "SUCCESS (dry run: nothing was changed)\n";
  return kExitSuccess;
}

}  // namespace cli
