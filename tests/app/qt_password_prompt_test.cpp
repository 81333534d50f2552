// The password prompt as a person uses it: clicks in the middle of OK and Cancel, given to the
// window as the window system gives them (the message's label runs across OK).
#include "app/qt_password_prompt.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <string>

#include "input/date_time_stamp.h"
#include "qt_test_support.h"

namespace app {
namespace {

using qt_test::Child;
using qt_test::Person;

class ClicksInPrompt : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureApplication();
    input::SetStampClock([] { return input::LocalTime{2026, 12, 8, 14, 7, 55}; });
    prompt_ = std::make_unique<QtPasswordPrompt>(answer_);
    prompt_->show();
    prompt_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(prompt_.get()));
  }
  void TearDown() override {
    prompt_.reset();
    input::SetStampClock({});
  }
  QPushButton* Button(const char* name) { return Child<QPushButton>(*prompt_, name); }

  qt_test::MessageBoxes boxes_;
  std::string answer_ = "NO";
  std::unique_ptr<QtPasswordPrompt> prompt_;
};

TEST_F(ClicksInPrompt, TheMiddleOfOkChecksThePassword) {
  Person::Type(QStringLiteral("1408"));
  Person::ClickCentre(*Button("cmdOK"));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Invalid Password: Invalid password."});
  EXPECT_TRUE(prompt_->isVisible());
  EXPECT_EQ(answer_, "NO");
  EXPECT_EQ(Child<QLineEdit>(*prompt_, "txtPassword")->text(), "1408");

  Child<QLineEdit>(*prompt_, "txtPassword")->clear();
  Child<QLineEdit>(*prompt_, "txtPassword")->setFocus();
  Person::Type(QStringLiteral("1407"));
  Person::ClickCentre(*Button("cmdOK"));
  EXPECT_EQ(answer_, "YES");
  EXPECT_FALSE(prompt_->isVisible());
  EXPECT_EQ(boxes_.shown.size(), 1u);
}

TEST_F(ClicksInPrompt, TheMiddleOfCancelUnloads) {
  Person::Type(QStringLiteral("1407"));
  Person::ClickCentre(*Button("cmdCancel"));
  EXPECT_FALSE(prompt_->isVisible());
  EXPECT_EQ(answer_, "NO");
  EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace app
