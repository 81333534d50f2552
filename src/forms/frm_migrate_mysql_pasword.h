#ifndef MDBTOMYSQL_FORMS_FRM_MIGRATE_MYSQL_PASWORD_H_
#define MDBTOMYSQL_FORMS_FRM_MIGRATE_MYSQL_PASWORD_H_

#include <string>

#include "input/text_field.h"
#include "ui/screen.h"

namespace forms {

// What the password prompt needs from its window: a way to go away.
class PasswordPromptView {
 public:
  virtual ~PasswordPromptView() = default;
  // Closes the prompt; the modal call that showed it returns.
  virtual void Unload() = 0;
};

// The migration password prompt's logic. The expected password is never stored: it is the first
// four digits of the time of day (hour and minute) taken when OK is pressed. A correct password
// writes "YES" into the main window's MigratePasswordSuccess and closes the prompt; anything else
// says "Invalid password." and leaves the prompt open, the typed text untouched.
class frmMigrate_Mysql_Pasword {
 public:
  // All references must outlive the object.
  frmMigrate_Mysql_Pasword(std::string& migrate_password_success, input::TextField& password,
                           ui::Screen& screen, PasswordPromptView& view)
      : txtPassword(password),
        migrate_password_success_(migrate_password_success),
        screen_(screen),
        view_(view) {}

  void cmdOK_Click();
  // Also what closing the prompt through the window system does.
  void cmdCancel_Click();

  input::TextField& txtPassword;

 private:
  std::string& migrate_password_success_;
  ui::Screen& screen_;
  PasswordPromptView& view_;
};

// The password the prompt expects at this moment: refreshes the date and time stamp and keeps the
// first four digits of its time ("HH:mm:ss" without its colons).
std::string ExpectedMigrationPassword();

}  // namespace forms

#endif  // MDBTOMYSQL_FORMS_FRM_MIGRATE_MYSQL_PASWORD_H_
