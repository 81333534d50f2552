// Labels lie beneath the controls and never take the mouse: a click in the middle of any button or
// box of either window reaches it, given to the top-level window as the window system gives it
// (offscreen, or through the X server with MDB_REAL_INPUT=1).
#include "app/qt_label.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_main_window.h"
#include "app/qt_password_prompt.h"
#include "qt_test_support.h"

namespace app {
namespace {

using qt_test::Child;
using qt_test::Person;

// Counts the presses and releases each watched control gets, and keeps them from it: the test is
// about where a click lands, not about what the buttons do.
class ClickCatcher : public QObject {
 public:
  void Watch(QWidget* control) {
    control->installEventFilter(this);
    names_[control] = control->objectName().toStdString();
  }
  std::map<std::string, int> presses, releases;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto it = names_.find(watched);
    if (it == names_.end()) return false;
    if (event->type() == QEvent::MouseButtonPress) {
      ++presses[it->second];
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      ++releases[it->second];
      return true;
    }
    return false;
  }

 private:
  std::map<QObject*, std::string> names_;
};

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Clicks the middle of each control of `window` and expects it, and only it, to get the click.
void ExpectEveryCentreReachesItsControl(QWidget& window) {
  std::vector<QWidget*> controls;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (qobject_cast<QPushButton*>(w) != nullptr || qobject_cast<QLineEdit*>(w) != nullptr) {
      controls.push_back(w);
    }
  }
  ASSERT_FALSE(controls.empty());
  for (QWidget* control : controls) {
    const std::string name = control->objectName().toStdString();
    SCOPED_TRACE(name);
    ClickCatcher catcher;
    for (QWidget* c : controls) catcher.Watch(c);
    control->setEnabled(true);
    Person::ClickCentre(*control);
    EXPECT_EQ(catcher.presses, (std::map<std::string, int>{{name, 1}}));
    EXPECT_EQ(catcher.releases, (std::map<std::string, int>{{name, 1}}));
  }
}

TEST(ClicksReachControls, EveryCentreOfTheMainWindow) {
  qt_test::EnsureApplication();
  qt_test::MessageBoxes boxes;
  QtMainWindow window;
  window.ShowCentred();
  ShowActive(window);
  // The port's label reaches under the server field; others could come to lie on a box.
  ExpectEveryCentreReachesItsControl(window);
  EXPECT_EQ(window.findChildren<QPushButton*>().size() + window.findChildren<QLineEdit*>().size(),
            12u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(ClicksReachControls, EveryCentreOfThePrompt) {
  qt_test::EnsureApplication();
  qt_test::MessageBoxes boxes;
  std::string answer = "NO";
  QtPasswordPrompt prompt(answer);
  ShowActive(prompt);
  // The message runs across OK, and the password's label into the box.
  const QRect message = Child(prompt, "lblMessage")->geometry();
  ASSERT_TRUE(message.contains(Child(prompt, "cmdOK")->geometry().center()));
  ASSERT_TRUE(Child(prompt, "lblPassword")
                  ->geometry()
                  .intersects(Child(prompt, "txtPassword")->geometry()));
  ExpectEveryCentreReachesItsControl(prompt);
  EXPECT_EQ(answer, "NO");
}

TEST(ClicksReachControls, LabelsLieBeneathAndLetTheMouseThrough) {
  qt_test::EnsureApplication();
  QWidget parent;
  auto* button = new QPushButton(QStringLiteral("OK"), &parent);
  button->setGeometry(50, 10, 80, 30);
  QLabel* label =
      AddLabel(&parent, "lblOver", QStringLiteral("a long text over the button"), 0, 0, 3000, 600);
  EXPECT_EQ(label->objectName(), "lblOver");
  EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(parent.childAt(button->geometry().center()), button);
  EXPECT_EQ(parent.children().front(), label);
}

}  // namespace
}  // namespace app
