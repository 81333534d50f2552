#ifndef MDBTOMYSQL_UI_SCREEN_H_
#define MDBTOMYSQL_UI_SCREEN_H_

#include <string>

namespace ui {

// The program's own name: the title of a message box that is given none.
inline constexpr const char* kProgramName = "mdbtomysql";

enum class Icon { kNone, kInformation, kCritical };
enum class Pointer { kArrow, kHourglass };

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
};

}  // namespace ui

#endif  // MDBTOMYSQL_UI_SCREEN_H_
