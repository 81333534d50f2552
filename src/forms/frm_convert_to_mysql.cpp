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
#include "db/source_check.h"
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

bool frmConvert_To_MySQL::SourceIsSound(const std::string& path) {
  const std::optional<std::string> damage =
      db::FirstDamageOf(std::string(base::TrimSpaces(path)), db::kSourcePassword);
  if (!damage) return true;
  // A damaged file loses rows in a copy, and a relink would drop tables whose only other copy
  // is the equally damaged backup: refused before anything changes.
  Say(path + " is damaged: " + *damage +
          ". Nothing was changed. Make a copy of the file, open it in Access and run Compact "
          "and Repair Database on it, then try again.",
      "Error");
  return false;
}

bool frmConvert_To_MySQL::OpenSessions(const std::string& path) {
  if (!OpenSource(path)) return false;
  // Opened once and reused while the settings are those it was opened with. A session opened
  // with other settings goes: it would drop and fill the tables of a server or database the
  // person no longer points at, and the command would report success for work not done.
  const std::string connection_string = db::MySqlConnectionString(Settings());
  if (mysql_session_.State() == db::kAdStateOpen &&
      mysql_session_.ConnectionString() != connection_string) {
    mysql_session_.Close();
  }
  if (mysql_session_.State() == db::kAdStateClosed) {
    mysql_session_.Open(connection_string, "", "", db::kAdConnectUnspecified);
  }
  if (mysql_session_.State() == db::kAdStateClosed) {
    Say("Unable to connect to the MySQL database (" + txtDatabase.Text() +
            "). Please make sure that the MYSQL connection is set up correctly.",
        kConnectionFail);
    return false;
  }
  return true;
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
