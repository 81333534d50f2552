// One column's stored bytes: every type stores and reads back exactly, values that do not suit
// the column are refused, and bytes too few for their type are damage.
#include "jet/stored_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "jet/error.h"
#include "page_images.h"

namespace {

jet::Column MakeColumn(uint8_t type, uint16_t length = 0, uint8_t flags = 0x03) {
  jet::Column c;
  c.name = "C";
  c.type = type;
  c.length = length;
  c.flags = flags;  // fixed, updatable
  return c;
}

// The value as the engine reads it back after storing it.
jet::Value RoundTrip(const jet::Column& column, const jet::Value& value) {
  auto cache = pagetest::BlankFile(1);
  const std::string bytes = jet::StoreValue(column, value);
  if (column.fixed()) {
    EXPECT_EQ(bytes.size(), jet::StoredSize(column)) << jet::TypeName(column.type);
  }
  jet::Value out;
  jet::DecodeValue(column, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), *cache, 0,
                   &out);
  return out;
}

TEST(StoredValue, EveryTypeReadsBackAsStoredAtTheEdgesOfItsRange) {
  const jet::Column byte = MakeColumn(jet::kTypeByte);
  EXPECT_EQ(RoundTrip(byte, int64_t{0}), jet::Value(int64_t{0}));
  EXPECT_EQ(RoundTrip(byte, int64_t{255}), jet::Value(int64_t{255}));
  const jet::Column integer = MakeColumn(jet::kTypeInteger);
  EXPECT_EQ(RoundTrip(integer, int64_t{-32768}), jet::Value(int64_t{-32768}));
  const jet::Column long_integer = MakeColumn(jet::kTypeLong);
  EXPECT_EQ(RoundTrip(long_integer, int64_t{INT32_MIN}), jet::Value(int64_t{INT32_MIN}));
  EXPECT_EQ(RoundTrip(long_integer, int64_t{INT32_MAX}), jet::Value(int64_t{INT32_MAX}));
  const jet::Column currency = MakeColumn(jet::kTypeCurrency);
  EXPECT_EQ(RoundTrip(currency, jet::Currency{-922337203685477580}),
            jet::Value(jet::Currency{-922337203685477580}));
  // Single and Double take any number; a Date/Time keeps its fraction of a day.
  EXPECT_EQ(RoundTrip(MakeColumn(jet::kTypeSingle), 0.1), jet::Value(0.1f));
  EXPECT_EQ(RoundTrip(MakeColumn(jet::kTypeDouble), int64_t{-7}), jet::Value(-7.0));
  EXPECT_EQ(RoundTrip(MakeColumn(jet::kTypeDateTime), jet::Date{-1.25}),
            jet::Value(jet::Date{-1.25}));
  // Text: variable text as given, fixed text padded with spaces to its length.
  jet::Column text = MakeColumn(jet::kTypeText, 20, 0x02);
  text.extra_flags = 0x01;  // compressed unicode allowed
  EXPECT_EQ(RoundTrip(text, std::string("Jos\xC3\xA9")), jet::Value(std::string("Jos\xC3\xA9")));
  EXPECT_EQ(RoundTrip(text, std::string("\xE2\x82\xAC")), jet::Value(std::string("\xE2\x82\xAC")));
  EXPECT_EQ(RoundTrip(MakeColumn(jet::kTypeText, 8), std::string("AB")),
            jet::Value(std::string("AB  ")));
  EXPECT_EQ(RoundTrip(MakeColumn(jet::kTypeBinary, 4, 0x02), jet::Binary{std::string("\0\xFF", 2)}),
            jet::Value(jet::Binary{std::string("\0\xFF", 2)}));
}

