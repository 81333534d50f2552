// A long command runs on a thread of its own while the UI thread keeps the windows alive; the
// window takes no input meanwhile and cannot be closed, and the command's calls to the widgets
// run on the UI thread, in order, with their failures carried back.
#include "app/qt_command_thread.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/qt_ui_thread.h"
#include "qt_test_support.h"

namespace app {
namespace {

class CommandThread : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureApplication();
    window_ = std::make_unique<QWidget>();
    window_->resize(300, 200);
    button_ = new QPushButton(QStringLiteral("Reset"), window_.get());
    button_->setGeometry(10, 10, 100, 30);
    QObject::connect(button_, &QPushButton::clicked, [this] { ++clicks_; });
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  void ClickButton() {
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, button_->geometry().center());
  }

  // Made once the application is there.
  std::unique_ptr<QWidget> window_;
  QPushButton* button_ = nullptr;
  int clicks_ = 0;
};

TEST_F(CommandThread, RunsBesideTheUiThreadWhichKeepsGoing) {
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  const std::thread::id ui = std::this_thread::get_id();
  std::thread::id command;
  bool running_inside = false;
  RunCommandThread(*window_, [&] {
    command = std::this_thread::get_id();
    running_inside = CommandThreadRunning();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  });
  // It returns when the command has ended, as a command run right here would.
  EXPECT_NE(command, std::thread::id());
  EXPECT_NE(command, ui);
  EXPECT_TRUE(running_inside);
  EXPECT_FALSE(CommandThreadRunning());
  EXPECT_GE(ticks, 10);
}

TEST_F(CommandThread, TheWindowTakesNoInputAndStaysOpen) {
  bool closed = true;
  bool visible = false;
  RunCommandThread(*window_, [&] {
    RunOnUiThread([&] {
      ClickButton();
      QTest::keyClick(button_, Qt::Key_Space);
      closed = window_->close();
      visible = window_->isVisible();
    });
  });
  EXPECT_EQ(clicks_, 0);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(visible);
  // Afterwards the window is the person's again.
  ClickButton();
  EXPECT_EQ(clicks_, 1);
}

TEST_F(CommandThread, CallsToTheWidgetsRunOnTheUiThreadInOrder) {
  std::vector<std::string> order;
  std::string failure;
  int answer = 0;
  RunCommandThread(*window_, [&] {
    order.push_back(OnUiThreadNow() ? "command on ui" : "command");
    RunOnUiThread([&] { order.push_back(OnUiThreadNow() ? "first on ui" : "first"); });
    answer = OnUiThread([] { return 42; });
    order.push_back("after the answer");
    try {
      RunOnUiThread([] { throw std::runtime_error("The field txtPort is gone."); });
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
  });
  EXPECT_EQ(order, (std::vector<std::string>{"command", "first on ui", "after the answer"}));
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(failure, "The field txtPort is gone.");
  // On the UI thread the work runs at once.
  bool ran = false;
  RunOnUiThread([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(CommandThread, ACommandsFailureReachesTheCallerAndASecondCommandWaitsItsTurn) {
  int second_runs = 0;
  EXPECT_THROW(
      RunCommandThread(*window_,
                       [&] {
                         RunOnUiThread([&] { RunCommandThread(*window_, [&] { ++second_runs; }); });
                         throw std::logic_error("stopped");
                       }),
      std::logic_error);
  EXPECT_EQ(second_runs, 0);
  EXPECT_FALSE(CommandThreadRunning());
  RunCommandThread(*window_, [&] { ++second_runs; });
  EXPECT_EQ(second_runs, 1);
}

}  // namespace
}  // namespace app
