#include "cli/work_commands.h"

#include <memory>
#include <string>

#include "cli/command_line_screen.h"
#include "cli/dry_run_commands.h"
#include "cli/exit_status.h"
#include "cli/preflight.h"
#include "cli/usage.h"
#include "cli/work_options.h"
#include "db/dsn_registration.h"
#include "forms/frm_convert_to_mysql.h"
#include "forms/main_window_view.h"
#include "input/memory_field.h"

namespace cli {
namespace {

// The main window without a window: --yes stands in for the migration password prompt.
class CommandLineView : public forms::MainWindowView {
 public:
  void SetEnabled(Button, bool) override {}
  void ShowPasswordPrompt(std::string& migrate_password_success) override {
    migrate_password_success = "YES";
  }
};

// The main window's six fields, filled from the options.
struct OptionFields {
  explicit OptionFields(const WorkOptions& o)
      : source("txtSource_Path_MDB", o.source),
        server("txtTCP_IP_Server", o.mysql.server),
        port("txtPort", o.mysql.port),
        database("txtDatabase", o.mysql.database),
        user("txtUser", o.mysql.user),
        password("txtPassword", o.mysql.password) {}
  forms::MainWindowFields Fields() { return {source, server, port, database, user, password}; }

  input::MemoryField source, server, port, database, user, password;
};

// The window's logic on the options' fields, its MySQL session already open.
struct CommandWindow {
  CommandWindow(const WorkOptions& o, ui::Screen& screen, std::unique_ptr<db::Session> mysql)
      : fields(o), form(fields.Fields(), screen, view) {
    form.MySqlSession().Attach(std::move(mysql));
  }
  OptionFields fields;
  CommandLineView view;
  forms::frmConvert_To_MySQL form;
};

}  // namespace

int RunMigrate(const Arguments& a, const Console& console) {
  WorkOptions o;
  if (const std::string wrong = ReadWorkOptions(a, console, &o); !wrong.empty())
    return UsageError(wrong, console.err);
  if (a.Flag("--dry-run")) return RunMigrateDryRun(o, console);
  if (!a.Flag("--yes"))
    return UsageError("--yes is required: a migration drops the MySQL tables of the same names",
                      console.err);
  std::ostream& out = console.out;
  const bool quiet = a.Flag("--quiet");
  CommandLineScreen screen(out, console.err, StyleFor(a, console), TerminalWidth());
  if (const int refused = CheckSource(o.source, screen)) return refused;
  std::unique_ptr<db::Session> mysql = OpenMySql(o.mysql, screen);
  if (!mysql) return kExitServerUnreachable;

  CommandWindow window(o, screen, std::move(mysql));
  if (a.Flag("--row-at-a-time")) window.form.SetRowAtATime(true);
  window.form.Confirm_Click();
  const std::string& result = window.form.LastMigrationResult();
  if (const migrate::MigrationEngine* engine = window.form.LastMigration(); engine && !quiet) {
    for (const std::string& table : engine->MigratedTables()) out << "migrated: " << table << "\n";
    for (const std::string& table : engine->SkippedLinkedTables())
      out << "left out (a linked table): " << table << "\n";
  }
  out << (result.empty() ? "FAIL" : result) << "\n";
  return result == "OK" ? kExitSuccess : kExitFailure;
}

int RunLink(const Arguments& a, const Console& console) {
  WorkOptions o;
  if (const std::string wrong = ReadWorkOptions(a, console, &o); !wrong.empty())
    return UsageError(wrong, console.err);
  if (a.Flag("--dry-run")) return RunLinkDryRun(o, console);
  std::ostream& out = console.out;
  const bool quiet = a.Flag("--quiet");
  // The details of the command's message (the tables dropped and not linked, the backup copy)
  // go to stderr, where an administrator's script keeps what went wrong.
  CommandLineScreen screen(out, console.err, StyleFor(a, console), TerminalWidth());
  if (const int refused = CheckSource(o.source, screen)) return refused;
  std::unique_ptr<db::Session> mysql = OpenMySql(o.mysql, screen);
  if (!mysql) return kExitServerUnreachable;

  CommandWindow window(o, screen, std::move(mysql));
  window.form.cmdCreate_MySQL_Connection_Click();
  // The window says nothing when the registration fails; a command line says why.
  if (!window.form.LastBackupPath().empty() && window.form.LastLinkRefresh() == nullptr &&
      !db::LastRegistrationFailure().empty()) {
    console.err << "mdbtomysql: the data source could not be registered: "
                << db::LastRegistrationFailure() << "\n";
  }
  if (!quiet && !window.form.LastBackupPath().empty())
    out << "backup: " << window.form.LastBackupPath() << "\n";
  if (const links::LinkRefresh* refresh = window.form.LastLinkRefresh(); refresh && !quiet) {
    for (const std::string& table : refresh->outcome().linked) out << "linked: " << table << "\n";
    for (const std::string& table : refresh->outcome().not_linked)
      out << "not linked: " << table << "\n";
  }
  const bool ok = window.form.LastLinkResult() == "SUCCESS";
  out << (ok ? "SUCCESS" : "FAIL") << "\n";
  return ok ? kExitSuccess : kExitFailure;
}

}  // namespace cli
