// Index keys of the types other than text: the bytes Jet writes for known values, keys that sort
// as their values sort in both directions, NULL and composite keys, and the keys this engine
// refuses to guess.
#include "jet/index_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A table of one column of `type` (number 0), and an index on it.
struct OneColumn {
  jet::TableDef def;
  jet::RealIndex index;

  explicit OneColumn(uint8_t type, bool ascending = true) {
    jet::Column c;
    c.name = "C";
    c.type = type;
    c.collation = 1033;
    def.columns = {c};
    index.columns = {{0, "C", ascending}};
  }
  std::string Key(const jet::Value& v) const { return *jet::EncodeIndexKey(def, index, {v}); }
};

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}

TEST(IndexKey, NumbersAsAccessWritesThem) {
  const OneColumn id(jet::kTypeLong);
  EXPECT_EQ(id.Key(int64_t{2}), Bytes({0x7F, 0x80, 0x00, 0x00, 0x02}));
  EXPECT_EQ(id.Key(int64_t{INT32_MIN}), Bytes({0x7F, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(id.Key(int64_t{0x0F000000}), Bytes({0x7F, 0x8F, 0x00, 0x00, 0x00}));
  EXPECT_EQ(OneColumn(jet::kTypeLong, false).Key(int64_t{2}),
            Bytes({0x80, 0x7F, 0xFF, 0xFF, 0xFD}));
  EXPECT_EQ(OneColumn(jet::kTypeInteger).Key(int64_t{-1}), Bytes({0x7F, 0x7F, 0xFF}));
  EXPECT_EQ(OneColumn(jet::kTypeByte).Key(int64_t{200}), Bytes({0x7F, 0xC8})) << "no sign bit";
  EXPECT_EQ(OneColumn(jet::kTypeBoolean).Key(true), Bytes({0x7F, 0x00}));
  EXPECT_EQ(OneColumn(jet::kTypeBoolean).Key(false), Bytes({0x7F, 0xFF}));
  EXPECT_EQ(OneColumn(jet::kTypeBoolean, false).Key(true), Bytes({0x80, 0xFF}));
}

TEST(IndexKey, KeysSortAsTheirValuesInBothDirections) {
  const std::vector<double> reals = {-1e300, -2.5, -1, -1e-300, 0, 1e-300, 0.5, 1, 3e10};
  for (uint8_t type : {jet::kTypeDouble, jet::kTypeDateTime}) {
    for (bool ascending : {true, false}) {
      const OneColumn column(type, ascending);
      for (size_t i = 1; i < reals.size(); ++i) {
        const jet::Value low = type == jet::kTypeDouble ? jet::Value(reals[i - 1])
                                                        : jet::Value(jet::Date{reals[i - 1]});
        const jet::Value high =
            type == jet::kTypeDouble ? jet::Value(reals[i]) : jet::Value(jet::Date{reals[i]});
        EXPECT_EQ(column.Key(low) < column.Key(high), ascending)
            << jet::TypeName(type) << " " << reals[i - 1] << " / " << reals[i];
      }
    }
  }
  const std::vector<int64_t> wholes = {INT32_MIN, -70000, -1, 0, 1, 255, 70000, INT32_MAX};
  for (bool ascending : {true, false}) {
    const OneColumn longs(jet::kTypeLong, ascending);
    const OneColumn money(jet::kTypeCurrency, ascending);
    const OneColumn single(jet::kTypeSingle, ascending);
    for (size_t i = 1; i < wholes.size(); ++i) {
      EXPECT_EQ(longs.Key(wholes[i - 1]) < longs.Key(wholes[i]), ascending) << wholes[i];
      EXPECT_EQ(money.Key(jet::Currency{wholes[i - 1]}) < money.Key(jet::Currency{wholes[i]}),
                ascending)
          << wholes[i];
      EXPECT_EQ(
          single.Key(static_cast<float>(wholes[i - 1])) < single.Key(static_cast<float>(wholes[i])),
          ascending)
          << wholes[i];
    }
  }
}

TEST(IndexKey, BinaryAndReplicationIdsInGroupsOfEight) {
  const OneColumn binary(jet::kTypeBinary);
  EXPECT_EQ(binary.Key(jet::Binary{"abc"}), Bytes({0x7F, 'a', 'b', 'c', 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(binary.Key(jet::Binary{"123456789"}), Bytes({0x7F, '1', '2', '3', '4', '5', '6', '7',
                                                         '8', 0x09, '9', 0, 0, 0, 0, 0, 0, 0, 1}));
  // Descending: everything inverted but the marks between groups.
  EXPECT_EQ(OneColumn(jet::kTypeBinary, false).Key(jet::Binary{"123456789"}),
            Bytes({0x80, 0xCE, 0xCD, 0xCC, 0xCB, 0xCA, 0xC9, 0xC8, 0xC7, 0x09, 0xC6, 0xFF, 0xFF,
                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}));
  // A Replication ID in the order its text shows.
  EXPECT_EQ(OneColumn(jet::kTypeGuid).Key(jet::Guid{"{6B29FC40-CA47-1067-B31D-00DD010662DA}"}),
            Bytes({0x7F, 0x6B, 0x29, 0xFC, 0x40, 0xCA, 0x47, 0x10, 0x67, 0x09, 0xB3, 0x1D, 0x00,
                   0xDD, 0x01, 0x06, 0x62, 0xDA, 0x08}));
}

TEST(IndexKey, NullsAndCompositeKeys) {
  jet::TableDef def;
  for (uint16_t n : {0, 1}) {
    jet::Column c;
    c.name = n == 0 ? "A" : "B";
    c.type = jet::kTypeLong;
    c.number = n;
    def.columns.push_back(c);
  }
  jet::RealIndex index;
  index.columns = {{1, "B", false}, {0, "A", true}};  // key order is not column order
  EXPECT_EQ(*jet::EncodeIndexKey(def, index, {int64_t{2}, std::monostate{}}),
            Bytes({0xFF, 0x7F, 0x80, 0x00, 0x00, 0x02}));
  EXPECT_FALSE(jet::KeyIsNull(def, index, {int64_t{2}, std::monostate{}}));
  EXPECT_EQ(*jet::EncodeIndexKey(def, index, {std::monostate{}, std::monostate{}}),
            Bytes({0xFF, 0x00}));
  EXPECT_TRUE(jet::KeyIsNull(def, index, {std::monostate{}, std::monostate{}}));
  EXPECT_FALSE(jet::EncodeIndexKey(def, index, {int64_t{2}}).has_value()) << "a value missing";
}

TEST(IndexKey, KeysThisEngineDoesNotComputeAreRefused) {
  const OneColumn decimal(jet::kTypeDecimal);
  EXPECT_FALSE(jet::EncodeIndexKey(decimal.def, decimal.index, {jet::Decimal{"1.5"}}));
  OneColumn text(jet::kTypeText);
  text.def.columns[0].collation = 1049;  // another sort order
  EXPECT_FALSE(jet::EncodeIndexKey(text.def, text.index, {std::string("abc")}));
  const OneColumn longs(jet::kTypeLong);
  EXPECT_FALSE(jet::EncodeIndexKey(longs.def, longs.index, {std::string("2")}))
      << "a value of another type";
}

}  // namespace
