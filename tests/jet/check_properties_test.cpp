// Property blobs (MSysObjects.LvProp) the check refuses. mdbtools parses them when it opens a
// file and never returns from some damaged ones; the sound blobs of every fixture and of the
// files Access wrote pass (CheckDatabase over them, in check_test).
#include <gtest/gtest.h>

#include <string>

#include "jet/check_parts.h"

namespace {

std::string U16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }
std::string U32(uint32_t v) { return U16(uint16_t(v & 0xFFFF)) + U16(uint16_t(v >> 16)); }

// "MR2", a name list {"Required"}, and one column chunk for column "A" with one value: Required
// (name 0) = Yes.
std::string Blob(uint16_t value_length = 9, uint16_t name_index = 0, uint32_t names_length = 24) {
  const std::string name("R\0e\0q\0u\0i\0r\0e\0d\0", 16);
  std::string names = U32(names_length) + U16(0x0080) + U16(16) + name;
  std::string value = U16(value_length) + std::string{'\1', '\1'} + U16(name_index) + U16(1) + "\1";
  std::string column = U32(8) + U16(2) + std::string("A\0", 2) + value;
  return std::string("MR2\0", 4) + names + U32(6 + uint32_t(column.size())) + U16(0x0001) + column;
}

std::string Flaw(const std::string& blob) {
  return jet::PropertyBlobFlaw(reinterpret_cast<const uint8_t*>(blob.data()), blob.size());
}

TEST(CheckProperties, ABlobMustBeChunksThatFillItExactly) {
  EXPECT_EQ(Flaw(Blob()), "");
  EXPECT_EQ(Flaw("KKD" + Blob().substr(3)), "a property blob without its mark MR2");
  EXPECT_EQ(Flaw(Blob(9, 0, 0)), "a property chunk whose length does not fit at byte 4");
  EXPECT_EQ(Flaw(Blob(9, 0, 400)), "a property chunk whose length does not fit at byte 4");
  EXPECT_EQ(Flaw(Blob() + "\1\2"),
            "a property chunk cut short at byte " + std::to_string(Blob().size()));
  EXPECT_EQ(Flaw(Blob(12)), "a property value whose lengths do not fit at byte 42");
  EXPECT_EQ(Flaw(Blob(9, 1)), "a property value naming no property at byte 42");
}

}  // namespace
