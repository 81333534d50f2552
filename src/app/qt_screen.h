#ifndef MDBTOMYSQL_APP_QT_SCREEN_H_
#define MDBTOMYSQL_APP_QT_SCREEN_H_

#include <QPointer>
#include <functional>
#include <string>

#include "ui/screen.h"

class QMessageBox;
class QWidget;

namespace app {

class QtProgressWindow;

// The screen of the Qt windows: message boxes are QMessageBoxes (OK only, details behind the
// details button, wide enough for their whole title), the hourglass is the application's override
// cursor, and progress shows in a QtProgressWindow over `owner`. It may be called from a
// command's thread: every call does its work on the UI thread and returns when it is done.
class QtScreen : public ui::Screen {
 public:
  explicit QtScreen(QWidget* owner = nullptr);
  ~QtScreen() override;

  void MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                  const std::string& details = {}) override;
  void SetPointer(ui::Pointer pointer) override;
  void ShowProgress(const ui::Progress& progress) override;
  void EndProgress() override;

  // Replaces the modal run of every message box of the program, for tests: the hook gets the
  // box ready to show. An empty hook restores the modal run.
  static void SetMessageBoxHook(std::function<void(QMessageBox&)> hook);
  // Called with the progress window after each change it shows, for tests; empty: none.
  static void SetProgressHook(std::function<void(const QtProgressWindow&)> hook);

 private:
  QPointer<QWidget> owner_;
  // A child of the owner while it shows; the owner may take it along when it goes.
  QPointer<QtProgressWindow> progress_;
};

// Widens `box` so that the window system can draw its whole title: the title bar's font is often
// bold and larger than the box's, and an icon and buttons share the bar with it.
void MakeRoomForTitle(QMessageBox& box);

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_SCREEN_H_
