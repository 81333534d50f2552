#ifndef MDBTOMYSQL_INPUT_FIELD_KEY_PRESS_H_
#define MDBTOMYSQL_INPUT_FIELD_KEY_PRESS_H_

#include <cstdint>

#include "input/field_kind.h"
#include "input/text_field.h"

namespace input {

// A typed key as its 16-bit character code. The window adapter derives the code from the key and
// its modifiers (Ctrl+A is 1 whatever text the display platform attaches to the event), lets the
// helper change it, and then inserts or acts on what is left; 0 means the key is swallowed.
using KeyCode = std::uint16_t;

inline constexpr KeyCode kKeySwallowed = 0;
inline constexpr KeyCode kKeyCtrlA = 1;
inline constexpr KeyCode kKeyCtrlC = 3;
inline constexpr KeyCode kKeyBackspace = 8;
inline constexpr KeyCode kKeyCtrlV = 22;
inline constexpr KeyCode kKeyUndo = 26;  // Ctrl+Z
inline constexpr KeyCode kKeyEscape = 27;

// Filters or rewrites one typed key of `field` according to its kind, before the field sees it.
// Backspace always passes; Escape becomes undo. The digit and date kinds also set the field's
// maximum length (10, 2, 7 or 5 for kinds 301 to 304), which stays after the key. Kinds 0 and 100
// skip their filter when `no_filter` is non-zero; the other kinds ignore it.
//
// The number rules look only at the insertion point and the text, never at a selection: typing
// over a selected range is judged as if nothing were selected. Pasting with the mouse is never
// filtered; what the number and date kinds let through is checked again by FieldLostFocus.
void FieldKeyPress(TextField& field, KeyCode& key, FieldKind kind, std::int16_t no_filter);

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_FIELD_KEY_PRESS_H_
