#include "app/frm_migrate_mysql_pasword.h"

#include <algorithm>
#include <string>

#include "input/date_time_stamp.h"

namespace app {
namespace {

// Only the space character counts; tabs and other white space are part of what was typed.
std::string TrimSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string ExpectedMigrationPassword() {
  input::StampDateTime();
  std::string digits = input::StampTime;
  digits.erase(std::remove(digits.begin(), digits.end(), ':'), digits.end());
  return digits.substr(0, 4);
}

void frmMigrate_Mysql_Pasword::cmdOK_Click() {
  if (TrimSpaces(txtPassword.Text()) == ExpectedMigrationPassword()) {
    migrate_password_success_ = "YES";
    view_.Unload();
    return;
  }
  screen_.MessageBox("Invalid password.", "Invalid Password", ui::Icon::kInformation);
}

void frmMigrate_Mysql_Pasword::cmdCancel_Click() { view_.Unload(); }

}  // namespace app
