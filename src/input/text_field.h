#ifndef MDBTOMYSQL_INPUT_TEXT_FIELD_H_
#define MDBTOMYSQL_INPUT_TEXT_FIELD_H_

#include <cstdint>
#include <string>

namespace input {

struct Color {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;

  friend bool operator==(const Color&, const Color&) = default;
};

// The background of the field that has the focus, and the normal one it gets back on leaving.
inline constexpr Color kFocusColor{162, 205, 90};
inline constexpr Color kNormalColor{255, 255, 255};

// A one-line text-entry control, as the input helpers see it: they use these properties and
// nothing else. The windows adapt their line edits to it; MemoryField keeps everything in memory.
//
// Texts are UTF-8. Positions and lengths (SelStart, SelLength, maxlength) count UTF-16 code
// units, as the window system's text controls do; in the digits-only fields this is the same as
// counting characters.
//
// Any method may throw if the control behind it is gone; FieldGotFocus swallows such errors, the
// other helpers let them through.
class TextField {
 public:
  virtual ~TextField() = default;

  virtual std::string Name() const = 0;

  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;

  // The insertion point, 0 in front of the first character.
  virtual int SelStart() const = 0;
  virtual void SetSelStart(int start) = 0;

  // The length of the selection that begins at SelStart; a control clamps it to its text.
  virtual void SetSelLength(int length) = 0;

  virtual void SetBackColor(Color color) = 0;

  // Limits what the person can type; the helpers' own writes never exceed the limits they set.
  virtual void SetMaxLength(int length) = 0;

  // Asks for the focus. From a focus-lost handler this sends the focus back to the field.
  virtual void SetFocus() = 0;
};

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_TEXT_FIELD_H_
