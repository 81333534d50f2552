#ifndef MDBTOMYSQL_APP_QT_LINE_EDIT_H_
#define MDBTOMYSQL_APP_QT_LINE_EDIT_H_

#include <QLineEdit>
#include <functional>
#include <optional>

#include "input/field_key_press.h"

class QKeyEvent;
class QMouseEvent;

namespace app {

// A line edit that hands its focus changes and typed keys to the window's handlers, as the
// system's text boxes raise GotFocus, KeyPress and LostFocus. Focus that moves to another window
// (a message box, another program) and back is no focus change of the window's own: it raises
// nothing, as it did not on the system's platform.
//
// A click that brings the focus leaves the field as its focus handler made it (the whole text
// selected, say), so that typing replaces the text; a further click places the caret as usual.
class FieldLineEdit : public QLineEdit {
 public:
  explicit FieldLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

  std::function<void()> on_got_focus;
  // Gets the key's code and may change it; 0 swallows the key.
  std::function<void(input::KeyCode&)> on_key_press;
  std::function<void()> on_lost_focus;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Whether the field holds its window's focus, which it keeps while another window is active.
  bool has_focus_ = false;
  // The focus came with a mouse press that is still to arrive: it must not move the caret.
  bool focused_by_press_ = false;
  // The button of that press is still down: its moves and its release are the same click.
  bool in_focusing_click_ = false;
};

// The character code of a typed key, from the key and its modifiers (Ctrl+A is 1 whatever text
// the platform attaches); nullopt for keys that type nothing (arrows, Delete, function keys),
// which reach the line edit unfiltered.
std::optional<input::KeyCode> KeyCodeOf(const QKeyEvent& event);

// Makes a password line edit show "*" for every character, at once, on any style.
void UseAsteriskEcho(QLineEdit& edit);

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_LINE_EDIT_H_
