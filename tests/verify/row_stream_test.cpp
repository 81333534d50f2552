#include "verify/row_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace verify {
namespace {

class ListedRows : public RowReader {
 public:
  explicit ListedRows(std::vector<Row> rows) : rows_(std::move(rows)) {}
  bool Next(Row* row) override {
    if (next_ >= rows_.size()) return false;
    *row = rows_[next_++];
    return true;
  }

 private:
  std::vector<Row> rows_;
  size_t next_ = 0;
};

std::vector<Row> All(RowReader& reader) {
  std::vector<Row> rows;
  Row row;
  while (reader.Next(&row)) rows.push_back(row);
  return rows;
}

TEST(KeyOrder, NumbersByValueTextsByTheirBytes) {
  const KeyOrder numbers({0}, {true});
  EXPECT_LT(numbers.Compare({"-5"}, {"3"}), 0);
  EXPECT_LT(numbers.Compare({"9"}, {"10"}), 0) << "not as texts";
  EXPECT_LT(numbers.Compare({"0.5"}, {"1e3"}), 0);
  EXPECT_EQ(numbers.Compare({"42"}, {"42"}), 0);
  const KeyOrder texts({1, 0}, {false, true});
  // The second column first; bytes, not the collation: "B" < "a", "a" < "a " < "ab".
  EXPECT_LT(texts.Compare({"9", "B"}, {"1", "a"}), 0);
  EXPECT_LT(texts.Compare({"1", "a"}, {"1", "a "}), 0);
  EXPECT_LT(texts.Compare({"1", "a "}, {"1", "ab"}), 0);
  EXPECT_GT(texts.Compare({"2", "x"}, {"1", "x"}), 0);
  // An escaped tab is the byte 9, before every letter, though its escape begins with a backslash.
  EXPECT_LT(texts.Compare({"1", "a\\tz"}, {"1", "a "}), 0);
  EXPECT_LT(texts.Compare({"1", "\xC3\xA9"}, {"1", "\xE7\x8E\x8B"}), 0) << "UTF-8 by code point";
}

TEST(SortedRows, SortsThroughTemporaryRunsWhenTheRowsExceedTheMemory) {
  std::vector<Row> rows;
  for (int i = 0; i < 5000; ++i)
    rows.push_back({std::to_string((i * 7919) % 5000), "text\\twith\\\\escapes " + std::to_string(i), ""});
  std::vector<Row> shuffled = rows;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  const KeyOrder order({0}, {true});
  ListedRows input(shuffled);
  SortedRows sorted(input, order, /*run_bytes=*/16 << 10);  // dozens of runs
  const std::vector<Row> out = All(sorted);
  ASSERT_EQ(out.size(), rows.size());
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i][0], std::to_string(i)) << i;
    EXPECT_EQ(out[i].size(), 3u) << "an empty last cell survives the file";
  }
  std::sort(rows.begin(), rows.end());
  std::vector<Row> back = out;
  std::sort(back.begin(), back.end());
  EXPECT_EQ(back, rows) << "every cell comes back as it went";

  ListedRows few({{"3"}, {"1"}, {"2"}});
  SortedRows in_memory(few, order);
  EXPECT_EQ(All(in_memory), (std::vector<Row>{{"1"}, {"2"}, {"3"}}));
}

}  // namespace
}  // namespace verify
