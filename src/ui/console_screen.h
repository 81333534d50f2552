#ifndef MDBTOMYSQL_UI_CONSOLE_SCREEN_H_
#define MDBTOMYSQL_UI_CONSOLE_SCREEN_H_

#include <iosfwd>

#include "ui/screen.h"

namespace ui {

// A plain Screen for programs without a window (the benchmarks): a message's text goes to
// `out`, its title and details to `err`. The pointer and the progress have no meaning there and
// are ignored; the command line has a screen of its own (cli::CommandLineScreen).
class ConsoleScreen : public Screen {
 public:
  ConsoleScreen(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  void MessageBox(const std::string& text, const std::string& title, Icon icon,
                  const std::string& details = {}) override;
  void SetPointer(Pointer) override {}

  int messages_shown() const { return messages_shown_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  int messages_shown_ = 0;
};

}  // namespace ui

#endif  // MDBTOMYSQL_UI_CONSOLE_SCREEN_H_
