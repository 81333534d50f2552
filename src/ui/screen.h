#ifndef MDBTOMYSQL_UI_SCREEN_H_
#define MDBTOMYSQL_UI_SCREEN_H_

#include <string>

namespace ui {

// The program's own name: the title of a message box that is given none.
inline constexpr const char* kProgramName = "mdbtomysql";

enum class Icon { kNone, kInformation, kCritical };
enum class Pointer { kArrow, kHourglass };

// Where a long command stands: its step and, within the step, which item of how many and how
// much of that item is done.
struct Progress {
  std::string step;       // what the command does now: "Migrating", "Backup copy", "Linking" ...
  int item = 0;           // 1-based: table k ...
  int items = 0;          // ... of n; 0 when the step has no items
  std::string item_name;  // the table's name
  long done = 0;          // rows copied so far
  long total = -1;        // of the item's rows; -1 when not known

  static Progress Step(std::string name) {
    Progress p;
    p.step = std::move(name);
    return p;
  }
};

// How the system's commands and engines talk to a person. Every message is a modal box with an
// OK button only; the call returns when the person has closed it. The Qt windows implement it,
// the command line prints, and tests record what was said.
class Screen {
 public:
  virtual ~Screen() = default;

  // Shows a modal message box. `details` is extra text for a person who wants to know more (a
  // statement the server refused, say); it never replaces `text`. Implementations restore the
  // arrow pointer before the box appears, as every message of the system does.
  virtual void MessageBox(const std::string& text, const std::string& title, Icon icon,
                          const std::string& details = {}) = 0;

  // Sets the application-wide mouse pointer.
  virtual void SetPointer(Pointer pointer) = 0;

  // Shows where a long command stands; the first call after EndProgress opens the display, later
  // ones update it. It may be called often (every few thousand rows): it must be cheap. A message
  // box shown meanwhile appears on top of it.
  virtual void ShowProgress(const Progress& /*progress*/) {}
  // The command has ended, whichever way: the display goes.
  virtual void EndProgress() {}
};

}  // namespace ui

#endif  // MDBTOMYSQL_UI_SCREEN_H_
