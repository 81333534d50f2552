#include "app/qt_line_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>

namespace app {
namespace {

bool IsWindowSwitch(const QFocusEvent& event) {
  return event.reason() == Qt::ActiveWindowFocusReason || event.reason() == Qt::PopupFocusReason;
}

class AsteriskStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

std::optional<input::KeyCode> KeyCodeOf(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  const int key = event.key();
  if (modifiers == Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z) {
    return static_cast<input::KeyCode>(key - Qt::Key_A + 1);
  }
  if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  switch (key) {
    case Qt::Key_Backspace:
      return input::kKeyBackspace;
    case Qt::Key_Escape:
      return input::kKeyEscape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return input::KeyCode{13};
    default:
      break;
  }
  const QString text = event.text();
  if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127) {
    return text[0].unicode();
  }
  return std::nullopt;
}

void UseAsteriskEcho(QLineEdit& edit) {
  // One style for every password field of the program, owned by the application.
  static AsteriskStyle* style = [] {
    auto* made = new AsteriskStyle();
    made->setParent(qApp);
    return made;
  }();
  edit.setStyle(style);
  edit.setEchoMode(QLineEdit::Password);
}

void FieldLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // The first focus of a shown window arrives as a window activation too: what counts is whether
  // the field had the window's focus before.
  if (has_focus_) return;
  has_focus_ = true;
  // The window system gives the focus on the press, before the press itself reaches the field.
  focused_by_press_ = event->reason() == Qt::MouseFocusReason && on_got_focus != nullptr;
  if (on_got_focus) on_got_focus();
}

void FieldLineEdit::mousePressEvent(QMouseEvent* event) {
  const bool focusing = focused_by_press_ && event->button() == Qt::LeftButton;
  focused_by_press_ = false;
  if (focusing) {
    in_focusing_click_ = true;
    event->accept();
    return;
  }
  QLineEdit::mousePressEvent(event);
}

void FieldLineEdit::mouseMoveEvent(QMouseEvent* event) {
  // A hand that shakes during the click would drag a new selection.
  if (in_focusing_click_) {
    event->accept();
    return;
  }
  QLineEdit::mouseMoveEvent(event);
}

void FieldLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (in_focusing_click_ && event->button() == Qt::LeftButton) {
    in_focusing_click_ = false;
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void FieldLineEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (IsWindowSwitch(*event)) return;
  has_focus_ = false;
  focused_by_press_ = false;
  in_focusing_click_ = false;
  if (on_lost_focus) on_lost_focus();
}

void FieldLineEdit::keyPressEvent(QKeyEvent* event) {
  const std::optional<input::KeyCode> code = KeyCodeOf(*event);
  if (!code || !on_key_press) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  input::KeyCode key = *code;
  on_key_press(key);
  if (key == *code) {
    // Escape and Enter would travel on to the window; the window has no default or cancel button.
    if (key == input::kKeyEscape || key == 13) {
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  } else if (key == input::kKeySwallowed) {
    event->accept();
  } else if (key == input::kKeyUndo) {
    undo();
    event->accept();
  } else if (key >= 32) {
    insert(QString(QChar(key)));
    event->accept();
  } else {
    event->accept();
  }
}

}  // namespace app
