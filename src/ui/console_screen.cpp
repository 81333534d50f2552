#include "ui/console_screen.h"

#include <ostream>

namespace ui {

void ConsoleScreen::MessageBox(const std::string& text, const std::string& title, Icon,
                               const std::string& details) {
  ++messages_shown_;
  if (!title.empty()) err_ << "[" << title << "] ";
  err_.flush();
  out_ << text << "\n";
  out_.flush();
  if (!details.empty()) err_ << details << "\n";
}

}  // namespace ui
