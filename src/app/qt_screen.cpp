#include "app/qt_screen.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <utility>

namespace app {
namespace {

std::function<void(QMessageBox&)>& Hook() {
  static std::function<void(QMessageBox&)> hook;
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

void QtScreen::SetMessageBoxHook(std::function<void(QMessageBox&)> hook) {
  Hook() = std::move(hook);
}

void QtScreen::MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                          const std::string& details) {
  SetPointer(ui::Pointer::kArrow);
  QMessageBox box(IconOf(icon), QString::fromStdString(title.empty() ? ui::kProgramName : title),
                  QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setDetailedText(QString::fromStdString(details));
  if (Hook()) {
    Hook()(box);
    return;
  }
  box.exec();
}

void QtScreen::SetPointer(ui::Pointer pointer) {
  // The override cursors stack; the program keeps at most one on the stack.
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  if (pointer == ui::Pointer::kHourglass) QApplication::setOverrideCursor(Qt::WaitCursor);
}

}  // namespace app
