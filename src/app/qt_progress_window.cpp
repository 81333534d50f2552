#include "app/qt_progress_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_pictures.h"
#include "app/qt_twips.h"

namespace app {
namespace {

// Width in twips: room for a long table name in the item line.
constexpr int kWidth = 5400;

QString Count(long n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

}  // namespace

QtProgressWindow::QtProgressWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("frmProgress");
  setWindowTitle(QStringLiteral("MDB To MySQL"));
  setWindowIcon(ProgramIcon());
  setWindowModality(Qt::ApplicationModal);
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(9);
  setFont(font);

  step_ = new QLabel(this);
  step_->setObjectName("lblStep");
  QFont bold = font;
  bold.setBold(true);
  step_->setFont(bold);
  item_ = new QLabel(this);
  item_->setObjectName("lblItem");
  rows_ = new QLabel(this);
  rows_->setObjectName("lblRows");
  bar_ = new QProgressBar(this);
  bar_->setObjectName("barProgress");
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* part : {static_cast<QWidget*>(step_), static_cast<QWidget*>(item_),
                        static_cast<QWidget*>(rows_), static_cast<QWidget*>(bar_)}) {
    layout->addWidget(part);
  }
  // The lines keep their height when empty, so that the window does not jump between steps.
  item_->setMinimumHeight(item_->fontMetrics().height());
  rows_->setMinimumHeight(rows_->fontMetrics().height());
  setFixedWidth(TwipsToPixels(kWidth, logicalDpiX()));
  setFixedHeight(sizeHint().height());
}

QString QtProgressWindow::StepText(const ui::Progress& p) { return QString::fromStdString(p.step); }

QString QtProgressWindow::ItemText(const ui::Progress& p) {
  if (p.items <= 0) return {};
  QString text = QStringLiteral("Table %1 of %2").arg(Count(p.item), Count(p.items));
  if (!p.item_name.empty()) text += QStringLiteral(": ") + QString::fromStdString(p.item_name);
  return text;
}

QString QtProgressWindow::RowsText(const ui::Progress& p) {
  if (p.total >= 0) return QStringLiteral("%1 of %2 rows").arg(Count(p.done), Count(p.total));
  if (p.done > 0) return QStringLiteral("%1 rows").arg(Count(p.done));
  return {};
}

void QtProgressWindow::Show(const ui::Progress& p) {
  step_->setText(StepText(p));
  item_->setText(ItemText(p));
  rows_->setText(RowsText(p));
  if (p.total >= 0) {
    // The bar counts the table's rows; a catalogue count can lag behind the rows there are.
    const int total = static_cast<int>(std::min<long>(p.total, 1L << 30));
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(static_cast<int>(std::clamp<long>(p.done, 0, total)));
  } else if (p.items > 0) {
    // The tables done before this one.
    bar_->setRange(0, p.items);
    bar_->setValue(std::clamp(p.item - 1, 0, p.items));
  } else {
    // A step that counts nothing: the bar only moves.
    bar_->setRange(0, 0);
  }
  if (!isVisible()) {
    PlaceOverOwner();
    show();
  }
}

void QtProgressWindow::PlaceOverOwner() {
  QRect area;
  if (parentWidget() != nullptr) {
    area = parentWidget()->window()->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
}

void QtProgressWindow::closeEvent(QCloseEvent* event) {
  // Only the command ends the window; a half-done migration cannot be left.
  event->ignore();
}

void QtProgressWindow::keyPressEvent(QKeyEvent* event) {
  // Escape and Enter would close a dialog.
  event->accept();
}

}  // namespace app
