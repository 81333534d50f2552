#ifndef MDBTOMYSQL_UI_RECORDING_SCREEN_H_
#define MDBTOMYSQL_UI_RECORDING_SCREEN_H_

#include <string>
#include <vector>

#include "ui/screen.h"

namespace ui {

// A Screen that remembers what it was asked to show, for tests and for callers that want to
// decide later how to present the messages.
class RecordingScreen : public Screen {
 public:
  struct Message {
    std::string text;
    std::string title;
    Icon icon;
    std::string details;
  };

  void MessageBox(const std::string& text, const std::string& title, Icon icon,
                  const std::string& details = {}) override;
  void SetPointer(Pointer pointer) override;
  void ShowProgress(const Progress& progress) override;
  void EndProgress() override;

  const std::vector<Message>& messages() const { return messages_; }
  Pointer pointer() const { return pointer_; }
  // Every pointer change in order, to check that a command ends with the arrow.
  const std::vector<Pointer>& pointer_history() const { return pointer_history_; }
  // Every progress report and message in order: "progress: STEP k/n NAME done/total" (the parts
  // a report has), "end progress" and "message: TITLE: TEXT".
  const std::vector<std::string>& events() const { return events_; }
  void Clear();

 private:
  std::vector<Message> messages_;
  Pointer pointer_ = Pointer::kArrow;
  std::vector<Pointer> pointer_history_;
  std::vector<std::string> events_;
};

}  // namespace ui

#endif  // MDBTOMYSQL_UI_RECORDING_SCREEN_H_
