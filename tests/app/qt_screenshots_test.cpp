// Not a check: scripts/screenshot runs these under Xvfb with a window manager to save pictures of
// the windows as a person sees them, frames and title bars included, taken from the screen.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/qt_main_window.h"
#include "app/qt_password_prompt.h"
#include "app/qt_progress_window.h"
#include "db/connection.h"
#include "input/date_time_stamp.h"
#include "qt_test_support.h"
#include "support/test_env.h"

namespace app {
namespace {

using qt_test::Person;
using qt_test::Poll;

// The part of the screen `window` covers, its frame and a margin included; the whole screen
// with `whole_screen`.
void SaveFromScreen(QWidget& window, const QString& path, bool whole_screen = false) {
  // Once the window manager has framed it (a title bar above it), and it has been drawn.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return window.frameGeometry().height() > window.height(); }, 3000))
      << path.toStdString() << ": the window manager never framed the window";
  QTest::qWait(400);
  QScreen* screen = QGuiApplication::primaryScreen();
  const QPixmap shot = screen->grabWindow(0);
  QRect area = shot.rect();
  if (!whole_screen) area = window.frameGeometry().adjusted(-6, -6, 6, 6).intersected(area);
  EXPECT_TRUE(shot.copy(area).save(path)) << path.toStdString();
}

// The message box titled `title` while it shows, or null.
QMessageBox* BoxTitled(const char* title) {
  QMessageBox* box = qt_test::VisibleWindow<QMessageBox>();
  return box != nullptr && box->windowTitle() == QLatin1String(title) ? box : nullptr;
}

// When the box titled `title` comes: a picture of it (unless `picture` is empty), then a click
// on its OK.
std::unique_ptr<Poll> TakeAndClose(const char* title, QString picture) {
  return std::make_unique<Poll>([title, picture] {
    QMessageBox* box = BoxTitled(title);
    if (box == nullptr || !box->isActiveWindow()) return false;
    if (!picture.isEmpty()) SaveFromScreen(*box, picture);
    Person::ClickCentre(*box->button(QMessageBox::Ok));
    return true;
  });
}

TEST(Screenshot, AsAPersonSeesThem) {
  const char* folder = std::getenv("MDB_SCREENSHOT_DIR");
  if (folder == nullptr) GTEST_SKIP() << "MDB_SCREENSHOT_DIR unset; see scripts/screenshot";
  qt_test::EnsureApplication();
  if (!Person::Real()) GTEST_SKIP() << "needs an X server and MDB_REAL_INPUT=1";
  MDB_REQUIRE_SERVER();
  MDB_REQUIRE_SHARED();
  const std::string bench = *testenv::SharedDir() + "/fixtures/bench_attendance.mdb";
  if (!std::filesystem::exists(bench)) GTEST_SKIP() << bench << " is absent";
  const QString dir = QString::fromUtf8(folder) + QLatin1Char('/');
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  admin.Execute("DROP DATABASE IF EXISTS VELDA_MYSQL");
  admin.Execute("CREATE DATABASE VELDA_MYSQL CHARACTER SET utf8mb4");
  input::SetStampClock([] { return input::LocalTime{2026, 12, 8, 14, 7, 55}; });

  QtMainWindow window;
  window.ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  SaveFromScreen(window, dir + "main_window.png");

  // The settings typed as a person types them, then tested.
  auto type_into = [&](const char* field, const QString& text) {
    Person::ClickCentre(*window.findChild<QLineEdit*>(field));
    Person::Type(text);
  };
  // The focus starts in the server field, its text selected.
  Person::Type(QStringLiteral("127.0.0.1"));
  type_into("txtPort", QString::number(testenv::TestServer()->port));
  type_into("txtSource_Path_MDB", QString::fromStdString(bench));
  auto tested = TakeAndClose("Test Result", dir + "test_result.png");
  Person::ClickCentre(*window.findChild<QPushButton*>("cmdTest"));
  ASSERT_TRUE(tested->done());
  ASSERT_TRUE(window.findChild<QPushButton*>("Confirm")->isEnabled());

  // Migrate: the prompt, a wrong code, the right one, the progress, the message.
  int prompts_seen = 0;
  auto prompt = std::make_unique<Poll>([&] {
    auto* p = qt_test::VisibleWindow<QtPasswordPrompt>();
    if (p == nullptr || !p->isActiveWindow() || qt_test::VisibleWindow<QMessageBox>()) return false;
    auto* code = p->findChild<QLineEdit*>("txtPassword");
    if (++prompts_seen == 1) {
      Person::Type(QStringLiteral("0000"));
      SaveFromScreen(*p, dir + "password_prompt.png");
      Person::ClickCentre(*p->findChild<QPushButton*>("cmdOK"));
      return false;
    }
    // OK has the focus since the click: back into the field, where the wrong code still stands.
    Person::ClickCentre(*code);
    code->selectAll();
    Person::Type(QStringLiteral("1407"));
    Person::ClickCentre(*p->findChild<QPushButton*>("cmdOK"));
    return true;
  });
  auto invalid = TakeAndClose("Invalid Password", dir + "invalid_password.png");
  auto progress = std::make_unique<Poll>([&] {
    auto* w = qt_test::VisibleWindow<QtProgressWindow>();
    if (w == nullptr) return false;
    const QString item = w->findChild<QLabel*>("lblItem")->text();
    const QString rows = w->findChild<QLabel*>("lblRows")->text();
    if (!item.contains(QLatin1String("tblAttendance_Log")) || rows.startsWith(QLatin1String("0 ")))
      return false;
    SaveFromScreen(*w, dir + "progress.png", true);
    return true;
  });
  auto success = TakeAndClose("Successfully Migrated", dir + "success.png");
  Person::ClickCentre(*window.findChild<QPushButton*>("Confirm"));
  EXPECT_TRUE(invalid->done());
  EXPECT_TRUE(prompt->done());
  EXPECT_TRUE(progress->done());
  EXPECT_TRUE(success->done());
  EXPECT_EQ(window.form().LastMigrationResult(), "OK");
  input::SetStampClock({});
}

}  // namespace
}  // namespace app
