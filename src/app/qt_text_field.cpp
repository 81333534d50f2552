#include "app/qt_text_field.h"

#include <QLineEdit>
#include <QPalette>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

#include "app/qt_ui_thread.h"

namespace app {

QLineEdit& QtTextField::Edit() const {
  if (edit_.isNull()) throw std::runtime_error("The field " + name_ + " is gone.");
  return *edit_;
}

std::string QtTextField::Text() const {
  return OnUiThread([this] { return Edit().text().toStdString(); });
}

void QtTextField::SetText(const std::string& text) {
  OnUiThread([&] { Edit().setText(QString::fromStdString(text)); });
}

int QtTextField::SelStart() const {
  return OnUiThread([this] {
    const QLineEdit& edit = Edit();
    return edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
  });
}

void QtTextField::SetSelStart(int start) {
  OnUiThread([&] {
    QLineEdit& edit = Edit();
    edit.setCursorPosition(std::clamp(start, 0, static_cast<int>(edit.text().size())));
  });
}

void QtTextField::SetSelLength(int length) {
  OnUiThread([&] {
    QLineEdit& edit = Edit();
    const int start = SelStart();
    const int size = static_cast<int>(edit.text().size());
    const int end = std::clamp(start + std::max(length, 0), start, size);
    // The cursor ends at the far end of the selection, as a person selecting forwards leaves it.
    edit.setSelection(start, end - start);
  });
}

void QtTextField::SetBackColor(input::Color color) {
  OnUiThread([&] {
    QLineEdit& edit = Edit();
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, QColor(color.red, color.green, color.blue));
    edit.setPalette(palette);
  });
}

void QtTextField::SetMaxLength(int length) {
  OnUiThread([&] { Edit().setMaxLength(length); });
}

void QtTextField::SetFocus() {
  OnUiThread([this] {
    QLineEdit& edit = Edit();
    QTimer::singleShot(0, &edit, [target = QPointer<QLineEdit>(&edit)] {
      if (target) target->setFocus(Qt::OtherFocusReason);
    });
  });
}

}  // namespace app
