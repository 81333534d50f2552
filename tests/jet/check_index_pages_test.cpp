// Index page headers the check refuses: fields the tree's reader never looks at but the writers
// trust, or that Access never writes.
#include <gtest/gtest.h>

#include <string>

#include "check_damage.h"
#include "jet/index_page.h"

namespace {

using checktest::At;
using checktest::Errors;
using checktest::kPage;
using checktest::Velda;

jet::PageNumber FirstEmployeeLeaf(const std::string& bytes) {
  jet::Database db = checktest::Open(bytes);
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  return jet::ReadIndexTree(db.cache(), def.real_indexes[0], def.page).leaves.front();
}

TEST(CheckIndexPages, HeaderFieldsMustFitTheEntriesAndWhatAccessWrites) {
  std::string bytes = Velda();
  const jet::PageNumber leaf = FirstEmployeeLeaf(bytes);
  const std::string where =
      "table tblEmployee: index PrimaryKey: page " + std::to_string(leaf) + ": ";
  jet::StoreU16(At(&bytes, leaf * kPage + 2), jet::LoadU16(At(&bytes, leaf * kPage + 2)) + 1);
  std::string errors = Errors(bytes);
  EXPECT_NE(errors.find(where + "the page says "), std::string::npos) << errors;
  EXPECT_NE(errors.find("bytes are free, its entries leave"), std::string::npos) << errors;

  for (size_t offset : {1, 8, 20, 26}) {  // Access writes 1 at byte 1, zero in the others
    bytes = Velda();
    *At(&bytes, leaf * kPage + offset) = 7;
    errors = Errors(bytes);
    EXPECT_NE(errors.find(where + "the page's header holds values Access never writes there"),
              std::string::npos)
        << "offset " << offset << "\n"
        << errors;
  }
}

}  // namespace
