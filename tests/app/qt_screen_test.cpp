// The Qt screen: message boxes wide enough for their whole title.
#include "app/qt_screen.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace app
