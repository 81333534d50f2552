#include "input/field_key_press.h"

#include <algorithm>
#include <string>

#include "base/utf16.h"

namespace input {
namespace {

constexpr KeyCode kApostrophe = '\'';
constexpr KeyCode kMinus = '-';
constexpr KeyCode kDot = '.';
constexpr KeyCode kSlash = '/';

// Ctrl+A selects this many characters: the whole text of any field the system has.
constexpr int kSelectAllLength = 1000;

bool IsDigit(KeyCode key) { return key >= '0' && key <= '9'; }
bool IsLetter(KeyCode key) { return (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z'); }
bool IsNumberKey(KeyCode key) { return IsDigit(key) || key == kMinus || key == kDot; }
bool IsCopyOrPaste(KeyCode key) { return key == kKeyCtrlC || key == kKeyCtrlV; }

// The field's text in UTF-16 code units and its insertion point within it.
struct Caret {
  std::u16string text;
  size_t start;

  explicit Caret(const TextField& field)
      : text(base::Utf8ToUtf16(field.Text())),
        start(std::min<size_t>(std::max(field.SelStart(), 0), text.size())) {}

  bool Has(KeyCode c) const { return text.find(static_cast<char16_t>(c)) != std::u16string::npos; }
  size_t After() const { return text.size() - start; }
};

// Kinds 201, 202, 203 and 1000: at most one "-", only in front; at most one "."; no more than
// `decimals` digits after the ".".
KeyCode DecimalRules(const TextField& field, KeyCode key, size_t decimals) {
  const Caret caret(field);
  if ((key == kDot && caret.Has(kDot)) || (key == kMinus && caret.Has(kMinus))) return 0;
  if (key == kMinus && caret.start != 0) return 0;
  const size_t dot = caret.text.find(u'.');
  if (dot != std::u16string::npos) {
    // Only the decimals are limited: the integer part in front of the "." may grow.
    const bool behind_dot = dot < caret.start;
    if (behind_dot && caret.text.size() - (dot + 1) == decimals) return 0;
    return key;
  }
  // A "." typed here would leave everything behind the insertion point as decimals.
  if (key == kDot && (caret.After() > decimals || caret.start == 0)) return 0;
  return key;
}

// Kind 501: one "-", only in front, like the decimal rules; a looser "." and no limit on the
// decimals.
KeyCode SignRules(const TextField& field, KeyCode key) {
  const Caret caret(field);
  if (key == kMinus && caret.Has(kMinus)) return 0;
  if (key == kMinus && caret.start != 0) return 0;
  if (caret.Has(kDot)) return key;
  if (key == kDot) {
    if (caret.After() > 2) return key;
    if (caret.start == 0) return 0;
  }
  return key;
}

KeyCode Filter(TextField& field, KeyCode key, FieldKind kind, std::int16_t no_filter) {
  switch (kind) {
    case kFreeText:
      if (no_filter != 0) return key;
      if (key == kApostrophe) return 0;
      if (key == kKeyCtrlA) {
        field.SetSelStart(0);
        field.SetSelLength(kSelectAllLength);
      }
      return key;
    case kFreeTextNoSelectAll:
      if (no_filter != 0) return key;
      return key == kApostrophe ? 0 : key;
    case kLetters:
      return IsLetter(key) || key == kKeyCtrlC ? key : 0;
    case kWholeNumber:
      return IsDigit(key) || key == kKeyCtrlC ? key : 0;
    case kNumber2Decimals:
      if (IsCopyOrPaste(key)) return key;
      return IsNumberKey(key) ? DecimalRules(field, key, 2) : 0;
    case kNumber4Decimals:
      return IsNumberKey(key) ? DecimalRules(field, key, 4) : 0;
    case kNumber3Decimals:
      return IsNumberKey(key) ? DecimalRules(field, key, 3) : 0;
    case kNumber1Decimal:
      return IsNumberKey(key) ? DecimalRules(field, key, 1) : 0;
    case kDate:
      field.SetMaxLength(10);
      return IsDigit(key) || key == kMinus || IsCopyOrPaste(key) ? key : 0;
    case kMonth:
      field.SetMaxLength(2);
      return IsDigit(key) ? key : 0;
    case kMonthYear:
      field.SetMaxLength(7);
      return IsDigit(key) || key == kSlash || key == kMinus || IsCopyOrPaste(key) ? key : 0;
    case kTime:
      // Everything else is caught by the time check on leaving.
      field.SetMaxLength(5);
      return key == kMinus ? 0 : key;
    case kSignedNumber:
      return IsNumberKey(key) ? SignRules(field, key) : 0;
    default:
      return key;
  }
}

}  // namespace

void FieldKeyPress(TextField& field, KeyCode& key, FieldKind kind, std::int16_t no_filter) {
  if (key == kKeyBackspace) return;
  if (key == kKeyEscape) {
    key = kKeyUndo;
    return;
  }
  key = Filter(field, key, kind, no_filter);
}

}  // namespace input
