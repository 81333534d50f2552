#ifndef MDBTOMYSQL_APP_QT_PROGRESS_WINDOW_H_
#define MDBTOMYSQL_APP_QT_PROGRESS_WINDOW_H_

#include <QDialog>

#include "ui/screen.h"

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QProgressBar;

namespace app {

// The small window that says where a long command stands: its step, the table it is at (k of
// n), the rows copied of that table's rows, and a bar. It is modal to the whole program, has no
// Cancel, and stays when the window system or Escape tries to close it: the command ends it.
// Its parts carry object names for tests: lblStep, lblItem, lblRows, barProgress.
class QtProgressWindow : public QDialog {
 public:
  explicit QtProgressWindow(QWidget* owner = nullptr);

  // Shows `progress`; the first call also puts the window on the screen, centred on its owner.
  void Show(const ui::Progress& progress);

  // The texts the window shows for `progress`: the step, the item line ("Table 2 of 12:
  // tblEmployee", empty for a step without items) and the rows line ("120,000 of 300,000 rows",
  // empty where rows are not counted).
  static QString StepText(const ui::Progress& progress);
  static QString ItemText(const ui::Progress& progress);
  static QString RowsText(const ui::Progress& progress);

  // Escape would reject a dialog: nothing but the command ends this one.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void PlaceOverOwner();

  QLabel* step_;
  QLabel* item_;
  QLabel* rows_;
  QProgressBar* bar_;
};

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_PROGRESS_WINDOW_H_
