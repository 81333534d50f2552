// What the tests of the Qt windows share: the application, message boxes recorded instead of run,
// controls by name, and a person's clicks and keys, given either as the window system delivers
// them offscreen or, under X with MDB_REAL_INPUT=1, through xdotool, the X server and its window
// manager.
#ifndef MDBTOMYSQL_TESTS_APP_QT_TEST_SUPPORT_H_
#define MDBTOMYSQL_TESTS_APP_QT_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QStyleHints>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "app/qt_screen.h"

namespace app::qt_test {

// Qt's widgets need an application; offscreen unless the run chose a platform.
inline void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

struct Shown {
  std::string title, text, details;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
  bool hourglass;
  // The window the box stands over (its owner), by object name.
  std::string owner;
  // The box's width once laid out for the screen, and its title's width in the title font.
  int width = 0;
};

// Records every message box instead of running it.
class MessageBoxes {
 public:
  MessageBoxes() {
    QtScreen::SetMessageBoxHook([this](QMessageBox& box) {
      Shown s{box.windowTitle().toStdString(),
              box.text().toStdString(),
              box.detailedText().toStdString(),
              box.icon(),
              box.standardButtons(),
              QApplication::overrideCursor() != nullptr,
              box.parentWidget() ? box.parentWidget()->objectName().toStdString() : "",
              0};
      if (measure) {
        box.show();
        QApplication::processEvents();
        s.width = box.width();
        box.hide();
      }
      shown.push_back(s);
      if (on_box) on_box(box);
    });
  }
  ~MessageBoxes() { QtScreen::SetMessageBoxHook({}); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& s : shown) texts.push_back(s.title + ": " + s.text);
    return texts;
  }

  std::vector<Shown> shown;
  // Shows each box for a moment to learn its laid-out width.
  bool measure = false;
  std::function<void(QMessageBox&)> on_box;
};

template <typename T = QWidget>
T* Child(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// The visible top-level widget of type T, or null.
template <typename T>
T* VisibleWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = dynamic_cast<T*>(w); t != nullptr && t->isVisible()) return t;
  return nullptr;
}

// Runs `step` on the UI thread, every few milliseconds, until it returns true, whatever modal loop
// runs meanwhile: the way to act inside a prompt that a click has opened.
class Poll : public QObject {
 public:
  explicit Poll(std::function<bool()> step) : step_(std::move(step)) { id_ = startTimer(10); }
  bool done() const { return done_; }

 protected:
  void timerEvent(QTimerEvent*) override {
    if (done_ || running_) return;
    running_ = true;
    done_ = step_();
    running_ = false;
    if (done_) killTimer(id_);
  }

 private:
  std::function<bool()> step_;
  int id_ = 0;
  bool done_ = false;
  bool running_ = false;
};

// A person's mouse and keyboard.
class Person {
 public:
  // Real input: the run asked for it and the windows are on an X server.
  static bool Real() {
    return qEnvironmentVariableIntValue("MDB_REAL_INPUT") == 1 &&
           QGuiApplication::platformName() == QLatin1String("xcb");
  }

  // A left click at `point` of the client area of top-level `window`: it reaches whatever control
  // lies on top there, as the window system decides, focus change first.
  static void Click(QWidget& window, QPoint point) {
    if (!Real()) {
      QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, point);
      return;
    }
    const QPoint global = window.mapToGlobal(point);
    // Two clicks at one place within the interval would make a double click.
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    // No --sync: it waits for a motion that never comes when the pointer is there already. The X
    // server takes the move and the click in order anyway.
    Xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
  }

  // A click in the middle of `control`, given to its top-level window.
  static void ClickCentre(QWidget& control) {
    QWidget& window = *control.window();
    Click(window, control.mapTo(&window, control.rect().center()));
  }

  // Types `text` into whatever has the keyboard focus.
  static void Type(const QString& text) {
    if (!Real()) {
      QTest::keyClicks(QApplication::focusWidget(), text);
      return;
    }
    Xdotool({"type", "--delay", "30", text});
  }

 private:
  static void Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    EXPECT_TRUE(xdotool.waitForFinished(10000)) << arguments.join(' ').toStdString();
    // The X server holds the events now; a round trip brings them all in.
    QGuiApplication::sync();
    QTest::qWait(100);
  }
};

}  // namespace app::qt_test

#endif  // MDBTOMYSQL_TESTS_APP_QT_TEST_SUPPORT_H_
