#include "app/command_line.h"

#include <optional>
#include <ostream>

#include "app/frm_convert_to_mysql.h"
#include "app/main_window_view.h"
#include "db/source_session.h"
#include "input/memory_field.h"
#include "jet/check.h"
#include "jet/tools.h"
#include "ui/console_screen.h"

namespace {

// Positional arguments and "--name value" options of one subcommand.
struct Arguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;
  std::string error;

  std::optional<std::string> Option(const std::string& name) const {
    for (const auto& [k, v] : options)
      if (k == name) return v;
    return std::nullopt;
  }
  bool Flag(const std::string& name) const {
    for (const auto& f : flags)
      if (f == name) return true;
    return false;
  }
};

// Splits `args` (after the subcommand); `valued` names the options that take a value.
Arguments Split(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                const std::vector<std::string>& switches) {
  Arguments a;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      a.positional.push_back(arg);
      continue;
    }
    bool known = false;
    for (const auto& v : valued) {
      if (arg != v) continue;
      known = true;
      if (i + 1 >= args.size()) {
        a.error = arg + " needs a value";
      } else {
        a.options.emplace_back(arg, args[++i]);
      }
    }
    for (const auto& s : switches) {
      if (arg != s) continue;
      known = true;
      a.flags.push_back(arg);
    }
    if (!known && a.error.empty()) a.error = "unknown option " + arg;
  }
  return a;
}

int UsageError(const std::string& message, std::ostream& err) {
  err << "mdbtomysql: " << message << "\n" << CommandLineUsage();
  return 2;
}

// The main window without a window: --yes stands in for the migration password prompt.
class CommandLineView : public app::MainWindowView {
 public:
  void SetEnabled(Button, bool) override {}
  void ShowPasswordPrompt(std::string& migrate_password_success) override {
    migrate_password_success = "YES";
  }
};

// The main window's six fields, filled from the options; the window's start values stand where
// an option is not given.
struct OptionFields {
  explicit OptionFields(const Arguments& a)
      : source("txtSource_Path_MDB", a.Option("--source").value_or("")),
        server("txtTCP_IP_Server", a.Option("--server").value_or("localhost")),
        port("txtPort", a.Option("--port").value_or("3306")),
        database("txtDatabase", a.Option("--database").value_or("VELDA_MYSQL")),
        user("txtUser", a.Option("--user").value_or("root")),
        password("txtPassword", a.Option("--password").value_or("")) {}
  app::MainWindowFields Fields() { return {source, server, port, database, user, password}; }

  input::MemoryField source, server, port, database, user, password;
};

// `mdbtomysql migrate`: the migration command of the main window, run on fields filled from
// the options (the window's start values where an option is not given).
int RunMigrate(const Arguments& a, std::ostream& out, std::ostream& err) {
  if (!a.error.empty()) return UsageError(a.error, err);
  if (!a.positional.empty()) return UsageError("unexpected argument " + a.positional[0], err);
  if (!a.Option("--source")) return UsageError("--source FILE is required", err);
  if (!a.Flag("--yes"))
    return UsageError("--yes is required: a migration drops the MySQL tables of the same names",
                      err);
  OptionFields fields(a);
  ui::ConsoleScreen screen(out, err);
  CommandLineView view;
  app::frmConvert_To_MySQL form(fields.Fields(), screen, view);
  form.SetProgressCallback([&err](const migrate::Progress& p) {
    err << "table " << p.table_number << " of " << p.table_count << ": " << p.table_name << ", "
        << p.rows_copied << " rows\n";
  });
  if (a.Flag("--row-at-a-time")) form.SetRowAtATime(true);
  form.Confirm_Click();
  const std::string& result = form.LastMigrationResult();
  if (const migrate::MigrationEngine* engine = form.LastMigration()) {
    for (const std::string& table : engine->MigratedTables()) out << "migrated: " << table << "\n";
    for (const std::string& table : engine->SkippedLinkedTables())
      out << "left out (a linked table): " << table << "\n";
  }
  out << (result.empty() ? "FAIL" : result) << "\n";
  return result == "OK" ? 0 : 1;
}

