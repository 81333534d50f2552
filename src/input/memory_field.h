#ifndef MDBTOMYSQL_INPUT_MEMORY_FIELD_H_
#define MDBTOMYSQL_INPUT_MEMORY_FIELD_H_

#include <string>

#include "input/text_field.h"

namespace input {

// A TextField without a window: it keeps its properties in memory and counts the requests for
// the focus. For tests, and for callers that drive the helpers without a screen.
class MemoryField : public TextField {
 public:
  explicit MemoryField(std::string name, std::string text = {});

  std::string Name() const override { return name_; }
  std::string Text() const override { return text_; }
  // Like a control, keeps the insertion point and the selection inside the new text.
  void SetText(const std::string& text) override;
  int SelStart() const override { return sel_start_; }
  void SetSelStart(int start) override;
  void SetSelLength(int length) override;
  void SetBackColor(Color color) override { back_color_ = color; }
  void SetMaxLength(int length) override { max_length_ = length; }
  void SetFocus() override { ++focus_requests_; }

  int sel_length() const { return sel_length_; }
  Color back_color() const { return back_color_; }
  // 0 until a helper sets a limit: no limit.
  int max_length() const { return max_length_; }
  int focus_requests() const { return focus_requests_; }

 private:
  // The text's length in UTF-16 code units.
  int Length() const;

  std::string name_;
  std::string text_;
  int sel_start_ = 0;
  int sel_length_ = 0;
  Color back_color_ = kNormalColor;
  int max_length_ = 0;
  int focus_requests_ = 0;
};

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_MEMORY_FIELD_H_
