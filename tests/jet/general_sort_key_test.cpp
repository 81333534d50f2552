// Text keys in the General sort order against keys Access wrote: Access's Northwind samples (keyed
// there by the Jet 4.0 engine) and the rows of testUnicodeCompV2003.mdb; and what follows from how
// a key is built: case, blanks, the 255-unit cut, characters without a key.
#include "jet/general_sort_key.h"

#include <gtest/gtest.h>

#include <string>

#include "base/hex.h"

namespace {

// The key as hex, without the index entry's 0x7F flag; "none" when there is none.
std::string KeyOf(const std::string& utf8) {
  const std::optional<std::string> key = jet::GeneralTextKey(utf8);
  return key ? base::SpacedHex(*key) : "none";
}

// `n` times "02 ".
std::string NoAccents(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += "02 ";
  return out;
}

// Both keys of the report: ß sorts as "ss" and so is two positions for what comes after it.
TEST(GeneralTextKey, SharpSIsTwoPositionsAsAccessWroteIt) {
  EXPECT_EQ(KeyOf("NuNuCa Nuß-Nougat-Creme"),
            "62 6F 62 6F 4D 4A 07 62 6F 6B 6B 62 64 6F 55 4A 6D 4D 69 51 60 51 01 01 01 01 80 33 "
            "06 82 80 4B 06 82 00");
  EXPECT_EQ(KeyOf("Plutzer Lebensmittelgroßmärkte AG"),
            "66 5E 6F 6D 78 51 69 07 5E 51 4C 51 62 6B 60 59 6D 6D 51 5E 55 69 64 6B 6B 60 4A 69 "
            "5C 6D 51 07 4A 55 01 " +
                NoAccents(26) + "13 00");
}

TEST(GeneralTextKey, MatchesOtherNorthwindKeys) {
  EXPECT_EQ(KeyOf("Heli Süßwaren GmbH & Co. KG"),
            "57 51 5E 59 07 6B 6F 6B 6B 73 4A 69 51 62 07 55 60 4C 57 07 12 07 4D 64 1C 07 5C 55 "
            "01 02 02 02 02 02 02 13 00");
  EXPECT_EQ(KeyOf("Original Frankfurter grüne Soße"),
            "64 69 59 55 59 62 4A 5E 07 53 69 4A 62 5C 53 6F 69 6D 51 69 07 55 69 6F 62 51 07 6B "
            "64 6B 6B 51 01 " +
                NoAccents(23) + "13 00");
  EXPECT_EQ(KeyOf("Gustaf's Knäckebröd"),
            "55 6F 6B 6D 4A 53 6B 07 5C 62 4A 4D 5C 51 4C 69 64 4F 01 " + NoAccents(10) +
                "13 02 02 02 02 02 13 01 01 01 80 1F 06 80 00");
  EXPECT_EQ(KeyOf("Røgede sild"), "69 64 55 51 4F 51 07 6B 59 5E 4F 01 02 21 00");
  EXPECT_EQ(KeyOf("Côte de Blaye"), "4D 64 6D 51 07 4F 51 07 4C 5E 4A 76 51 01 02 12 00");
  EXPECT_EQ(KeyOf("Pâté chinois"), "66 4A 6D 51 07 4D 57 59 62 64 59 6B 01 02 12 02 0E 00");
  EXPECT_EQ(KeyOf("Guaraná Fantástica"),
            "55 6F 4A 69 4A 62 4A 07 53 4A 62 6D 4A 6B 6D 59 4D 4A 01 " + NoAccents(6) + "0E " +
                NoAccents(5) + "0E 00");
}

// Cyrillic, Greek (its extended letters are ignored), kana marks, control characters.
TEST(GeneralTextKey, MatchesTheUnicodeRowsAccessWrote) {
  EXPECT_EQ(KeyOf("Мир"), "79 43 79 3B 79 48 01 00");
  EXPECT_EQ(KeyOf("\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C "
                  "\u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1"),
            "79 15 79 0C 07 79 1E 79 1E 07 79 0E 07 79 15 79 15 79 16 79 23 79 1B 79 0C 01 03 02 "
            "02 02 02 02 02 02 02 03 01 01 01 80 1B 06 80 00");
  EXPECT_EQ(KeyOf("漢字仮名交じり文"),
            "C0 B6 AC AC A0 0D A5 47 9F BE 7F 13 7F 43 B6 F6 01 02 02 02 02 02 03 01 01 FF 02 80 "
            "FF 80 00");
  EXPECT_EQ(KeyOf("ääkkösiä"), "4A 4A 5C 5C 64 6B 59 4A 01 13 13 02 02 13 02 02 13 00");
  EXPECT_EQ(KeyOf("ümlaut"), "6F 60 5E 4A 6F 6D 01 13 00");
  EXPECT_EQ(KeyOf("3L9\x1D"
                  "52\x02_AB(¥\x05!!V"),
            "3C 5E 48 40 3A 2B 03 4A 4C 14 34 A9 09 09 71 01 01 01 01 80 13 06 1A 80 1B 06 04 80 "
            "2F 06 07 00");
}

// U+0001..U+00FF in one text, as Access keyed it: every Latin-1 code, unprintable characters
// before and after accents, and Æ, Þ, ß, æ, þ after accented letters, where each is one position.
TEST(GeneralTextKey, MatchesTheWholeLatin1RowAccessWrote) {
  std::string text;
  for (char32_t c = 1; c <= 0xFF; ++c) {
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  const char* expected =
      "08 03 08 04 08 05 08 06 08 07 07 09 0A 0C 0E 10 12 14 16 18 2C 1A 1C 1E 36 38 3A 3C 3E 40 "
      "42 44 46 48 20 22 2E 30 32 24 26 4A 4C 4D 4F 51 53 55 57 59 5B 5C 5E 60 62 64 66 68 69 6B "
      "6D 6F 71 73 75 76 78 27 29 2A 2B 02 2B 03 2B 07 4A 4C 4D 4F 51 53 55 57 59 5B 5C 5E 60 62 "
      "64 66 68 69 6B 6D 6F 71 73 75 76 78 2B 09 2B 0B 2B 0D 2B 0F 08 02 2B 10 34 A6 34 A7 34 A8 "
      "34 A9 2B 11 34 AA 2B 12 34 AB 4A 33 05 34 AC 34 AD 2B 13 34 AE 33 04 3A 3C 2B 14 34 AF 34 "
      "B0 34 B1 2B 15 38 64 33 07 37 12 37 16 37 1A 2B 16 4A 4A 4A 4A 4A 4A 4A 51 4D 51 51 51 51 "
      "59 59 59 59 4F 62 64 64 64 64 64 33 09 64 6F 6F 6F 6F 76 6D 57 6B 6B 4A 4A 4A 4A 4A 4A 4A "
      "51 4D 51 51 51 51 59 59 59 59 4F 62 64 64 64 64 64 33 0A 64 6F 6F 6F 6F 76 6D 57 76 01 02 "
      "02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 "
      "02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 "
      "02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 "
      "02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 03 02 02 02 02 02 02 02 02 02 02 02 02 "
      "02 02 03 02 02 02 02 02 0F 0E 12 19 13 1A 02 1C 0F 0E 12 13 0F 0E 12 13 68 19 0F 0E 12 19 "
      "13 02 21 0F 0E 12 13 0E 02 02 0F 0E 12 19 13 1A 02 1C 0F 0E 12 13 0F 0E 12 13 68 19 0F 0E "
      "12 19 13 02 21 0F 0E 12 13 0E 02 13 01 01 01 80 07 06 03 80 07 06 04 80 07 06 05 80 07 06 "
      "06 80 07 06 07 80 07 06 08 80 07 06 09 80 07 06 0A 80 1B 06 0B 80 1B 06 0C 80 1B 06 0D 80 "
      "1B 06 0E 80 1B 06 0F 80 1B 06 10 80 1B 06 11 80 1B 06 12 80 1B 06 13 80 1B 06 14 80 1B 06 "
      "15 80 1B 06 16 80 1B 06 17 80 1B 06 18 80 1B 06 19 80 1B 06 1A 80 1B 06 1B 80 1B 06 1C 80 "
      "37 06 80 80 4B 06 82 81 8F 06 1D 81 8F 06 1E 81 8F 06 1F 81 8F 06 20 81 8F 06 21 81 8F 06 "
      "22 81 8F 06 23 81 8F 06 24 81 8F 06 25 81 8F 06 26 81 8F 06 27 81 8F 06 28 81 8F 06 29 81 "
      "8F 06 2A 81 8F 06 2B 81 8F 06 2C 81 8F 06 2D 81 8F 06 2E 81 8F 06 2F 81 8F 06 30 81 8F 06 "
      "31 81 8F 06 32 81 8F 06 33 81 8F 06 34 81 8F 06 35 81 8F 06 36 81 8F 06 37 81 8F 06 38 81 "
      "8F 06 39 81 8F 06 3A 81 8F 06 3B 81 8F 06 3C 81 8F 06 3D 81 C3 06 83 00";
  EXPECT_EQ(KeyOf(text), expected);
}

TEST(GeneralTextKey, FoldsCaseAndDropsTrailingBlanksAndWhatFollowsUnit255) {
  EXPECT_EQ(KeyOf("TBLSYSTEM_PARAMETER_A"), KeyOf("tblSystem_Parameter_A"));
  EXPECT_EQ(KeyOf("МИР Ωμέγα ÉCOLE"), KeyOf("мир ωμέγα école"));
  EXPECT_EQ(KeyOf("ab  "), "4A 4C 01 00");
  EXPECT_EQ(KeyOf(" ab"), "07 4A 4C 01 00");  // leading blanks count
  EXPECT_EQ(KeyOf(""), "01 00");
  EXPECT_EQ(KeyOf(std::string(300, 'a')), KeyOf(std::string(255, 'a')));
  EXPECT_EQ(KeyOf(std::string(254, 'a') + "  b"), KeyOf(std::string(254, 'a')));
  // A blank cut at unit 255 is trailing after the cut.
  EXPECT_EQ(KeyOf(std::string(254, 'a') + " b"), KeyOf(std::string(254, 'a')));
}

TEST(GeneralTextKey, IgnoresNulAndUnassignedCodePoints) {
  EXPECT_EQ(KeyOf(std::string("a\0b", 3)), KeyOf("ab"));
  EXPECT_EQ(KeyOf("a\u0378b"), KeyOf("ab"));  // unassigned in Greek
}

// Expansions inline: æ = "ae", œ = "oe", ß = "ss", ǉ = "lj", ﬃ = "ffi".
TEST(GeneralTextKey, ExpandsLigatures) {
  EXPECT_EQ(KeyOf("æ"), KeyOf("ae"));
  EXPECT_EQ(KeyOf("Œuvre"), KeyOf("oeuvre"));
  EXPECT_EQ(KeyOf("ß"), "6B 6B 01 00");
  EXPECT_EQ(KeyOf("ǉ"), KeyOf("lj"));
  EXPECT_EQ(KeyOf("ﬃ"), KeyOf("ffi"));
  // Two positions before the first accent: the é of "æé" sits at position 2, like in "aeé".
  EXPECT_EQ(KeyOf("æé"), "4A 51 51 01 02 02 0E 00");
  EXPECT_EQ(KeyOf("œ-"), "64 51 01 01 01 01 80 0F 06 82 00");
}

TEST(GeneralTextKey, NothingForCharactersBeyondTheBasicPlane) {
  EXPECT_EQ(KeyOf("a\U0001F600"), "none");
  EXPECT_EQ(KeyOf("\U00020000"), "none");
  // Beyond unit 255 they are not part of the key.
  EXPECT_NE(KeyOf(std::string(255, 'a') + "\U0001F600"), "none");
  // For ordering they still sort, after every keyed character.
  EXPECT_LT(jet::GeneralSortKey("z"), jet::GeneralSortKey("\U0001F600"));
  EXPECT_EQ(jet::GeneralSortKey("Tables"), *jet::GeneralTextKey("Tables"));
}

// Keys order texts as Jet's indexes do.
TEST(GeneralSortKey, OrdersAsJetDoes) {
  EXPECT_LT(jet::GeneralSortKey("Tbl_Shift"), jet::GeneralSortKey("tblEmployee"));
  EXPECT_LT(jet::GeneralSortKey("cote"), jet::GeneralSortKey("côte"));
  EXPECT_LT(jet::GeneralSortKey("côte"), jet::GeneralSortKey("coter"));
  EXPECT_LT(jet::GeneralSortKey("Zürich"), jet::GeneralSortKey("Мир"));
  EXPECT_LT(jet::GeneralSortKey("Мир"), jet::GeneralSortKey("漢字"));
}

}  // namespace
