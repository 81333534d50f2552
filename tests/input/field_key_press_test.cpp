#include "input/field_key_press.h"

#include <gtest/gtest.h>

#include <string>

#include "input/memory_field.h"

namespace input {
namespace {

// Types `key` into a field holding `text` with the insertion point at `caret`; returns what the
// filter left of the key.
KeyCode Type(const std::string& text, int caret, char16_t key, FieldKind kind,
             std::int16_t no_filter = 0) {
  MemoryField field("txtField", text);
  field.SetSelStart(caret);
  KeyCode code = key;
  FieldKeyPress(field, code, kind, no_filter);
  return code;
}

bool Passes(const std::string& text, int caret, char16_t key, FieldKind kind) {
  return Type(text, caret, key, kind) == key;
}

const FieldKind kAllKinds[] = {0, 100, 101, 200, 201, 202, 203, 301, 302, 303, 304, 501, 1000, 7};

TEST(FieldKeyPress, BackspacePassesAndEscapeBecomesUndoInEveryKind) {
  for (FieldKind kind : kAllKinds) {
    for (std::int16_t no_filter : {0, 1}) {
      EXPECT_EQ(Type("12.34", 5, kKeyBackspace, kind, no_filter), kKeyBackspace) << kind;
      EXPECT_EQ(Type("", 0, kKeyBackspace, kind, no_filter), kKeyBackspace) << kind;
      EXPECT_EQ(Type("abc", 1, kKeyEscape, kind, no_filter), kKeyUndo) << kind;
    }
  }
}

TEST(FieldKeyPress, FreeTextSwallowsApostropheAndSelectsAllOnCtrlA) {
  EXPECT_EQ(Type("O", 1, '\'', kFreeText), 0);
  EXPECT_EQ(Type("O", 1, 'x', kFreeText), 'x');
  EXPECT_EQ(Type("", 0, ' ', kFreeText), ' ');
  EXPECT_EQ(Type("", 0, '"', kFreeText), '"');

  MemoryField field("txtUser", "root");
  field.SetSelStart(2);
  KeyCode key = kKeyCtrlA;
  FieldKeyPress(field, key, kFreeText, 0);
  EXPECT_EQ(key, kKeyCtrlA);  // passes on after selecting
  EXPECT_EQ(field.SelStart(), 0);
  EXPECT_EQ(field.sel_length(), 4);

  // Up to 1000 characters are selected; longer texts keep their tail unselected.
  MemoryField long_field("txtUser", std::string(1200, 'a'));
  key = kKeyCtrlA;
  FieldKeyPress(long_field, key, kFreeText, 0);
  EXPECT_EQ(long_field.sel_length(), 1000);
}

TEST(FieldKeyPress, NoFilterFlagLetsEverythingThroughInKinds0And100Only) {
  EXPECT_EQ(Type("O", 1, '\'', kFreeText, 1), '\'');
  EXPECT_EQ(Type("O", 1, '\'', kFreeText, -1), '\'');
  EXPECT_EQ(Type("O", 1, '\'', kFreeTextNoSelectAll, 1), '\'');

  MemoryField field("txtUser", "root");
  field.SetSelStart(2);
  KeyCode key = kKeyCtrlA;
  FieldKeyPress(field, key, kFreeText, 1);
  EXPECT_EQ(key, kKeyCtrlA);
  EXPECT_EQ(field.SelStart(), 2) << "Ctrl+A must not select with the flag set";
  EXPECT_EQ(field.sel_length(), 0);

  // The other kinds ignore the flag.
  EXPECT_EQ(Type("", 0, 'a', kWholeNumber, 1), 0);
  EXPECT_EQ(Type("", 0, '5', kLetters, 1), 0);
}

TEST(FieldKeyPress, Kind100SwallowsApostropheButDoesNotSelectAll) {
  EXPECT_EQ(Type("x", 1, '\'', kFreeTextNoSelectAll), 0);
  MemoryField field("txtName", "abc");
  field.SetSelStart(3);
  KeyCode key = kKeyCtrlA;
  FieldKeyPress(field, key, kFreeTextNoSelectAll, 0);
  EXPECT_EQ(key, kKeyCtrlA);
  EXPECT_EQ(field.SelStart(), 3);
}

TEST(FieldKeyPress, LettersAndWholeNumbersAcceptOnlyTheirCharactersAndCtrlC) {
  for (char16_t c : {u'A', u'Z', u'a', u'z', char16_t{kKeyCtrlC}}) {
    EXPECT_EQ(Type("", 0, c, kLetters), c);
  }
  for (char16_t c : {u'@', u'[', u'`', u'{', u'0', u' ', u'\u00e9', char16_t{kKeyCtrlV}}) {
    EXPECT_EQ(Type("", 0, c, kLetters), 0) << static_cast<int>(c);
  }
  for (char16_t c : {u'0', u'9', char16_t{kKeyCtrlC}}) EXPECT_EQ(Type("33", 2, c, kWholeNumber), c);
  // "-", ".", space, Enter, Ctrl+V, Ctrl+X, and the neighbours of the digits.
  for (char16_t c : {u'-', u'.', u' ', u'\r', u'/', u':', char16_t{kKeyCtrlV}, char16_t{24},
                     char16_t{kKeyCtrlA}}) {
    EXPECT_EQ(Type("33", 2, c, kWholeNumber), 0) << static_cast<int>(c);
  }
}

TEST(FieldKeyPress, NumberKindsAcceptDigitsSignAndPointOnly) {
  for (FieldKind kind : {201, 202, 203, 1000}) {
    EXPECT_EQ(Type("", 0, '7', kind), '7');
    EXPECT_EQ(Type("", 0, 'a', kind), 0);
    EXPECT_EQ(Type("", 0, ',', kind), 0);
    EXPECT_EQ(Type("", 0, '+', kind), 0);
  }
  // Only kind 201 lets copy and paste through, wherever the insertion point is.
  EXPECT_EQ(Type("12.34", 5, kKeyCtrlC, 201), kKeyCtrlC);
  EXPECT_EQ(Type("12.34", 5, kKeyCtrlV, 201), kKeyCtrlV);
  for (FieldKind kind : {202, 203, 1000}) {
    EXPECT_EQ(Type("1", 1, kKeyCtrlC, kind), 0);
    EXPECT_EQ(Type("1", 1, kKeyCtrlV, kind), 0);
  }
}

TEST(FieldKeyPress, DecimalRulesLimitTheDigitsBehindThePoint) {
  // Two decimals typed: no third one at the end, but the integer part may grow.
  EXPECT_FALSE(Passes("12.34", 5, '5', 201));
  EXPECT_FALSE(Passes("12.34", 4, '5', 201));
  EXPECT_TRUE(Passes("12.34", 2, '5', 201));
  EXPECT_TRUE(Passes("12.34", 0, '5', 201));
  EXPECT_TRUE(Passes("12.3", 4, '4', 201));
  // n = 1, 3, 4 for kinds 1000, 203, 202.
  EXPECT_FALSE(Passes("1.2", 3, '3', 1000));
  EXPECT_TRUE(Passes("1.23", 4, '4', 203));
  EXPECT_FALSE(Passes("1.234", 5, '4', 203));
  EXPECT_TRUE(Passes("1.234", 5, '5', 202));
  EXPECT_FALSE(Passes("1.2345", 6, '6', 202));
}

TEST(FieldKeyPress, DecimalRulesPlaceThePointSoThatNoMoreThanNDecimalsFollow) {
  // "12345" with the point typed at 2 would leave three decimals, at 3 it leaves two.
  EXPECT_FALSE(Passes("12345", 2, '.', 201));
  EXPECT_TRUE(Passes("12345", 3, '.', 201));
  EXPECT_TRUE(Passes("12345", 5, '.', 201));
  EXPECT_FALSE(Passes("12345", 0, '.', 202));
  EXPECT_TRUE(Passes("12345", 1, '.', 202));
  EXPECT_FALSE(Passes("12345", 3, '.', 1000));
  EXPECT_TRUE(Passes("12345", 4, '.', 1000));
  // Never at the very start, not even into an empty field, and only once.
  EXPECT_FALSE(Passes("", 0, '.', 201));
  EXPECT_FALSE(Passes("5", 0, '.', 201));
  EXPECT_FALSE(Passes("1.5", 3, '.', 201));
  EXPECT_FALSE(Passes("1.", 1, '.', 201));
}

TEST(FieldKeyPress, DecimalRulesAllowOneMinusAtTheStartOnly) {
  for (FieldKind kind : {201, 202, 203, 1000}) {
    EXPECT_TRUE(Passes("", 0, '-', kind));
    EXPECT_TRUE(Passes("12", 0, '-', kind));
    EXPECT_TRUE(Passes("1.5", 0, '-', kind));
    EXPECT_FALSE(Passes("12", 1, '-', kind));
    EXPECT_FALSE(Passes("12", 2, '-', kind));
    EXPECT_FALSE(Passes("-12", 0, '-', kind));
    EXPECT_FALSE(Passes("1-2", 0, '-', kind));
  }
}

TEST(FieldKeyPress, DecimalRulesIgnoreTheSelection) {
  // Typing over the selected decimals of "12.34" is judged as an insertion behind two decimals.
  MemoryField decimals("txtAmount", "12.34");
  decimals.SetSelStart(3);
  decimals.SetSelLength(2);
  KeyCode key = '9';
  FieldKeyPress(decimals, key, 201, 0);
  EXPECT_EQ(key, 0);

  // The whole text selected from 0: judged in front of the point, so it passes.
  MemoryField whole("txtAmount", "12.34");
  whole.SetSelLength(5);
  key = '9';
  FieldKeyPress(whole, key, 201, 0);
  EXPECT_EQ(key, '9');
}

TEST(FieldKeyPress, SignRulesOfKind501) {
  EXPECT_TRUE(Passes("", 0, '-', 501));
  EXPECT_FALSE(Passes("5", 1, '-', 501));
  EXPECT_FALSE(Passes("-5", 0, '-', 501));
  // No limit on decimals, and with a point present even a further point passes.
  EXPECT_TRUE(Passes("1.23456", 7, '7', 501));
  EXPECT_TRUE(Passes("1.2", 3, '.', 501));
  // Without a point: a point with more than two characters behind it passes, even at the start;
  // otherwise not at the start.
  EXPECT_TRUE(Passes("123", 0, '.', 501));
  EXPECT_FALSE(Passes("12", 0, '.', 501));
  EXPECT_FALSE(Passes("", 0, '.', 501));
  EXPECT_TRUE(Passes("12", 1, '.', 501));
  EXPECT_TRUE(Passes("12", 2, '.', 501));
  EXPECT_FALSE(Passes("12", 2, 'e', 501));
  EXPECT_FALSE(Passes("12", 2, kKeyCtrlC, 501));
}

TEST(FieldKeyPress, DateKindsSetTheirMaximumLengthAndFilter) {
  struct Case {
    FieldKind kind;
    int max_length;
    std::u16string passes;
    std::u16string swallowed;
  };
  const Case cases[] = {
      {301, 10, u"09-\x03\x16", u"/:. a\x01"},
      {302, 2, u"09", u"-/:. a\x03\x16"},
      {303, 7, u"09/-\x03\x16", u":. a\x01"},
      {304, 5, u"09:. a/\x03\x16\x01", u"-"},
  };
  for (const Case& c : cases) {
    for (char16_t key : c.passes) {
      MemoryField field("txtWhen");
      KeyCode code = key;
      FieldKeyPress(field, code, c.kind, 0);
      EXPECT_EQ(code, key) << c.kind << " key " << static_cast<int>(key);
      EXPECT_EQ(field.max_length(), c.max_length) << c.kind;
    }
    for (char16_t key : c.swallowed) {
      MemoryField field("txtWhen");
      KeyCode code = key;
      FieldKeyPress(field, code, c.kind, 0);
      EXPECT_EQ(code, 0) << c.kind << " key " << static_cast<int>(key);
      EXPECT_EQ(field.max_length(), c.max_length) << "the limit is set even for a swallowed key";
    }
  }
  // Backspace and Escape end before the kind is looked at.
  MemoryField field("txtMonth");
  KeyCode key = kKeyBackspace;
  FieldKeyPress(field, key, 302, 0);
  EXPECT_EQ(field.max_length(), 0);
}

TEST(FieldKeyPress, UnknownKindsLetEveryKeyPass) {
  for (FieldKind kind : {1, 99, 300, 305, 999, -1}) {
    for (char16_t key : {u'\'', u'-', u'.', u'a', char16_t{kKeyCtrlA}}) {
      EXPECT_EQ(Type("x", 1, key, kind), key) << kind;
    }
  }
}

TEST(FieldKeyPress, PositionsCountUtf16CodeUnits) {
  // A character outside the Basic Multilingual Plane counts twice, as in the window's controls:
  // behind "1." an emoji fills both decimal places, a euro sign only one.
  EXPECT_FALSE(Passes("1.\U0001F600", 4, '9', 201));
  EXPECT_TRUE(Passes("1.\u20ac", 3, '9', 201));
  // Four units behind the insertion point are too many for a point with three decimals.
  EXPECT_FALSE(Passes("1\U0001F60023", 1, '.', 203));
  EXPECT_TRUE(Passes("1\u20ac23", 1, '.', 203));
}

}  // namespace
}  // namespace input
