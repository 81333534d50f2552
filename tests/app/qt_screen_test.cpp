// The Qt screen: message boxes wide enough for their whole title, and every call, from a command's
// thread too, done on the UI thread in the order made, the progress window over its owner.
#include "app/qt_screen.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <string>
#include <vector>

#include "app/qt_command_thread.h"
#include "app/qt_progress_window.h"
#include "app/qt_ui_thread.h"
#include "qt_test_support.h"

namespace app {
namespace {

// What a title bar needs besides the title: the window's icon and its three buttons, each about a
// line high and wide, and a margin of a line at each end.
int TitleBarNeeds(const QString& title) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  font.setBold(true);
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(title) + 6 * metrics.height();
}

TEST(QtScreenTitles, EveryBoxHasRoomForItsWholeTitle) {
  qt_test::EnsureApplication();
  qt_test::MessageBoxes boxes;
  boxes.measure = true;
  QtScreen screen;
  // The program's titles over the shortest texts they come with.
  const std::pair<const char*, const char*> shown[] = {
      {"Invalid Password", "Invalid password."},
      {"Successfully Migrated", "Your database has been successfully migrated to MySQL"},
      {"MySQL connection", "MySQL connection has been successfully created."},
      {"Connection Fail", "Fail to create MySQL connection."},
      {"File Not Exist", "The source path (.mdb) does not exist."},
      {"Test Result", "Connection successful"},
      {"Required", "Port is required."},
      {"Reset", "Reset successfully."},
      {"Error", "x"},
  };
  for (const auto& [title, text] : shown) screen.MessageBox(text, title, ui::Icon::kInformation);
  ASSERT_EQ(boxes.shown.size(), std::size(shown));
  for (const qt_test::Shown& box : boxes.shown) {
    EXPECT_GE(box.width, TitleBarNeeds(QString::fromStdString(box.title))) << box.title;
  }
  // Qt alone would size "Invalid Password" to its short text, which a title bar cuts.
  QMessageBox plain(QMessageBox::Information, QStringLiteral("Invalid Password"),
                    QStringLiteral("Invalid password."), QMessageBox::Ok);
  plain.show();
  QApplication::processEvents();
  EXPECT_LT(plain.width(), TitleBarNeeds(QStringLiteral("Invalid Password")));
}

TEST(QtScreenThreads, ACommandsCallsComeInOrderOnTheUiThread) {
  qt_test::EnsureApplication();
  qt_test::MessageBoxes boxes;
  QWidget owner;
  owner.setObjectName("frmConvert_To_MySQL");
  owner.resize(500, 300);
  owner.show();
  owner.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
  QtScreen screen(&owner);
  std::vector<std::string> seen;
  boxes.on_box = [&](QMessageBox& box) {
    seen.push_back((OnUiThreadNow() ? "box on ui: " : "box: ") + box.text().toStdString() +
                   (qt_test::VisibleWindow<QtProgressWindow>() ? " over progress" : ""));
  };
  QtScreen::SetProgressHook([&](const QtProgressWindow& w) {
    seen.push_back((OnUiThreadNow() ? "progress on ui: " : "progress: ") +
                   w.findChild<QLabel*>("lblItem")->text().toStdString() +
                   (w.parentWidget() == &owner ? " over the owner" : ""));
  });
  bool hourglass = false;
  RunCommandThread(owner, [&] {
    screen.SetPointer(ui::Pointer::kHourglass);
    hourglass = OnUiThread([] { return QApplication::overrideCursor() != nullptr; });
    ui::Progress p = ui::Progress::Step("Migrating");
    p.items = 2;
    p.item = 1;
    p.item_name = "tblEmployee";
    screen.ShowProgress(p);
    screen.MessageBox("Invalid table column in VELDA.mdb", "Error", ui::Icon::kInformation);
    screen.EndProgress();
    screen.MessageBox("Done", "Successfully Migrated", ui::Icon::kInformation);
  });
  QtScreen::SetProgressHook({});
  EXPECT_TRUE(hourglass);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"progress on ui: Table 1 of 2: tblEmployee over the owner",
                                      "box on ui: Invalid table column in VELDA.mdb over progress",
                                      "box on ui: Done"}));
  EXPECT_EQ(qt_test::VisibleWindow<QtProgressWindow>(), nullptr);
  // Each box restored the arrow.
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace app
