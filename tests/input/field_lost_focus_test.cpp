#include "input/field_lost_focus.h"

#include <gtest/gtest.h>

#include <string>

#include "input/memory_field.h"
#include "ui/screen.h"

namespace input {
namespace {

// Focus requests and messages in one log, in the order they happen.
class Log {
 public:
  void Add(const std::string& event) { events_ += (events_.empty() ? "" : "; ") + event; }
  const std::string& events() const { return events_; }

 private:
  std::string events_;
};

class LoggingField : public MemoryField {
 public:
  LoggingField(const std::string& text, Log& log) : MemoryField("txtField", text), log_(log) {}
  void SetFocus() override {
    MemoryField::SetFocus();
    log_.Add("focus");
  }

 private:
  Log& log_;
};

class LoggingScreen : public ui::Screen {
 public:
  explicit LoggingScreen(Log& log) : log_(log) {}
  void MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                  const std::string&) override {
    const char* name = icon == ui::Icon::kCritical      ? "stop"
                       : icon == ui::Icon::kInformation ? "information"
                                                        : "no icon";
    log_.Add(text + " / " + title + " / " + name);
  }
  void SetPointer(ui::Pointer) override {}

 private:
  Log& log_;
};

// What leaving a field of `kind` holding `text` does: the result, the text left in the field,
// then focus requests and messages in order. "true [07]", "false [] Invalid time format. / ...".
std::string Leave(FieldKind kind, const std::string& text) {
  Log log;
  LoggingField field(text, log);
  LoggingScreen screen(log);
  field.SetBackColor(kFocusColor);
  const bool result = FieldLostFocus(field, kind, screen);
  std::string out = (result ? "true [" : "false [") + field.Text() + "]";
  if (!log.events().empty()) out += " " + log.events();
  if (field.back_color() != kNormalColor) out += " (not repainted)";
  return out;
}

const std::string kProgramTitle = ui::kProgramName;

TEST(FieldLostFocus, EveryKindRepaintsWhiteAndTheUncheckedOnesKeepTheirText) {
  for (FieldKind kind : {0, 100, 101, 501, 1000, 7, -1}) {
    EXPECT_EQ(Leave(kind, "it's -1.2345 x"), "true [it's -1.2345 x]") << kind;
    EXPECT_EQ(Leave(kind, ""), "true []") << kind;
  }
}

TEST(FieldLostFocus, EmptyDateMonthAndTimeFieldsAreLeftAlone) {
  for (FieldKind kind : {301, 302, 303, 304}) EXPECT_EQ(Leave(kind, ""), "true []") << kind;
}

TEST(FieldLostFocus, DateShorthandIsCompleted) {
  EXPECT_EQ(Leave(301, "01022020"), "true [01-02-2020]");
  EXPECT_EQ(Leave(301, "01/02/2020"), "true [01-02-2020]");
  EXPECT_EQ(Leave(301, "01-02/2020"), "true [01-02-2020]");
  EXPECT_EQ(Leave(301, "29-02-1900"), "true [29-02-1900]");
}

TEST(FieldLostFocus, DateOfAnyOtherLengthIsABadFormat) {
  const std::string bad = "Invalid date format. / Invalid Date / information";
  EXPECT_EQ(Leave(301, "1-2-2020"), "false [1-2-2020] " + bad);
  EXPECT_EQ(Leave(301, "010220200"), "false [010220200] " + bad);
  EXPECT_EQ(Leave(301, "01-02-20200"), "false [01-02-20200] " + bad);
}

TEST(FieldLostFocus, RejectedDateStaysAndGetsTheFocusBackAfterTheMessage) {
  EXPECT_EQ(Leave(301, "29-02-2021"),
            "false [29-02-2021] Invalid day for month. Max days = 28 / Date Error / stop; focus");
  EXPECT_EQ(Leave(301, "30022024"),
            "false [30-02-2024] Invalid day for month. Max days = 29 (Leap year) / Date Error / "
            "stop; focus");
  EXPECT_EQ(Leave(301, "01-13-2020"),
            "false [01-13-2020] Invalid month. / Date Error / stop; focus");
  EXPECT_EQ(Leave(301, "01-01-1799"),
            "false [01-01-1799] Invalid Year. / Year Error / stop; focus");
  // An ISO date is cut at the 10-character positions and then refused, not taken as a date.
  EXPECT_EQ(Leave(301, "2020-01-31"),
            "false [20-0--1-31] Invalid Month. / Month Error / stop; focus");
  // A signed eight-character number is completed like digits, and the day refused.
  EXPECT_EQ(Leave(301, "-1022020"), "false [-1-02-2020] Invalid date. / Date Error / stop; focus");
}

TEST(FieldLostFocus, MonthGetsItsLeadingZeroOrTheFocusBack) {
  EXPECT_EQ(Leave(302, "7"), "true [07]");
  EXPECT_EQ(Leave(302, "09"), "true [09]");
  EXPECT_EQ(Leave(302, "12"), "true [12]");
  EXPECT_EQ(Leave(302, "007"), "true [007]");  // pasted before any key set the limit of 2
  // Outside 1 to 12: the focus first, then the message under the program's own name.
  const std::string invalid = "focus; Invalid month. / " + kProgramTitle + " / stop";
  EXPECT_EQ(Leave(302, "13"), "true [13] " + invalid);
  EXPECT_EQ(Leave(302, "0"), "true [0] " + invalid);
  EXPECT_EQ(Leave(302, "99999999999999999999"), "true [99999999999999999999] " + invalid);
  // Not a month written in digits: the focus only.
  EXPECT_EQ(Leave(302, "ab"), "true [ab] focus");
  EXPECT_EQ(Leave(302, "1."), "true [1.] focus");
  EXPECT_EQ(Leave(302, " 7"), "true [ 7] focus");
  EXPECT_EQ(Leave(302, "-1"), "true [-1] focus");
}

TEST(FieldLostFocus, MonthAndYear) {
  EXPECT_EQ(Leave(303, "022020"), "true [02-2020]");
  EXPECT_EQ(Leave(303, "02-2020"), "true [02-2020]");
  EXPECT_EQ(Leave(303, "02/2020"), "true [02/2020]");  // the separator is not examined
  EXPECT_EQ(Leave(303, "132020"), "false [13-2020] Invalid month. / Date Error / stop; focus");
  EXPECT_EQ(Leave(303, "021799"), "false [02-1799] Invalid Year. / Year Error / stop; focus");
  EXPECT_EQ(Leave(303, "2-2020"), "false [2-2020] Invalid Month. / Month Error / stop; focus");
  EXPECT_EQ(Leave(303, "2020"), "false [2020] Invalid month. / Date Error / stop; focus");
}

TEST(FieldLostFocus, TimeShorthandIsCompleted) {
  EXPECT_EQ(Leave(304, "0930"), "true [09:30]");
  EXPECT_EQ(Leave(304, "09"), "true [09:00]");
  EXPECT_EQ(Leave(304, "12:30"), "true [12:30]");
  EXPECT_EQ(Leave(304, "0000"), "true [00:00]");
}

TEST(FieldLostFocus, RejectedTimeIsEmptiedWithoutTheFocus) {
  const std::string bad = "false [] Invalid time format. / Invalid Time / information";
  for (const char* time : {"930", "9", "093000", "9:30", "24:00", "12:60", "2400", "1260", "24",
                           "09.30", "ab", "-930", "12-30"}) {
    EXPECT_EQ(Leave(304, time), bad) << time;  // one message, no second one from the check
  }
}

TEST(FieldLostFocus, WholeNumber) {
  EXPECT_EQ(Leave(200, ""), "true [0]");
  EXPECT_EQ(Leave(200, "0"), "true [0]");
  EXPECT_EQ(Leave(200, "007"), "true [7]");
  EXPECT_EQ(Leave(200, "2.5"), "true [3]");
  EXPECT_EQ(Leave(200, "-0.4"), "true [0]");
  EXPECT_EQ(Leave(200, " 3306"), "true [3306]");
  // Not a number: the focus goes back, silently, and the text stays to be corrected.
  EXPECT_EQ(Leave(200, "33o6"), "true [33o6] focus");
  EXPECT_EQ(Leave(200, "-"), "true [-] focus");
  EXPECT_EQ(Leave(200, "1e3"), "true [1e3] focus");
}

TEST(FieldLostFocus, DecimalNumbers) {
  EXPECT_EQ(Leave(201, ".5"), "true [0.50]");
  EXPECT_EQ(Leave(201, ""), "true [0.00]");
  EXPECT_EQ(Leave(201, "3"), "true [3.00]");
  EXPECT_EQ(Leave(201, "2.675"), "true [2.68]");
  EXPECT_EQ(Leave(201, "0.00"), "true [0.00]");
  EXPECT_EQ(Leave(202, "0.00"), "true [0.0000]");
  EXPECT_EQ(Leave(202, "1.23456"), "true [1.2346]");
  EXPECT_EQ(Leave(203, ".1235"), "true [0.124]");
  EXPECT_EQ(Leave(203, ""), "true [0.000]");
  EXPECT_EQ(Leave(201, "1,5"), "true [1,5] focus");
  EXPECT_EQ(Leave(201, "."), "true [0.00]");  // "0." is a number
  // A "0" in front does not turn ".5.5" into a number; it goes back like any other non-number.
  EXPECT_EQ(Leave(201, ".5.5"), "true [0.5.5] focus");
}

}  // namespace
}  // namespace input
