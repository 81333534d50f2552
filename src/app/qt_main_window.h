#ifndef MDBTOMYSQL_APP_QT_MAIN_WINDOW_H_
#define MDBTOMYSQL_APP_QT_MAIN_WINDOW_H_

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "forms/frm_convert_to_mysql.h"
#include "forms/main_window_view.h"
#include "app/qt_file_chooser.h"
#include "app/qt_screen.h"
#include "app/qt_text_field.h"

class QLineEdit;
class QPushButton;

namespace app {

class FieldLineEdit;

// The main window "MDB To MySQL" in Qt: the controls at their designed places, each wired to the
// handler of forms::frmConvert_To_MySQL that bears its name. The controls carry their designed names as
// object names (findChild<QLineEdit*>("txtPort")). Test, Migrate and Refresh Link Connection run
// on a thread of their own while the windows stay alive (RunCommandThread); the view's methods,
// the screen and the fields may therefore be called from there, and do their work on the UI
// thread.
class QtMainWindow : public QWidget, public forms::MainWindowView {
 public:
  QtMainWindow();
  ~QtMainWindow() override;

  // Shows the window in the middle of its screen, the focus in the server field.
  void ShowCentred();

  forms::frmConvert_To_MySQL& form() { return *form_; }

  void SetEnabled(Button button, bool enabled) override;
  void ShowPasswordPrompt(std::string& migrate_password_success) override;
  void EndProgram() override;
  filedialog::FileChooser* OpenFileChooser() override { return &chooser_; }

 private:
  // Runs a handler inside a last trap: nothing may escape into Qt's event loop.
  void Run(const std::function<void()>& handler);
  FieldLineEdit* AddField(QWidget* parent, const char* name, int left, int top, int width,
                          int height, int max_length);
  QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int left,
                         int top, int width, int height);

  QtScreen screen_;
  QtFileChooser chooser_;
  QPushButton* test_ = nullptr;
  QPushButton* confirm_ = nullptr;
  QPushButton* create_connection_ = nullptr;
  std::unique_ptr<QtTextField> source_path_, server_, port_, database_, user_, password_;
  std::unique_ptr<forms::frmConvert_To_MySQL> form_;
};

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_MAIN_WINDOW_H_
