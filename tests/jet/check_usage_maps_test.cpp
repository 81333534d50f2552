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

}  // namespace
