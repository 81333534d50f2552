#ifndef MDBTOMYSQL_APP_QT_PASSWORD_PROMPT_H_
#define MDBTOMYSQL_APP_QT_PASSWORD_PROMPT_H_

#include <QDialog>
#include <memory>
#include <string>

#include "forms/frm_migrate_mysql_pasword.h"
#include "app/qt_screen.h"
#include "app/qt_text_field.h"

class QCloseEvent;
class QKeyEvent;

namespace app {

// The migration password prompt "Authentication Password" in Qt. Neither button is a default or
// cancel button: Enter and Escape do nothing, and the prompt goes only through OK with the right
// password, Cancel, or the window system's close, which counts as Cancel.
class QtPasswordPrompt : public QDialog, public forms::PasswordPromptView {
 public:
  // `migrate_password_success` is the main window's member the prompt answers through.
  explicit QtPasswordPrompt(std::string& migrate_password_success, QWidget* parent = nullptr);
  ~QtPasswordPrompt() override;

  // Centres the prompt on its screen and runs it modally until it is unloaded.
  void ShowModal();

  void Unload() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QtScreen screen_;
  std::unique_ptr<QtTextField> password_;
  std::unique_ptr<forms::frmMigrate_Mysql_Pasword> form_;
  bool unloading_ = false;
};

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_PASSWORD_PROMPT_H_