TEST(StoreValue, RefusesValuesThatDoNotSuitTheColumn) {
  jet::Column text;
  text.name = "ISMySQLDB";
  text.type = jet::kTypeText;
  text.length = 6;  // three characters
  text.flags = 0x02;
  EXPECT_NO_THROW(jet::StoreValue(text, std::string("YES")));
  EXPECT_THROW(jet::StoreValue(text, std::string("YESS")), jet::Error);
  EXPECT_THROW(jet::StoreValue(text, int64_t{1}), jet::Error);
  jet::Column integer;
  integer.name = "Type";
  integer.type = jet::kTypeInteger;
  integer.flags = 0x03;
  EXPECT_EQ(jet::StoreValue(integer, int64_t{-2}), std::string("\xFE\xFF", 2));
  EXPECT_THROW(jet::StoreValue(integer, int64_t{40000}), jet::Error);
  EXPECT_THROW(jet::StoreValue(integer, std::string("4")), jet::Error);
}

TEST(StoreValue, RefusesOutOfRangeNumbersAndWrongSizes) {
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeByte), int64_t{256}), jet::Error);
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeByte), int64_t{-1}), jet::Error);
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeLong), int64_t{INT32_MAX} + 1), jet::Error);
  EXPECT_THROW(
      jet::StoreValue(MakeColumn(jet::kTypeDouble), std::numeric_limits<double>::quiet_NaN()),
      jet::Error);
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeDateTime), HUGE_VAL), jet::Error);
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeCurrency), 1.5), jet::Error)
      << "a Currency is given exactly, never as a double";
  // Fixed binary must be exactly its length; variable binary at most it.
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeBinary, 4), jet::Binary{"abc"}), jet::Error);
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeBinary, 2, 0x02), jet::Binary{"abc"}),
               jet::Error);
  // Long values and Yes/No are not stored here.
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeMemo, 0, 0x02), std::string("x")), jet::Error);
  EXPECT_THROW(jet::StoreValue(MakeColumn(jet::kTypeBoolean), true), jet::Error);
}

TEST(DecodeValue, BytesTooFewForTheTypeAreDamage) {
  auto cache = pagetest::BlankFile(1);
  const uint8_t bytes[17] = {};
  jet::Value out;
  try {
    jet::DecodeValue(MakeColumn(jet::kTypeLong, 0, 0x02), bytes, 3, *cache, 7, &out);
    ADD_FAILURE() << "no error";
  } catch (const jet::Error& e) {
    EXPECT_NE(std::string(e.what()).find("TEST.mdb: page 7: column C holds 3 bytes, needs 4"),
              std::string::npos)
        << e.what();
  }
  jet::Column decimal = MakeColumn(jet::kTypeDecimal);
  decimal.scale = 39;
  EXPECT_THROW(jet::DecodeValue(decimal, bytes, 17, *cache, 7, &out), jet::Error);
  decimal.scale = 38;
  jet::DecodeValue(decimal, bytes, 17, *cache, 7, &out);
  EXPECT_EQ(std::get<jet::Decimal>(out).text, "0." + std::string(38, '0'));
}

TEST(DecimalToText, ScaleSignAndFullMagnitude) {
  // 17 bytes: sign, then four 32-bit LE words, most significant first.
  uint8_t bytes[17] = {};
  bytes[13] = 0x39;
  bytes[14] = 0x30;  // 12345
  EXPECT_EQ(jet::DecimalToText(bytes, 0), "12345");
  EXPECT_EQ(jet::DecimalToText(bytes, 2), "123.45");
  EXPECT_EQ(jet::DecimalToText(bytes, 7), "0.0012345");
  bytes[0] = 0x80;
  EXPECT_EQ(jet::DecimalToText(bytes, 2), "-123.45");
  uint8_t zero[17] = {0x80};
  EXPECT_EQ(jet::DecimalToText(zero, 2), "0.00") << "no negative zero";
  uint8_t big[17] = {0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // 2^96
  EXPECT_EQ(jet::DecimalToText(big, 0), "79228162514264337593543950336");
}

TEST(GuidToText, UsesTheWindowsLayout) {
  const uint8_t bytes[16] = {0x40, 0xFC, 0x29, 0x6B, 0x47, 0xCA, 0x67, 0x10,
                             0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA};
  EXPECT_EQ(jet::GuidToText(bytes), "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
}

}  // namespace
