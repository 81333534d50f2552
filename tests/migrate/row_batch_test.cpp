#include "migrate/row_batch.h"

#include <gtest/gtest.h>

namespace migrate {
namespace {

TEST(RowBatch, FillsUpToItsRowsOrBytesAndSpellsTheStatementsOneRowWouldGet) {
  RowBatch batch("INSERT INTO t (`a`) VALUES (", 20);
  batch.Add("1");
  batch.Add("'x'");
  EXPECT_FALSE(batch.Full());
  EXPECT_EQ(batch.Statement(), "INSERT INTO t (`a`) VALUES (1), ('x')");
  EXPECT_EQ(batch.SingleStatement(1), "INSERT INTO t (`a`) VALUES ('x')");
  batch.Add(std::string(20, 'y'));
  EXPECT_TRUE(batch.Full()) << "past its byte limit, however few rows";
  batch.Clear();
  EXPECT_TRUE(batch.empty());
  EXPECT_FALSE(batch.Full());

  RowBatch many("INSERT INTO t (`a`) VALUES (", RowBatch::kMaxBatchBytes);
  for (size_t i = 0; i < RowBatch::kBatchRows; ++i) many.Add("1");
  EXPECT_TRUE(many.Full());
  EXPECT_EQ(many.size(), RowBatch::kBatchRows);
}

}  // namespace
}  // namespace migrate
