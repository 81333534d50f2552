#include "cli/work_commands.h"

#include <string>

#include "cli/usage.h"
#include "forms/frm_convert_to_mysql.h"
#include "forms/main_window_view.h"
#include "forms/start_values.h"
#include "input/memory_field.h"
#include "ui/console_screen.h"

namespace cli {
namespace {

using forms::StartValues;

// The main window without a window: --yes stands in for the migration password prompt.
class CommandLineView : public forms::MainWindowView {
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
      : source("txtSource_Path_MDB", a.Option("--source").value_or(StartValues::kSourcePath)),
        server("txtTCP_IP_Server", a.Option("--server").value_or(StartValues::kServer)),
        port("txtPort", a.Option("--port").value_or(StartValues::kPort)),
        database("txtDatabase", a.Option("--database").value_or(StartValues::kDatabase)),
        user("txtUser", a.Option("--user").value_or(StartValues::kUser)),
        password("txtPassword", a.Option("--password").value_or(StartValues::kPassword)) {}
  forms::MainWindowFields Fields() { return {source, server, port, database, user, password}; }

  input::MemoryField source, server, port, database, user, password;
};

}  // namespace

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
  forms::frmConvert_To_MySQL form(fields.Fields(), screen, view);
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

int RunLink(const Arguments& a, std::ostream& out, std::ostream& err) {
  if (!a.error.empty()) return UsageError(a.error, err);
  if (!a.positional.empty()) return UsageError("unexpected argument " + a.positional[0], err);
  if (!a.Option("--source")) return UsageError("--source FILE is required", err);
  OptionFields fields(a);
  ui::ConsoleScreen screen(out, out);
  CommandLineView view;
  forms::frmConvert_To_MySQL form(fields.Fields(), screen, view);
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

}  // namespace cli
