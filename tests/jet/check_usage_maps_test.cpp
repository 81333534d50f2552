// Free-space maps the check refuses: a row put on the page they name would be lost.
#include <gtest/gtest.h>

#include <string>

#include "check_damage.h"

namespace {

TEST(CheckUsageMaps, AFreeSpaceMapMayListOnlyTheTablesOwnPages) {
  std::string bytes = checktest::Velda();
  const jet::PageNumber other = checktest::FirstRowPage(bytes, "tblLeave_Header");
  const size_t byte = checktest::MapByte(bytes, "tblEmployee", true, other);
  bytes[byte] = static_cast<char>(bytes[byte] | (1 << (other % 8)));
  const std::string errors = checktest::Errors(bytes);
  EXPECT_NE(errors.find("table tblEmployee: its free-space map lists page " +
                        std::to_string(other) + ", which is not one of its pages"),
            std::string::npos)
      << errors;
}

TEST(CheckUsageMaps, AMapRowsSlotCarriesNoFlags) {
  // mdb-reader reads the map row's offset with the flag in it, and then no map at all.
  std::string bytes = checktest::Velda();
  jet::Database db = checktest::Open(bytes);
  const jet::RowPointer map = db.GetTableDef("tblLeave_Header").owned_pages;
  bytes[map.page * checktest::kPage + 14 + 2 * map.row + 1] |= 0x20;
  const std::string errors = checktest::Errors(bytes);
  EXPECT_NE(errors.find("table tblLeave_Header: page " + std::to_string(map.page) +
                        ": the slot of usage map row " + std::to_string(map.row) +
                        " carries the flags 0x2000"),
            std::string::npos)
      << errors;
}

}  // namespace
