// The progress window: what it says for each kind of step, what its bar counts, and that nothing
// but the command ends it.
#include "app/qt_progress_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "qt_test_support.h"

namespace app {
namespace {

ui::Progress Migrating(int item, int items, const char* name, long done, long total) {
  ui::Progress p = ui::Progress::Step("Migrating");
  p.item = item;
  p.items = items;
  p.item_name = name;
  p.done = done;
  p.total = total;
  return p;
}

ui::Progress Linking(int item, int items, const char* name) {
  ui::Progress p = ui::Progress::Step("Linking");
  p.item = item;
  p.items = items;
  p.item_name = name;
  return p;
}

TEST(ProgressWindow, SaysTheStepTheTableAndItsRows) {
  const ui::Progress rows = Migrating(3, 12, "tblAttendance_Log", 120000, 300000);
  EXPECT_EQ(QtProgressWindow::StepText(rows), "Migrating");
  EXPECT_EQ(QtProgressWindow::ItemText(rows), "Table 3 of 12: tblAttendance_Log");
  EXPECT_EQ(QtProgressWindow::RowsText(rows), "120,000 of 300,000 rows");
  // A table the catalogue has no count for: the rows so far only.
  EXPECT_EQ(QtProgressWindow::RowsText(Migrating(1, 1, "t", 2500, -1)), "2,500 rows");
  EXPECT_EQ(QtProgressWindow::RowsText(Migrating(1, 1, "t", 0, 0)), "0 of 0 rows");
  // The relink counts tables, not rows; its other steps count nothing.
  EXPECT_EQ(QtProgressWindow::ItemText(Linking(2, 5, "tblEmployee")), "Table 2 of 5: tblEmployee");
  EXPECT_EQ(QtProgressWindow::RowsText(Linking(2, 5, "tblEmployee")), "");
  const ui::Progress backup = ui::Progress::Step("Backup copy");
  EXPECT_EQ(QtProgressWindow::StepText(backup), "Backup copy");
  EXPECT_EQ(QtProgressWindow::ItemText(backup), "");
  EXPECT_EQ(QtProgressWindow::RowsText(backup), "");
}

TEST(ProgressWindow, TheBarCountsRowsOrTables) {
  qt_test::EnsureApplication();
  QtProgressWindow window;
  auto* bar = window.findChild<QProgressBar*>("barProgress");
  ASSERT_NE(bar, nullptr);
  window.Show(Migrating(1, 2, "tblEmployee", 1000, 4000));
  EXPECT_EQ(bar->maximum(), 4000);
  EXPECT_EQ(bar->value(), 1000);
  EXPECT_EQ(window.findChild<QLabel*>("lblRows")->text(), "1,000 of 4,000 rows");
  // More rows than the catalogue counted: the bar stays full, the text says what happened.
  window.Show(Migrating(1, 2, "tblEmployee", 4100, 4000));
  EXPECT_EQ(bar->value(), 4000);
  EXPECT_EQ(window.findChild<QLabel*>("lblRows")->text(), "4,100 of 4,000 rows");
  window.Show(Linking(3, 4, "tblLeave_Header"));
  EXPECT_EQ(bar->maximum(), 4);
  EXPECT_EQ(bar->value(), 2);
  EXPECT_EQ(window.findChild<QLabel*>("lblRows")->text(), "");
  // Nothing to count: a bar that only moves.
  window.Show(ui::Progress::Step("Setting the flag ISMySQLDB"));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 0);
  EXPECT_EQ(window.findChild<QLabel*>("lblStep")->text(), "Setting the flag ISMySQLDB");
  EXPECT_EQ(window.findChild<QLabel*>("lblItem")->text(), "");
}

TEST(ProgressWindow, ModalWithoutCancelAndOnlyTheCommandEndsIt) {
  qt_test::EnsureApplication();
  QWidget owner;
  owner.resize(600, 400);
  owner.move(100, 80);
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  QtProgressWindow window(&owner);
  window.Show(Migrating(1, 1, "tblEmployee", 0, 40));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(window.findChildren<QPushButton*>().isEmpty());
  EXPECT_LE((window.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(),
            2);
  // The window system's close, Escape and Enter leave it where it is.
  EXPECT_FALSE(window.close());
  QTest::keyClick(&window, Qt::Key_Escape);
  QTest::keyClick(&window, Qt::Key_Return);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.result(), 0);
}

}  // namespace
}  // namespace app
