// The migration password prompt's logic: the code of the moment OK is pressed.
#include "forms/frm_migrate_mysql_pasword.h"

#include <gtest/gtest.h>

#include <string>

#include "input/date_time_stamp.h"
#include "input/memory_field.h"
#include "ui/recording_screen.h"

namespace forms {
namespace {

class CountingView : public PasswordPromptView {
 public:
  void Unload() override { ++unloads; }
  int unloads = 0;
};

struct Prompt {
  Prompt() { SetTime(9, 41, 7); }
  ~Prompt() { input::SetStampClock({}); }

  void SetTime(int hour, int minute, int second) {
    input::SetStampClock([=] { return input::LocalTime{2026, 12, 8, hour, minute, second}; });
  }

  std::string answer = "NO";
  input::MemoryField password{"txtPassword"};
  ui::RecordingScreen screen;
  CountingView view;
  frmMigrate_Mysql_Pasword form{answer, password, screen, view};
};

TEST(PasswordPrompt, AcceptsHourAndMinuteWithOuterSpaces) {
  Prompt p;
  p.password.SetText("  0941 ");
  p.form.cmdOK_Click();
  EXPECT_EQ(p.answer, "YES");
  EXPECT_EQ(p.view.unloads, 1);
  EXPECT_TRUE(p.screen.messages().empty());
}

TEST(PasswordPrompt, RejectsAndStaysOpenWithTheTextKept) {
  for (const std::string typed :
       {"", "    ", "09 41", "094", "09411", "\t0941", "0941\t", "0942", "094107"}) {
    SCOPED_TRACE("typed \"" + typed + "\"");
    Prompt p;
    p.password.SetText(typed);
    p.form.cmdOK_Click();
    EXPECT_EQ(p.answer, "NO");
    EXPECT_EQ(p.view.unloads, 0);
    ASSERT_EQ(p.screen.messages().size(), 1u);
    EXPECT_EQ(p.screen.messages()[0].text, "Invalid password.");
    EXPECT_EQ(p.screen.messages()[0].title, "Invalid Password");
    EXPECT_EQ(p.screen.messages()[0].icon, ui::Icon::kInformation);
    EXPECT_EQ(p.password.Text(), typed);
  }
}

TEST(PasswordPrompt, TheCodeIsTakenWhenOkIsPressed) {
  Prompt p;
  p.password.SetText("0941");
  // The minute turned while the password was typed: rejected, then the new one is accepted.
  p.SetTime(9, 42, 0);
  p.form.cmdOK_Click();
  EXPECT_EQ(p.answer, "NO");
  p.password.SetText("0942");
  p.form.cmdOK_Click();
  EXPECT_EQ(p.answer, "YES");

  Prompt midnight;
  midnight.SetTime(0, 5, 59);
  midnight.password.SetText("0005");
  midnight.form.cmdOK_Click();
  EXPECT_EQ(midnight.answer, "YES");
}

TEST(PasswordPrompt, CancelOnlyUnloads) {
  Prompt p;
  p.password.SetText("0941");
  p.form.cmdCancel_Click();
  EXPECT_EQ(p.answer, "NO");
  EXPECT_EQ(p.view.unloads, 1);
  EXPECT_TRUE(p.screen.messages().empty());
}

}  // namespace
}  // namespace forms
