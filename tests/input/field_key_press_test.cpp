#include "input/field_key_press.h"

#include <gtest/gtest.h>

#include <string>

#include "input/memory_field.h"

namespace input {
namespace {

// Which of `keys` pass when each is typed alone into a field of `kind` holding `text` with the
// insertion point at `caret`.
std::string Kept(FieldKind kind, const std::string& text, int caret, const std::string& keys,
                 std::int16_t no_filter = 0) {
  std::string kept;
  for (char c : keys) {
    MemoryField field("txtField", text);
    field.SetSelStart(caret);
    KeyCode key = static_cast<unsigned char>(c);
    FieldKeyPress(field, key, kind, no_filter);
    if (key != 0) kept.push_back(static_cast<char>(key));
  }
  return kept;
}

// Digits, signs, separators, apostrophe, space, letters, Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X, Enter.
const std::string kKeys = "09-./:' aZ\x01\x03\x16\x18\r";

TEST(FieldKeyPress, BackspacePassesAndEscapeBecomesUndoInEveryKind) {
  for (FieldKind kind : {0, 100, 101, 200, 201, 202, 203, 301, 302, 303, 304, 501, 1000, 7}) {
    for (std::int16_t no_filter : {0, 1}) {
      EXPECT_EQ(Kept(kind, "12.34", 5, "\b", no_filter), "\b") << kind;
      KeyCode key = kKeyEscape;
      MemoryField field("txtField", "abc");
      FieldKeyPress(field, key, kind, no_filter);
      EXPECT_EQ(key, kKeyUndo) << kind;
    }
  }
}

TEST(FieldKeyPress, EachKindLetsItsOwnKeysThrough) {
  EXPECT_EQ(Kept(0, "", 0, kKeys), "09-./: aZ\x01\x03\x16\x18\r");
  EXPECT_EQ(Kept(100, "", 0, kKeys), "09-./: aZ\x01\x03\x16\x18\r");
  EXPECT_EQ(Kept(101, "", 0, kKeys), "aZ\x03");
  EXPECT_EQ(Kept(200, "", 0, kKeys), "09\x03");
  // Behind a digit, where the sign may no longer go but the point may.
  EXPECT_EQ(Kept(201, "1", 1, kKeys), "09.\x03\x16");
  for (FieldKind kind : {202, 203, 1000, 501}) EXPECT_EQ(Kept(kind, "1", 1, kKeys), "09.") << kind;
  EXPECT_EQ(Kept(301, "", 0, kKeys), "09-\x03\x16");
  EXPECT_EQ(Kept(302, "", 0, kKeys), "09");
  EXPECT_EQ(Kept(303, "", 0, kKeys), "09-/\x03\x16");
  EXPECT_EQ(Kept(304, "", 0, kKeys), "09./:' aZ\x01\x03\x16\x18\r");
  for (FieldKind kind : {1, 99, 300, 305, 999, -1}) EXPECT_EQ(Kept(kind, "", 0, kKeys), kKeys);
}

TEST(FieldKeyPress, CtrlASelectsAllInKind0Only) {
  MemoryField field("txtUser", "root");
  field.SetSelStart(2);
  KeyCode key = kKeyCtrlA;
  FieldKeyPress(field, key, kFreeText, 0);
  EXPECT_EQ(key, kKeyCtrlA);  // passes on after selecting
  EXPECT_EQ(field.SelStart(), 0);
  EXPECT_EQ(field.sel_length(), 4);

  for (FieldKind kind : {kFreeTextNoSelectAll, kTime}) {
    MemoryField other("txtUser", "root");
    other.SetSelStart(2);
    FieldKeyPress(other, key, kind, 0);
    EXPECT_EQ(other.SelStart(), 2) << kind;
  }
}

TEST(FieldKeyPress, NoFilterFlagLetsEverythingThroughInKinds0And100Only) {
  EXPECT_EQ(Kept(0, "", 0, kKeys, 1), kKeys);
  EXPECT_EQ(Kept(0, "", 0, kKeys, -1), kKeys);
  EXPECT_EQ(Kept(100, "", 0, kKeys, 1), kKeys);
  EXPECT_EQ(Kept(200, "", 0, kKeys, 1), "09\x03");

  MemoryField field("txtUser", "root");
  field.SetSelStart(2);
  KeyCode key = kKeyCtrlA;
  FieldKeyPress(field, key, kFreeText, 1);
  EXPECT_EQ(field.SelStart(), 2) << "Ctrl+A must not select with the flag set";
}

TEST(FieldKeyPress, DecimalRulesLimitTheDecimalsAtTheInsertionPoint) {
  // Two decimals typed: no third, but the integer part may grow.
  EXPECT_EQ(Kept(201, "12.34", 5, "5.-"), "");
  EXPECT_EQ(Kept(201, "12.34", 2, "5.-"), "5");
  EXPECT_EQ(Kept(201, "12.3", 4, "4"), "4");
  EXPECT_EQ(Kept(1000, "1.2", 3, "3"), "");
  EXPECT_EQ(Kept(203, "1.23", 4, "4"), "4");
  EXPECT_EQ(Kept(203, "1.234", 5, "4"), "");
  EXPECT_EQ(Kept(202, "1.234", 5, "5"), "5");
  EXPECT_EQ(Kept(202, "1.2345", 6, "6"), "");
  // "12345" with the point at 2 would leave three decimals, at 3 it leaves two.
  EXPECT_EQ(Kept(201, "12345", 2, "."), "");
  EXPECT_EQ(Kept(201, "12345", 3, "."), ".");
  EXPECT_EQ(Kept(202, "12345", 1, "."), ".");
  EXPECT_EQ(Kept(1000, "12345", 3, "."), "");
  // Never a point at the very start, not even into an empty field.
  EXPECT_EQ(Kept(201, "", 0, "."), "");
  EXPECT_EQ(Kept(201, "5", 0, "."), "");
}

TEST(FieldKeyPress, DecimalRulesAllowOneMinusAtTheStartOnly) {
  for (FieldKind kind : {201, 202, 203, 1000}) {
    EXPECT_EQ(Kept(kind, "", 0, "-"), "-") << kind;
    EXPECT_EQ(Kept(kind, "1.5", 0, "-"), "-") << kind;
    EXPECT_EQ(Kept(kind, "12", 1, "-"), "") << kind;
    EXPECT_EQ(Kept(kind, "12", 2, "-"), "") << kind;
    EXPECT_EQ(Kept(kind, "-12", 0, "-"), "") << kind;
    EXPECT_EQ(Kept(kind, "1-2", 0, "-"), "") << kind;
  }
}

TEST(FieldKeyPress, DecimalRulesIgnoreTheSelection) {
  // Typing over the selected decimals of "12.34" is judged as an insertion behind two decimals.
  MemoryField field("txtAmount", "12.34");
  field.SetSelStart(3);
  field.SetSelLength(2);
  KeyCode key = '9';
  FieldKeyPress(field, key, 201, 0);
  EXPECT_EQ(key, 0);
}

TEST(FieldKeyPress, SignRulesOfKind501) {
  EXPECT_EQ(Kept(501, "", 0, "-"), "-");
  EXPECT_EQ(Kept(501, "5", 1, "-"), "");
  EXPECT_EQ(Kept(501, "-5", 0, "-"), "");
  // No limit on decimals; with a point present even a further point passes.
  EXPECT_EQ(Kept(501, "1.23456", 7, "7."), "7.");
  // Without a point: a point with more than two characters behind it passes, even at the start;
  // otherwise not at the start.
  EXPECT_EQ(Kept(501, "123", 0, "."), ".");
  EXPECT_EQ(Kept(501, "12", 0, "."), "");
  EXPECT_EQ(Kept(501, "", 0, "."), "");
  EXPECT_EQ(Kept(501, "12", 1, "."), ".");
}

TEST(FieldKeyPress, DateKindsSetTheirMaximumLengthOnAnyKeyButBackspaceAndEscape) {
  for (auto [kind, limit] : {std::pair{301, 10}, {302, 2}, {303, 7}, {304, 5}}) {
    MemoryField field("txtWhen");
    KeyCode key = '-';  // swallowed by 302 and 304, passed by 301 and 303
    FieldKeyPress(field, key, kind, 0);
    EXPECT_EQ(field.max_length(), limit) << kind;
    MemoryField untouched("txtWhen");
    key = kKeyBackspace;
    FieldKeyPress(untouched, key, kind, 0);
    EXPECT_EQ(untouched.max_length(), 0) << kind;
  }
}

TEST(FieldKeyPress, PositionsCountUtf16CodeUnits) {
  // A character outside the Basic Multilingual Plane counts twice, as in the window's controls:
  // behind "1." an emoji fills both decimal places, a euro sign only one.
  EXPECT_EQ(Kept(201, "1.\U0001F600", 4, "9"), "");
  EXPECT_EQ(Kept(201, "1.\u20ac", 3, "9"), "9");
}

}  // namespace
}  // namespace input