// `mdbtomysql link`: the refresh-link command of the main window, run on fields filled from the
// options (the window's start values where an option is not given). Exit 0 only on success.
int RunLink(const Arguments& a, std::ostream& out, std::ostream& err) {
  if (!a.error.empty()) return UsageError(a.error, err);
  if (!a.positional.empty()) return UsageError("unexpected argument " + a.positional[0], err);
  if (!a.Option("--source")) return UsageError("--source FILE is required", err);
  OptionFields fields(a);
  ui::ConsoleScreen screen(out, out);
  CommandLineView view;
  app::frmConvert_To_MySQL form(fields.Fields(), screen, view);
  form.cmdCreate_MySQL_Connection_Click();
  if (!form.LastBackupPath().empty()) out << "backup: " << form.LastBackupPath() << "\n";
  if (const links::LinkRefresh* refresh = form.LastLinkRefresh()) {
    for (const std::string& table : refresh->outcome().linked) out << "linked: " << table << "\n";
    for (const std::string& table : refresh->outcome().not_linked)
      out << "not linked: " << table << "\n";
  }
  const bool ok = form.LastLinkResult() == "SUCCESS";
  out << (ok ? "SUCCESS" : "FAIL") << "\n";
  return ok ? 0 : 1;
}

}  // namespace

std::string CommandLineUsage() {
  return "usage:\n"
         "  mdbtomysql                          open the window\n"
         "  mdbtomysql tables FILE [--password PW]\n"
         "                                      list the tables of a .mdb file\n"
         "  mdbtomysql export FILE TABLE [--password PW]\n"
         "                                      write one table as tab-separated text\n"
         "  mdbtomysql check FILE [--password PW]\n"
         "                                      check every table and index of a .mdb file\n"
         "  mdbtomysql migrate --source FILE [--server H] [--port P] [--database D]\n"
         "                     [--user U] [--password PW] [--row-at-a-time] --yes\n"
         "                                      migrate the tables of a .mdb file to MySQL\n"
         "                                      (drops the MySQL tables of the same names)\n"
         "  mdbtomysql link --source FILE [--server H] [--port P] [--database D]\n"
         "                  [--user U] [--password PW]\n"
         "                                      back the .mdb file up beside it, then link its\n"
         "                                      tables to the MySQL tables of the same names\n"
         "The password of the .mdb file is qarnivel unless --password says otherwise\n"
         "(for migrate and link, --password is the MySQL password).\n";
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << CommandLineUsage();
    return args.empty() ? 2 : 0;
  }
  const std::string& command = args[0];
  if (command == "check") {
    const Arguments a = Split(args, {"--password"}, {});
    if (!a.error.empty()) return UsageError(a.error, err);
    if (a.positional.size() != 1) return UsageError("wrong number of arguments", err);
    return jet::RunCheckCommand(a.positional[0], a.Option("--password").value_or(db::kSourcePassword),
                                out, err);
  }
  if (command == "tables" || command == "export") {
    const Arguments a = Split(args, {"--password"}, {});
    const size_t wanted = command == "tables" ? 1 : 2;
    if (!a.error.empty()) return UsageError(a.error, err);
    if (a.positional.size() != wanted) return UsageError("wrong number of arguments", err);
    const std::string password = a.Option("--password").value_or(db::kSourcePassword);
    if (command == "tables") return jet::RunTablesCommand(a.positional[0], password, out, err);
    return jet::RunExportCommand(a.positional[0], a.positional[1], password, out, err);
  }
  if (command == "migrate")
    return RunMigrate(Split(args, {"--source", "--server", "--port", "--database", "--user",
                                   "--password"},
                            {"--yes", "--row-at-a-time"}),
                      out, err);
  if (command == "link")
    return RunLink(Split(args, {"--source", "--server", "--port", "--database", "--user",
                                "--password"},
                         {}),
                   out, err);
  err << "mdbtomysql: unknown command \"" << args[0] << "\"\n" << CommandLineUsage();
  return 2;
}
