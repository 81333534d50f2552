#include "jet/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Decode(const std::vector<uint8_t>& bytes) {
  return jet::DecodeText(bytes.data(), bytes.size());
}

TEST(DecodeText, PlainAndCompressedUnicode) {
  EXPECT_EQ(Decode({'N', 0, 'O', 0}), "NO");
  EXPECT_EQ(Decode({}), "");
  // FF FE: one byte per character, Latin-1 included.
  EXPECT_EQ(Decode({0xFF, 0xFE, 'J', 'o', 's', 0xE9}), "Jos\xC3\xA9");
  // A 0x00 byte switches to two-byte characters and back.
  EXPECT_EQ(Decode({0xFF, 0xFE, 'a', 0x00, 0x2D, 0x4E, 0x00, 'b'}),
            "a\xE4\xB8\xAD"
            "b");
  // The value may end in two-byte mode; a dangling odd byte is dropped.
  EXPECT_EQ(Decode({0xFF, 0xFE, 'x', 0x00, 0x87, 0x65, 0x12}), "x\xE6\x96\x87");
}

TEST(DecodeText, SurrogatePairsAndBrokenOnes) {
  // U+1F600 as a surrogate pair.
  EXPECT_EQ(Decode({0x3D, 0xD8, 0x00, 0xDE}), "\xF0\x9F\x98\x80");
  // A lone high surrogate, a lone low surrogate.
  EXPECT_EQ(Decode({0x3D, 0xD8, 'a', 0}),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(Decode({0x00, 0xDE}), "\xEF\xBF\xBD");
  EXPECT_EQ(Decode({0x3D, 0xD8}), "\xEF\xBF\xBD");
}

std::string Flaw(const std::vector<uint8_t>& bytes) {
  return jet::TextFlaw(bytes.data(), bytes.size());
}

TEST(TextFlaw, NamesHalfASurrogatePairWhereverTheDecoderWouldWriteUFFFD) {
  EXPECT_EQ(Flaw({0x3D, 0xD8, 0x00, 0xDE}), "");            // a whole pair
  EXPECT_EQ(Flaw({'a', 0x00, 0x00, 0x00, 'b', 0x00}), "");  // Access keeps U+0000 in its tables
  EXPECT_EQ(Flaw({0xFF, 0xFE, 'x', 0x00, 0x87, 0x65, 0x12}), "");
  EXPECT_EQ(Flaw({0x3D, 0xD8, 'a', 0}), "half of a surrogate pair (U+D83D)");
  EXPECT_EQ(Flaw({'a', 0, 0x00, 0xDE}), "half of a surrogate pair (U+DE00)");
  EXPECT_EQ(Flaw({0x3D, 0xD8}), "half of a surrogate pair (U+D83D)");
  // In compressed text, a switch back to one-byte characters cuts a pair in two.
  EXPECT_EQ(Flaw({0xFF, 0xFE, 0x00, 0x3D, 0xD8, 0x00, 'a'}), "half of a surrogate pair (U+D83D)");
  EXPECT_EQ(Flaw({0xFF, 0xFE, 0x00, 0x3D, 0xD8, 0x01, 0xDC}), "");
}

TEST(NamesEqual, FoldsCaseLikeAccessNames) {
  EXPECT_TRUE(jet::NamesEqual("tblEmployee", "TBLEMPLOYEE"));
  EXPECT_TRUE(jet::NamesEqual("Größe", "GRÖßE"));
  EXPECT_TRUE(jet::NamesEqual("Überstunden", "überstunden"));
  EXPECT_TRUE(jet::NamesEqual("Ζωή", "ζωή"));
  EXPECT_FALSE(jet::NamesEqual("W_Temp", "W_Temp1"));
  EXPECT_FALSE(jet::NamesEqual("W", ""));
  EXPECT_FALSE(jet::NamesEqual("José", "Jose"));
}

TEST(EncodeText, StoresTextAsJetDoes) {
  EXPECT_EQ(jet::EncodeText("YES", true), std::string("\xFF\xFEYES", 5));
  EXPECT_EQ(jet::EncodeText("YES", false), std::string("Y\0E\0S\0", 6));
  EXPECT_EQ(jet::EncodeText("NO", true), std::string("N\0O\0", 4));  // nothing to save
  EXPECT_EQ(jet::EncodeText("caf\xC3\xA9", true), std::string("\xFF\xFE"
                                                              "caf\xE9",
                                                              6));
  EXPECT_EQ(jet::EncodeText("\xE2\x82\xAC\x31\x32", true), std::string("\xAC\x20\x31\0\x32\0", 6));
}

TEST(EncodeText, DecodeTextReadsEveryEncodingBack) {
  for (const std::string& text : {std::string(""),
                                  std::string("Sm\xC3\xB8rrebr\xC3\xB8"
                                              "d"),
                                  std::string("\xC3\xBF\xC3\xBF\xC3\xBF"), std::string("a\0b", 3),
                                  std::string("\xF0\x9F\x98\x80 x"), std::string(300, 'Z')}) {
    for (bool compress : {false, true}) {
      const std::string stored = jet::EncodeText(text, compress);
      EXPECT_EQ(jet::DecodeText(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()),
                text)
          << "compress " << compress;
    }
  }
}

}  // namespace
