#include "input/field_focus.h"

#include "base/utf16.h"

namespace input {

void FieldGotFocus(TextField& field) {
  try {
    field.SetSelStart(0);
    field.SetSelLength(static_cast<int>(base::Utf8ToUtf16(field.Text()).size()));
    field.SetBackColor(kFocusColor);
  } catch (...) {
    // A control that cannot be highlighted keeps its looks; the focus change goes on.
  }
}

bool FieldEdited(const TextField& field, const std::string& text, std::string_view event_name) {
  if (event_name == kGotFocus) {
    FocusSnapshot = field.Name() + text;
    return false;
  }
  if (event_name == kLostFocus) return FocusSnapshot != field.Name() + text;
  return false;
}

std::string FocusSnapshot;

}  // namespace input
