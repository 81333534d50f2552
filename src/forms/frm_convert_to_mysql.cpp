#include "forms/frm_convert_to_mysql.h"

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "forms/path_helpers.h"
#include "base/trim.h"
#include "base/utf16.h"
#include "db/dsn_registration.h"
#include "db/error.h"
#include "db/source_session.h"
#include "input/date_time_stamp.h"
#include "input/field_focus.h"
#include "input/field_kind.h"
#include "input/field_lost_focus.h"
#include "links/backup_copy.h"

namespace forms {
namespace {

using ui::Icon;
using ui::Pointer;

constexpr const char* kRequired = "Required";
constexpr const char* kConnectionFail = "Connection Fail";
constexpr const char* kTestResult = "Test Result";
constexpr const char* kError = "Error";

// The driver manager's answers when the MySQL driver is not installed: the name is not
// registered at all, or it is registered but its library is gone ("Can't open lib 'x' : file not
// found", SQLSTATE 01000, from unixODBC).
bool DriverMissing(const std::string& description) {
  if (description.find("Data source name not found and no default driver specified") !=
      std::string::npos) {
    return true;
  }
  const size_t open_lib = description.find("Can't open lib '");
  return open_lib != std::string::npos &&
         description.find("' : file not found", open_lib) != std::string::npos;
}

std::string WithoutEvery(std::string text, char c) {
  std::erase(text, c);
  return text;
}

// The text of an exception that reached a trap.
std::string Description(const std::exception& e) {
  if (const auto* error = dynamic_cast<const db::Error*>(&e)) return error->description();
  return e.what();
}

}  // namespace

frmConvert_To_MySQL::frmConvert_To_MySQL(const MainWindowFields& fields, ui::Screen& screen,
                                         MainWindowView& view)
    : txtSource_Path_MDB(fields.txtSource_Path_MDB),
      txtTCP_IP_Server(fields.txtTCP_IP_Server),
      txtPort(fields.txtPort),
      txtDatabase(fields.txtDatabase),
      txtUser(fields.txtUser),
      txtPassword(fields.txtPassword),
      screen_(screen),
      view_(view) {}

void frmConvert_To_MySQL::Say(const std::string& text, const std::string& title,
                              const std::string& details) {
  screen_.SetPointer(Pointer::kArrow);
  screen_.MessageBox(text, title, Icon::kInformation, details);
}

void frmConvert_To_MySQL::EnableWorkButtons(bool enabled) {
  view_.SetEnabled(MainWindowView::Button::kConfirm, enabled);
  view_.SetEnabled(MainWindowView::Button::kCreateMySqlConnection, enabled);
}

db::MySqlSettings frmConvert_To_MySQL::Settings() const {
  // MySqlConnectionString trims each setting itself.
  return {txtTCP_IP_Server.Text(), txtPort.Text(), txtDatabase.Text(), txtUser.Text(),
          txtPassword.Text()};
}

bool frmConvert_To_MySQL::SourcePathExists(const std::string& path) {
  if (base::TrimSpaces(path).empty()) {
    Say("Source Path (.mdb) is required.", kRequired);
    txtSource_Path_MDB.SetFocus();
    return false;
  }
  // The path as typed, outer spaces included: they are part of the name.
  if (!FileExists(path)) {
    Say("The source path (.mdb) does not exist.", "File Not Exist");
    txtSource_Path_MDB.SetFocus();
    return false;
  }
  return true;
}

bool frmConvert_To_MySQL::OpenSource(const std::string& path) {
  db::OpenSourceSession(path, db::kSourcePassword);
  if (db::SourceSession().State() == db::kAdStateOpen) return true;
  Say("Unable to connect to the source database (.mdb). Please make sure that the selected "
      "file is the correct database.",
      kConnectionFail);
  txtSource_Path_MDB.SetFocus();
  return false;
}

bool frmConvert_To_MySQL::OpenSessions(const std::string& path) {
  if (!OpenSource(path)) return false;
  // Opened once per run and then reused whatever the fields say later.
  if (mysql_session_.State() == db::kAdStateClosed) {
    mysql_session_.Open(db::MySqlConnectionString(Settings()), "", "", db::kAdConnectUnspecified);
  }
  if (mysql_session_.State() == db::kAdStateClosed) {
    Say("Unable to connect to the MySQL database (" + txtDatabase.Text() +
            "). Please make sure that the MYSQL connection is set up correctly.",
        kConnectionFail);
    return false;
  }
  return true;
}

void frmConvert_To_MySQL::Confirm_Click() {
  last_result_.clear();
  try {
    screen_.SetPointer(Pointer::kHourglass);
    const std::string path = txtSource_Path_MDB.Text();
    if (!SourcePathExists(path)) return;
    if (!OpenSessions(path)) return;

    migrate_password_success_ = "NO";
    screen_.SetPointer(Pointer::kArrow);
    view_.ShowPasswordPrompt(migrate_password_success_);
    if (migrate_password_success_ != "YES") return;

    screen_.SetPointer(Pointer::kHourglass);
    engine_ = std::make_unique<migrate::MigrationEngine>(db::SourceSession(), mysql_session_, screen_);
    if (progress_) engine_->SetProgressCallback(progress_);
    engine_->SetRowAtATime(row_at_a_time_);
    last_result_ = engine_->CreateAndInsertData_To_MYSQLTable(path);
    if (last_result_ == "OK") {
      std::string details;
      const std::vector<std::string>& skipped = engine_->SkippedLinkedTables();
      if (!skipped.empty()) {
        details = "Left out because they are linked to MySQL tables already:";
        for (const std::string& table : skipped) details += "\n" + table;
      }
      Say("Your database has been successfully migrated to MySQL", "Successfully Migrated",
          details);
    }
    screen_.SetPointer(Pointer::kArrow);
  } catch (const std::exception& e) {
    Say(Description(e), kError);
  } catch (...) {
    Say("An unknown error stopped the migration.", kError);
  }
}

void frmConvert_To_MySQL::cmdCreate_MySQL_Connection_Click() {
  last_link_result_.clear();
  last_backup_.clear();
  link_refresh_.reset();
  try {
    screen_.SetPointer(Pointer::kHourglass);
    const std::string path = txtSource_Path_MDB.Text();
    if (!SourcePathExists(path)) return;
    // For this command the MySQL session only proves that the server can be reached; the links
    // use the data source.
    if (!OpenSessions(path)) return;

    input::StampDateTime();
    const std::optional<std::string> backup = links::BackupPath(
        path, WithoutEvery(input::StampDate, '-'), WithoutEvery(input::StampTime, ':'));
    if (!backup) {
      // Refused before anything changes: the copy would get a fixed name, and the next run
      // would overwrite it with the relinked file.
      Say("Cannot make a dated backup copy of " + path +
              ": its name does not end in \".mdb\". Nothing was changed.",
          kError);
      return;
    }
    if (db::SourceSession().State() == db::kAdStateOpen) db::SourceSession().Close();
    // Access keeps a lock file beside a database it has open; the copy would catch it mid-write.
    if (const std::string lock = links::ExistingLockFile(path); !lock.empty()) {
      throw db::Error(70, "Permission denied: the lock file " + lock + " shows " + path +
                              " open in another program");
    }
    // From the path as typed: the file the session opened, outer blanks and all.
    links::DurableCopy(path, *backup);
    if (!FileExists(*backup)) {
      Say("Fail to create MySQL connection.", kConnectionFail);
      return;
    }
    last_backup_ = *backup;

    if (!OpenSource(path)) return;
    // As typed, spaces and all: the data source is registered under the database field's text.
    if (!db::AddMYSQLDSNConnection(txtDatabase.Text(), "", txtTCP_IP_Server.Text(),
                                   txtDatabase.Text(), txtUser.Text(), txtPassword.Text(),
                                   txtPort.Text())) {
      screen_.SetPointer(Pointer::kArrow);
      return;
    }

    screen_.SetPointer(Pointer::kHourglass);
    link_refresh_ = std::make_unique<links::LinkRefresh>(path, txtDatabase.Text(), screen_,
                                                         dao_opener_);
    if (link_refresh_->RefreshODBCLinks(txtDatabase.Text()) != "SUCCESS") {
      // Without a table list nothing was linked: the flag would claim a MySQL front end that
      // does not exist.
      Say("Fail to create MySQL connection.", kConnectionFail, link_refresh_->outcome().failure);
      return;
    }
    db::SourceSession().Execute("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'");

    const links::LinkRefresh::Outcome& outcome = link_refresh_->outcome();
    std::string details = "Backup copy: " + last_backup_;
    if (!outcome.not_linked.empty()) {
      details += "\nNot linked:";
      for (const std::string& table : outcome.not_linked) details += "\n" + table;
    }
    last_link_result_ = "SUCCESS";
    Say("MySQL connection has been successfully created.", "MySQL connection", details);
    screen_.SetPointer(Pointer::kArrow);
  } catch (const db::Error& e) {
    if (e.number() == 70) {
      Say("Permission denied, please make sure no one is currently accessing VELDA.mdb.", kError,
          e.description());
    } else {
      Say(e.description(), kError);
    }
  } catch (const std::exception& e) {
    Say(e.what(), kError);
  } catch (...) {
    Say("An unknown error stopped the refresh of the linked tables.", kError);
  }
}

void frmConvert_To_MySQL::cmdTest_Click() {
  screen_.SetPointer(Pointer::kHourglass);
  TestConnection("YES");
  screen_.SetPointer(Pointer::kArrow);
}

std::string frmConvert_To_MySQL::TestConnection(const std::string& PromptMessage) {
  const bool prompt = PromptMessage == "YES";
  try {
    EnableWorkButtons(false);
    if (prompt) {
      const std::pair<input::TextField*, const char*> required[] = {
          {&txtTCP_IP_Server, "TCP/IP Server is required."},
          {&txtPort, "Port is required."},
          {&txtDatabase, "Database is required."},
          {&txtUser, "User is required."},
      };
      for (const auto& [field, message] : required) {
        if (base::TrimSpaces(field->Text()).empty()) {
          Say(message, kRequired);
          field->SetFocus();
          return {};
        }
      }
    }
    // A connection of its own, closed again when it goes: the window's session is not touched.
    db::Connection test;
    test.SetCursorLocation(db::kAdUseClient);
    test.Open(db::MySqlConnectionString(Settings()), "", "", db::kAdConnectUnspecified);
    if (prompt) {
      Say("Connection successful", kTestResult);
      EnableWorkButtons(true);
    }
    return "SUCCESS";
  } catch (const std::exception& e) {
    EnableWorkButtons(false);
    if (prompt) {
      const std::string description = Description(e);
      Say(DriverMissing(description) ? "Please intall MySQL_Connector_ODBC" : description,
          kTestResult);
    }
    return "FAIL";
  }
}

void frmConvert_To_MySQL::cmdReset_Click() {
  txtTCP_IP_Server.SetText("localhost");
  txtDatabase.SetText("ORV_MYSQL");
  txtUser.SetText("root");
  txtPassword.SetText("");
  txtPort.SetText("3306");
  EnableWorkButtons(false);
  Say("Reset successfully.", "Reset");
}

void frmConvert_To_MySQL::cmdExit_Click() { view_.EndProgram(); }

void frmConvert_To_MySQL::cmdSourcePath_Click() {
  try {
    if (!common_dialog_) {
      filedialog::FileChooser* chooser = view_.OpenFileChooser();
      if (chooser == nullptr) return;
      common_dialog_ = std::make_unique<filedialog::UnicodeFileDialog>(*chooser);
    }
    common_dialog_->SetFilter(u"MDB Files (*.mdb)|*.mdb");
    common_dialog_->SetFilterIndex(1);
    common_dialog_->ShowOpen();
    // After a cancel the dialog still holds the file chosen last time, or nothing.
    txtSource_Path_MDB.SetText(base::Utf16ToUtf8(common_dialog_->FileName()));
  } catch (...) {
    // A dialog that fails leaves the field as it was, without a word.
  }
}

void frmConvert_To_MySQL::GotFocus(input::TextField& field) {
  input::FieldGotFocus(field);
  input::FieldEdited(field, field.Text(), input::kGotFocus);
}

void frmConvert_To_MySQL::KeyPress(input::TextField& field, input::KeyCode& key,
                                   input::FieldKind kind) {
  input::FieldKeyPress(field, key, kind, 0);
}

void frmConvert_To_MySQL::LostFocus(input::TextField& field, input::FieldKind kind) {
  input::FieldLostFocus(field, kind, screen_);
  if (input::FieldEdited(field, field.Text(), input::kLostFocus)) EnableWorkButtons(false);
}

void frmConvert_To_MySQL::txtTCP_IP_Server_GotFocus() { GotFocus(txtTCP_IP_Server); }
void frmConvert_To_MySQL::txtTCP_IP_Server_KeyPress(input::KeyCode& KeyAscii) {
  KeyPress(txtTCP_IP_Server, KeyAscii, input::kFreeText);
}
void frmConvert_To_MySQL::txtTCP_IP_Server_LostFocus() {
  LostFocus(txtTCP_IP_Server, input::kFreeText);
}

void frmConvert_To_MySQL::txtPort_GotFocus() { GotFocus(txtPort); }
void frmConvert_To_MySQL::txtPort_KeyPress(input::KeyCode& KeyAscii) {
  KeyPress(txtPort, KeyAscii, input::kWholeNumber);
}
void frmConvert_To_MySQL::txtPort_LostFocus() { LostFocus(txtPort, input::kWholeNumber); }

void frmConvert_To_MySQL::txtUser_GotFocus() { GotFocus(txtUser); }
void frmConvert_To_MySQL::txtUser_KeyPress(input::KeyCode& KeyAscii) {
  KeyPress(txtUser, KeyAscii, input::kFreeText);
}
void frmConvert_To_MySQL::txtUser_LostFocus() { LostFocus(txtUser, input::kFreeText); }

void frmConvert_To_MySQL::txtPassword_GotFocus() { GotFocus(txtPassword); }
void frmConvert_To_MySQL::txtPassword_KeyPress(input::KeyCode& KeyAscii) {
  KeyPress(txtPassword, KeyAscii, input::kFreeText);
}
void frmConvert_To_MySQL::txtPassword_LostFocus() { LostFocus(txtPassword, input::kFreeText); }

}  // namespace forms
