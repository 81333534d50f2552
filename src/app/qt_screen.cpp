#include "app/qt_screen.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <utility>

#include "app/qt_progress_window.h"
#include "app/qt_ui_thread.h"

namespace app {
namespace {

std::function<void(QMessageBox&)>& Hook() {
  static std::function<void(QMessageBox&)> hook;
  return hook;
}

std::function<void(const QtProgressWindow&)>& ProgressHook() {
  static std::function<void(const QtProgressWindow&)> hook;
  return hook;
}

QMessageBox::Icon IconOf(ui::Icon icon) {
  switch (icon) {
    case ui::Icon::kInformation:
      return QMessageBox::Information;
    case ui::Icon::kCritical:
      return QMessageBox::Critical;
    case ui::Icon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QtScreen::QtScreen(QWidget* owner) : owner_(owner) {}

QtScreen::~QtScreen() { delete progress_.data(); }

void QtScreen::SetMessageBoxHook(std::function<void(QMessageBox&)> hook) {
  Hook() = std::move(hook);
}

void QtScreen::SetProgressHook(std::function<void(const QtProgressWindow&)> hook) {
  ProgressHook() = std::move(hook);
}

void MakeRoomForTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  font.setBold(true);
  // A quarter more than our idea of the title font, for a larger one of the window system's;
  // eight line heights for the icon, the buttons and the bar's margins.
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(box.windowTitle()) * 5 / 4 + 8 * metrics.height();
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

void QtScreen::MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                          const std::string& details) {
  RunOnUiThread([&] {
    SetPointer(ui::Pointer::kArrow);
    // Owned by the active window, so that it stands over the progress window while one shows;
    // by the owner when none is active yet (the progress window has just gone).
    QWidget* parent = QApplication::activeWindow();
    if (parent == nullptr && owner_) parent = owner_->window();
    QMessageBox box(IconOf(icon), QString::fromStdString(title.empty() ? ui::kProgramName : title),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (!details.empty()) box.setDetailedText(QString::fromStdString(details));
    MakeRoomForTitle(box);
    if (Hook()) {
      Hook()(box);
      return;
    }
    box.exec();
  });
}

void QtScreen::SetPointer(ui::Pointer pointer) {
  RunOnUiThread([pointer] {
    // The override cursors stack; the program keeps at most one on the stack.
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    if (pointer == ui::Pointer::kHourglass) QApplication::setOverrideCursor(Qt::WaitCursor);
  });
}

void QtScreen::ShowProgress(const ui::Progress& progress) {
  RunOnUiThread([&] {
    if (!progress_) progress_ = new QtProgressWindow(owner_.data());
    progress_->Show(progress);
    if (ProgressHook()) ProgressHook()(*progress_);
  });
}

void QtScreen::EndProgress() {
  RunOnUiThread([this] {
    delete progress_.data();
    progress_ = nullptr;
  });
}

}  // namespace app
