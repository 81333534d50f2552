// The main window's work buttons as a person clicks them right after editing a setting: leaving
// the field disables them before the click is handled, and the focus goes to Test, not to Exit.
#include "app/qt_main_window.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "qt_test_support.h"

namespace app {
namespace {

using qt_test::Child;
using qt_test::Person;

TEST(ClicksOnWorkButtons, AfterAnEditTheFocusGoesToTest) {
  qt_test::EnsureApplication();
  for (const char* name : {"Confirm", "cmdCreate_MySQL_Connection"}) {
    SCOPED_TRACE(name);
    qt_test::MessageBoxes boxes;
    QtMainWindow window;
    window.ShowCentred();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.SetEnabled(forms::MainWindowView::Button::kConfirm, true);
    window.SetEnabled(forms::MainWindowView::Button::kCreateMySqlConnection, true);
    Person::ClickCentre(*Child(window, "txtPassword"));
    Person::Type(QStringLiteral("x"));
    Person::ClickCentre(*Child(window, name));
    EXPECT_FALSE(Child(window, "Confirm")->isEnabled());
    EXPECT_FALSE(Child(window, "cmdCreate_MySQL_Connection")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), Child(window, "cmdTest"));
    // The click itself was not handled: no command ran, so nothing was said.
    EXPECT_TRUE(boxes.shown.empty()) << testing::PrintToString(boxes.Texts());
  }
}

TEST(ClicksOnWorkButtons, WithoutAnEditTheClickRunsTheCommand) {
  qt_test::EnsureApplication();
  qt_test::MessageBoxes boxes;
  QtMainWindow window;
  window.ShowCentred();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.SetEnabled(forms::MainWindowView::Button::kConfirm, true);
  Person::ClickCentre(*Child(window, "txtPassword"));
  Person::ClickCentre(*Child(window, "Confirm"));
  EXPECT_TRUE(Child(window, "Confirm")->isEnabled());
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Required: Source Path (.mdb) is required."});
}

}  // namespace
}  // namespace app
