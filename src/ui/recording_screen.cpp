#include "ui/recording_screen.h"

namespace ui {

void RecordingScreen::MessageBox(const std::string& text, const std::string& title, Icon icon,
                                 const std::string& details) {
  SetPointer(Pointer::kArrow);
  messages_.push_back({text, title, icon, details});
  events_.push_back("message: " + title + ": " + text);
}

void RecordingScreen::ShowProgress(const Progress& p) {
  std::string event = "progress: " + p.step;
  if (p.items > 0) event += " " + std::to_string(p.item) + "/" + std::to_string(p.items);
  if (!p.item_name.empty()) event += " " + p.item_name;
  if (p.items > 0 && p.step == "Migrating") {
    event += " " + std::to_string(p.done) + "/" + std::to_string(p.total);
  }
  events_.push_back(event);
}

void RecordingScreen::EndProgress() { events_.push_back("end progress"); }

void RecordingScreen::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  pointer_history_.push_back(pointer);
}

void RecordingScreen::Clear() {
  messages_.clear();
  pointer_history_.clear();
  events_.clear();
}

}  // namespace ui
