#ifndef MDBTOMYSQL_FORMS_FRM_CONVERT_TO_MYSQL_H_
#define MDBTOMYSQL_FORMS_FRM_CONVERT_TO_MYSQL_H_

#include <memory>
#include <string>

#include "forms/main_window_view.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "filedialog/unicode_file_dialog.h"
#include "input/field_key_press.h"
#include "input/text_field.h"
#include "links/link_refresh.h"
#include "migrate/migration_engine.h"
#include "ui/screen.h"

namespace forms {

// Ends the progress display of a command however the command ends; End() ends it earlier, before
// the command's last message.
class ProgressScope {
 public:
  explicit ProgressScope(ui::Screen& screen) : screen_(screen) {}
  ~ProgressScope() { End(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  void End() {
    if (ended_) return;
    ended_ = true;
    screen_.EndProgress();
  }

 private:
  ui::Screen& screen_;
  bool ended_ = false;
};

// The main window's six text fields, as the commands see them.
struct MainWindowFields {
  input::TextField& txtSource_Path_MDB;
  input::TextField& txtTCP_IP_Server;
  input::TextField& txtPort;
  input::TextField& txtDatabase;
  input::TextField& txtUser;
  input::TextField& txtPassword;
};

// The main window's logic: its commands, its field handlers and the state it owns (the MySQL
// session and MigratePasswordSuccess). It knows no window toolkit, so that the Qt window, the
// command line and the tests all run the same code; a person is reached only through `screen`
// and `view`.
//
// Every command has its own error trap: an error that reaches it is shown under "Error" and the
// command ends; nothing escapes to the caller.
class frmConvert_To_MySQL {
 public:
  // The fields, the screen and the view must outlive the object.
  frmConvert_To_MySQL(const MainWindowFields& fields, ui::Screen& screen, MainWindowView& view);
  frmConvert_To_MySQL(const frmConvert_To_MySQL&) = delete;
  frmConvert_To_MySQL& operator=(const frmConvert_To_MySQL&) = delete;

  // Empty until the first migration command; "NO" while the prompt is up; "YES" once the prompt
  // accepted a password.
  const std::string& MigratePasswordSuccess() const { return migrate_password_success_; }
  void SetMigratePasswordSuccess(const std::string& value) { migrate_password_success_ = value; }

  // Migrates the source database to MySQL: checks the path, opens the source session and the
  // MySQL session (kept from an earlier command while the settings are the same), asks for the
  // migration password, runs the migration engine.
  void Confirm_Click();
  // Turns the source database into a front end of the MySQL database: checks the path, opens the
  // source session and the MySQL session as the migration does, makes a dated backup copy beside
  // the file, registers the data source, relinks the tables and sets ISMySQLDB to 'YES'.
  // Refuses, before anything changes, a file whose name gives no dated backup name.
  void cmdCreate_MySQL_Connection_Click();
  // Tests the connection settings; the only way to enable the two work buttons.
  void cmdTest_Click();
  // Opens a throw-away connection with the fields' settings. "YES" checks the required fields,
  // reports and enables the work buttons on success; anything else opens silently. Returns
  // "SUCCESS", "FAIL", or empty when a required field was empty.
  std::string TestConnection(const std::string& PromptMessage);
  void cmdReset_Click();
  void cmdExit_Click();
  void cmdSourcePath_Click();

  void txtTCP_IP_Server_GotFocus();
  void txtTCP_IP_Server_KeyPress(input::KeyCode& KeyAscii);
  void txtTCP_IP_Server_LostFocus();
  void txtPort_GotFocus();
  void txtPort_KeyPress(input::KeyCode& KeyAscii);
  void txtPort_LostFocus();
  void txtUser_GotFocus();
  void txtUser_KeyPress(input::KeyCode& KeyAscii);
  void txtUser_LostFocus();
  void txtPassword_GotFocus();
  void txtPassword_KeyPress(input::KeyCode& KeyAscii);
  void txtPassword_LostFocus();

  // The window's own MySQL session: closed until a work command opens it, then open until the
  // object goes. A work command that finds the five settings (trimmed) changed since it was
  // opened closes it and opens it with the current ones; its ConnectionString tells which.
  db::Connection& MySqlSession() { return mysql_session_; }

  // What the last migration command got from the engine: "OK", "FAIL", or empty when it stopped
  // before the engine ran.
  const std::string& LastMigrationResult() const { return last_result_; }
  // The engine of the last migration that ran (its migrated and skipped tables); null before.
  const migrate::MigrationEngine* LastMigration() const { return engine_.get(); }
  // Passed to the engine of every later migration: one INSERT per row, for comparison.
  void SetRowAtATime(bool row_at_a_time) { row_at_a_time_ = row_at_a_time; }

  // "SUCCESS" when the last refresh-link command reported success; empty otherwise.
  const std::string& LastLinkResult() const { return last_link_result_; }
  // The backup copy the last refresh-link command made; empty before.
  const std::string& LastBackupPath() const { return last_backup_; }
  // The link refresh of the last refresh-link command that got that far; null otherwise.
  const links::LinkRefresh* LastLinkRefresh() const { return link_refresh_.get(); }
  // How the link refresh opens the source file through DAO (tests script it).
  void SetDaoOpener(links::DaoOpener opener) { dao_opener_ = std::move(opener); }

  input::TextField& txtSource_Path_MDB;
  input::TextField& txtTCP_IP_Server;
  input::TextField& txtPort;
  input::TextField& txtDatabase;
  input::TextField& txtUser;
  input::TextField& txtPassword;

 private:
  void Say(const std::string& text, const std::string& title, const std::string& details = {});
  // The first two checks of both work commands: a path is given and names an existing file.
  // Shows the message and puts the focus into the path field when not.
  bool SourcePathExists(const std::string& path);
  // Opens the source session on `path`; says so and puts the focus into the path field when the
  // file cannot be opened.
  bool OpenSource(const std::string& path);
  // Opens the source session on `path` and the MySQL session with the current settings, as both
  // work commands do. Shows the command's message when either stays closed; an error the driver
  // raises reaches the command's trap.
  bool OpenSessions(const std::string& path);
  // The engine's check of the file at `path` before a work command uses it; false, after the
  // message that names the first damage, for a damaged file.
  bool SourceIsSound(const std::string& path);
  // The refresh-link command's dated backup copy of the file at `path`, made with the source
  // session closed. False, after the command's message, when no copy was made; an error of the
  // copy reaches the command's trap.
  bool BackUpSource(const std::string& path);
  // The refresh-link command's relink through the registered data source, the flag statement
  // and the command's last message.
  void RelinkTables(const std::string& path, ProgressScope& progress);
  // What the last relink did, for the details of its message: why it failed, the tables dropped
  // and not linked, those not linked, the names left alone, and the backup copy.
  std::string RelinkDetails() const;
  void EnableWorkButtons(bool enabled);
  db::MySqlSettings Settings() const;
  void GotFocus(input::TextField& field);
  void KeyPress(input::TextField& field, input::KeyCode& key, input::FieldKind kind);
  void LostFocus(input::TextField& field, input::FieldKind kind);

  ui::Screen& screen_;
  MainWindowView& view_;
  db::Connection mysql_session_;
  std::string migrate_password_success_;
  std::string last_result_;
  std::unique_ptr<migrate::MigrationEngine> engine_;
  bool row_at_a_time_ = false;
  std::string last_link_result_;
  std::string last_backup_;
  std::unique_ptr<links::LinkRefresh> link_refresh_;
  links::DaoOpener dao_opener_ = db::dao::OpenDatabase;
  // The window's CommonDialog: made on first use and kept, so that it remembers the file chosen
  // last.
  std::unique_ptr<filedialog::UnicodeFileDialog> common_dialog_;
};

}  // namespace forms

#endif  // MDBTOMYSQL_FORMS_FRM_CONVERT_TO_MYSQL_H_
