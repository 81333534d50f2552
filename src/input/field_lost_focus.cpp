#include "input/field_lost_focus.h"

#include <algorithm>
#include <string>

#include "input/date_time_checks.h"
#include "input/number_format.h"
#include "base/utf16.h"

namespace input {
namespace {

bool AllDigits(const std::u16string& text) {
  return !text.empty() && text.find_first_not_of(u"0123456789") == std::u16string::npos;
}

// Writes only a changed text, so that a control keeps its undo history and caret otherwise.
void Rewrite(TextField& field, const std::string& text) {
  if (field.Text() != text) field.SetText(text);
}

bool LeaveDate(TextField& field, ui::Screen& screen) {
  const std::string text = field.Text();
  const std::u16string date = base::Utf8ToUtf16(text);
  std::u16string completed;
  if (IsNumber(text) && date.size() == 8) {
    completed = date.substr(0, 2) + u"-" + date.substr(2, 2) + u"-" + date.substr(4);
  } else if (date.size() == 10) {
    completed = date;
    if (date[2] != u'-' || date[5] != u'-') {
      completed = date.substr(0, 2) + u"-" + date.substr(3, 2) + u"-" + date.substr(6);
    }
  } else {
    screen.MessageBox("Invalid date format.", "Invalid Date", ui::Icon::kInformation);
    return false;
  }
  Rewrite(field, base::Utf16ToUtf8(completed));
  // CheckDate may drop apostrophes from its copy; the field keeps what the person typed.
  std::string checked = field.Text();
  if (CheckDate(checked, screen)) return true;
  field.SetFocus();
  return false;
}

bool LeaveMonth(TextField& field, ui::Screen& screen) {
  const std::u16string month = base::Utf8ToUtf16(field.Text());
  // Read as digits only: "1." or " 7" is not a month.
  if (!AllDigits(month)) {
    field.SetFocus();
    return true;
  }
  // Leading zeros do not count ("007" is July); anything longer is far beyond 12.
  const size_t first = std::min(month.find_first_not_of(u'0'), month.size());
  const int value = month.size() - first > 2
                        ? 100
                        : std::stoi(std::string("0").append(base::Utf16ToUtf8(month.substr(first))));
  if (value < 1 || value > 12) {
    field.SetFocus();
    screen.MessageBox("Invalid month.", ui::kProgramName, ui::Icon::kCritical);
    return true;
  }
  if (month.size() == 1) field.SetText(std::string("0").append(base::Utf16ToUtf8(month)));
  return true;
}

bool LeaveMonthYear(TextField& field, ui::Screen& screen) {
  const std::string text = field.Text();
  const std::u16string month_year = base::Utf8ToUtf16(text);
  if (IsNumber(text) && month_year.size() == 6) {
    field.SetText(base::Utf16ToUtf8(month_year.substr(0, 2) + u"-" + month_year.substr(2)));
  }
  if (CheckMonthYear(field.Text(), screen)) return true;
  field.SetFocus();
  return false;
}

bool LeaveTime(TextField& field, ui::Screen& screen) {
  const std::string text = field.Text();
  const std::u16string time = base::Utf8ToUtf16(text);
  if (IsNumber(text) && time.size() == 4) {
    field.SetText(base::Utf16ToUtf8(time.substr(0, 2) + u":" + time.substr(2)));
  } else if (time.size() == 5) {
    // Checked as it stands.
  } else if (IsNumber(text) && time.size() == 2) {
    field.SetText(text + ":00");
  } else {
    field.SetText("");
    screen.MessageBox("Invalid time format.", "Invalid Time", ui::Icon::kInformation);
    return false;
  }
  if (CheckTime(field.Text(), screen)) return true;
  field.SetText("");
  return false;
}

// Kinds 200 to 203: `zero` is the kind's zero value, `decimals` the digits of its format.
void LeaveNumber(TextField& field, const std::string& zero, int decimals) {
  std::string text = field.Text();
  if (text == zero) return;
  if (text.empty()) {
    text = zero;
  } else if (decimals > 0 && text[0] == '.') {
    text = "0" + text;
  }
  // Checked after the completion too: "0" in front of ".5.5" does not make a number of it.
  if (!IsNumber(text)) field.SetFocus();
  Rewrite(field, FormatNumber(text, decimals));
}

}  // namespace

bool FieldLostFocus(TextField& field, FieldKind kind, ui::Screen& screen) {
  field.SetBackColor(kNormalColor);
  const bool empty = field.Text().empty();
  switch (kind) {
    case kDate:
      return empty || LeaveDate(field, screen);
    case kMonth:
      return empty || LeaveMonth(field, screen);
    case kMonthYear:
      return empty || LeaveMonthYear(field, screen);
    case kTime:
      return empty || LeaveTime(field, screen);
    case kWholeNumber:
      LeaveNumber(field, "0", 0);
      return true;
    case kNumber2Decimals:
      LeaveNumber(field, "0.00", 2);
      return true;
    case kNumber4Decimals:
      LeaveNumber(field, "0.0000", 4);
      return true;
    case kNumber3Decimals:
      LeaveNumber(field, "0.000", 3);
      return true;
    default:
      return true;
  }
}

}  // namespace input
