#ifndef MDBTOMYSQL_APP_QT_SCREEN_H_
#define MDBTOMYSQL_APP_QT_SCREEN_H_

#include <functional>
#include <string>

#include "ui/screen.h"

class QMessageBox;

namespace app {

// The screen of the Qt windows: message boxes are QMessageBoxes (OK only, details behind the
// details button, wide enough for their whole title), the hourglass is the application's
// override cursor.
class QtScreen : public ui::Screen {
 public:
  void MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                  const std::string& details = {}) override;
  void SetPointer(ui::Pointer pointer) override;

  // Replaces the modal run of every message box of the program, for tests: the hook gets the
  // box ready to show. An empty hook restores the modal run.
  static void SetMessageBoxHook(std::function<void(QMessageBox&)> hook);
};

// Widens `box` so that the window system can draw its whole title: the title bar's font is often
// bold and larger than the box's, and an icon and buttons share the bar with it.
void MakeRoomForTitle(QMessageBox& box);

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_SCREEN_H_
