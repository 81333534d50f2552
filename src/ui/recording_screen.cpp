#include "ui/recording_screen.h"

namespace ui {

void RecordingScreen::MessageBox(const std::string& text, const std::string& title, Icon icon,
                                 const std::string& details) {
  SetPointer(Pointer::kArrow);
  messages_.push_back({text, title, icon, details});
}

void RecordingScreen::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  pointer_history_.push_back(pointer);
}

void RecordingScreen::Clear() {
  messages_.clear();
  pointer_history_.clear();
}

}  // namespace ui
