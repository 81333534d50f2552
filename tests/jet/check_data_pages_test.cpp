// Data page headers and hidden slots the check refuses, and the hidden slot it lets pass.
#include <gtest/gtest.h>

#include <string>

#include "check_damage.h"

namespace {

using checktest::At;
using checktest::Errors;
using checktest::kPage;
using checktest::Velda;

TEST(CheckDataPages, AFreeSpaceFieldThatDisagreesWithTheRowsIsDamage) {
  // The writers put a new row where the free space says there is room.
  std::string bytes = Velda();
  const jet::PageNumber page = checktest::FirstRowPage(bytes, "tblEmployee");
  const uint16_t free_space = jet::LoadU16(At(&bytes, page * kPage + 2));
  jet::StoreU16(At(&bytes, page * kPage + 2), static_cast<uint16_t>(free_space + 200));
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find("table tblEmployee: page " + std::to_string(page) + ": the page says " +
                        std::to_string(free_space + 200) + " bytes are free, its rows leave " +
                        std::to_string(free_space)),
            std::string::npos)
      << errors;
}

TEST(CheckDataPages, ALiveRowHiddenAsAMovedRowsDataIsDamageWhenTheCountMissesIt) {
  // One bit of a catalogue row's slot: we skip the row (and the table it names), mdb-reader still
  // lists it. System tables' counts alone are no proof, but this one counts the row.
  std::string bytes = Velda();
  const jet::PageNumber page = checktest::FirstRowPage(bytes, "MSysObjects");
  uint8_t* slot = At(&bytes, page * kPage + 14 + 2 * 3);
  slot[1] = static_cast<uint8_t>(slot[1] | 0x80);
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find("system table MSysObjects: row page " + std::to_string(page) +
                        " slot 3 is marked as a moved row's data, but no row of the table has "
                        "moved there"),
            std::string::npos)
      << errors;
}

}  // namespace
