#ifndef MDBTOMYSQL_FORMS_MAIN_WINDOW_VIEW_H_
#define MDBTOMYSQL_FORMS_MAIN_WINDOW_VIEW_H_

#include <string>

namespace filedialog {
class FileChooser;
}

namespace forms {

// What the main window's commands need from a window beyond the fields and the message boxes:
// the two work buttons, the password prompt, the end of the program and the open-file dialog.
// The Qt window implements it; the command line and the tests script it.
class MainWindowView {
 public:
  // The two buttons that only a successful connection test enables.
  enum class Button { kConfirm, kCreateMySqlConnection };

  virtual ~MainWindowView() = default;

  virtual void SetEnabled(Button button, bool enabled) = 0;

  // Shows the migration password prompt modally and returns when it is gone. The prompt writes
  // "YES" into `migrate_password_success` on a correct password and leaves it alone otherwise.
  virtual void ShowPasswordPrompt(std::string& migrate_password_success) = 0;

  // Ends the program at once: no question, nothing saved.
  virtual void EndProgram() {}

  // The platform's open-file dialog, or null where there is none (the browse command then ends
  // silently, as it does on any dialog error).
  virtual filedialog::FileChooser* OpenFileChooser() { return nullptr; }
};

}  // namespace forms

#endif  // MDBTOMYSQL_FORMS_MAIN_WINDOW_VIEW_H_
