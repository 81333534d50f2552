#include "forms/frm_migrate_mysql_pasword.h"

#include <algorithm>
#include <string>

#include "base/trim.h"
#include "input/date_time_stamp.h"

namespace forms {
std::string ExpectedMigrationPassword() {
  input::StampDateTime();
  std::string digits = input::StampTime;
  digits.erase(std::remove(digits.begin(), digits.end(), ':'), digits.end());
  return digits.substr(0, 4);
}

void frmMigrate_Mysql_Pasword::cmdOK_Click() {
  if (base::TrimSpaces(txtPassword.Text()) == ExpectedMigrationPassword()) {
    migrate_password_success_ = "YES";
    view_.Unload();
    return;
  }
  screen_.MessageBox("Invalid password.", "Invalid Password", ui::Icon::kInformation);
}

void frmMigrate_Mysql_Pasword::cmdCancel_Click() { view_.Unload(); }

}  // namespace forms
