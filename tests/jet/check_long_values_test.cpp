// Long values whose pieces are not where a sound file has them: our reader would still read
// them, other readers read them differently or not at all.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "check_damage.h"
#include "jet/row.h"

namespace {

using checktest::At;
using checktest::Errors;
using checktest::kPage;

// The first piece of EmpID 14's 40,000-character Remarks, and the row that holds the value.
struct LongRemarks {
  jet::RowPointer row;
  jet::RowPointer first_piece;
};

LongRemarks FindLongRemarks(const std::string& bytes) {
  jet::Database db = checktest::Open(bytes);
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  const jet::Column& remarks = *def.FindColumn("Remarks");
  jet::TableCursor rows = db.OpenTable("tblEmployee");
  while (rows.Next()) {
    if (std::get<int64_t>(rows[0]) != 14) continue;
    const jet::StoredRow layout(def, rows.row_data(), rows.row_length(), db.cache(), rows.row_page());
    const std::optional<std::string_view> located = layout.Bytes(remarks);
    EXPECT_TRUE(located.has_value());
    const auto* data = reinterpret_cast<const uint8_t*>(located->data());
    EXPECT_EQ(data[3], 0x00) << "a chain of long-value rows";
    return {{rows.page(), static_cast<uint8_t>(rows.slot())},
            jet::RowPointer::FromWord(jet::LoadU32(data + 4))};
  }
  ADD_FAILURE() << "no EmpID 14";
  return {};
}

TEST(CheckLongValues, EveryPieceALiveRowOfALongValuePage) {
  std::string bytes = checktest::Velda();
  const LongRemarks remarks = FindLongRemarks(bytes);
  const std::string where = "table tblEmployee: row page " + std::to_string(remarks.row.page) +
                            " slot " + std::to_string(remarks.row.row) + ": column Remarks ";
  const jet::RowPointer piece = remarks.first_piece;

  // The piece's slot marked deleted: our reader would still read its bytes, mdb-reader reads the
  // flag as part of the offset.
  uint8_t* slot = At(&bytes, piece.page * kPage + 14 + 2 * piece.row);
  slot[1] = static_cast<uint8_t>(slot[1] | 0x80);
  std::string errors = Errors(bytes);
  EXPECT_NE(errors.find(where + "its long value points to page " + std::to_string(piece.page) +
                        " slot " + std::to_string(piece.row) + ", a deleted or moved row"),
            std::string::npos)
      << errors;

  // The page no longer a long-value page.
  bytes = checktest::Velda();
  std::memcpy(At(&bytes, piece.page * kPage + 4), "LVAX", 4);
  errors = Errors(bytes);
  EXPECT_NE(errors.find(where + "its long value points to page " + std::to_string(piece.page) +
                        " slot " + std::to_string(piece.row) + ", which is not a long-value page"),
            std::string::npos)
      << errors;
}

// The file offset of the row of long-value piece `piece`.
size_t PieceOffset(std::string* bytes, jet::RowPointer piece) {
  return piece.page * kPage +
         (jet::LoadU16(At(bytes, piece.page * kPage + 14 + 2 * piece.row)) & 0x1FFF);
}

TEST(CheckLongValues, TheChainEndsExactlyAtTheLength) {
  // The last piece points on (here back to the first): our reader stops at the length,
  // mdb-reader goes on to the next piece.
  std::string bytes = checktest::Velda();
  const LongRemarks remarks = FindLongRemarks(bytes);
  jet::RowPointer last = remarks.first_piece;
  for (int hops = 0; hops < 100; ++hops) {
    const jet::RowPointer next =
        jet::RowPointer::FromWord(jet::LoadU32(At(&bytes, PieceOffset(&bytes, last))));
    if (next.IsNull()) break;
    last = next;
  }
  ASSERT_NE(last.page, remarks.first_piece.page) << "a chain over several pages";
  jet::StoreU32(At(&bytes, PieceOffset(&bytes, last)),
                remarks.first_piece.page << 8 | remarks.first_piece.row);
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find("column Remarks its long value's chain goes on past its length"),
            std::string::npos)
      << errors;
}

}  // namespace
