// Column definitions the check refuses: each one a byte or two of tblEmployee's definition
// changed, the kind of damage after which other readers refuse the table or print garbage for
// the column.
#include <gtest/gtest.h>

#include <string>

#include "check_damage.h"
#include "jet/check.h"

namespace {

using checktest::At;
using checktest::ColumnDescriptor;
using checktest::Errors;
using checktest::Velda;

// tblEmployee with one byte of one column's descriptor set to `value`; the check's errors.
std::string WithDescriptorByte(const std::string& column, size_t offset, uint8_t value) {
  std::string bytes = Velda();
  *At(&bytes, ColumnDescriptor(bytes, "tblEmployee", column) + offset) = value;
  return Errors(bytes);
}

TEST(CheckColumns, TypeLengthAndOffsetsMustFitTheType) {
  const std::string prefix = "table tblEmployee: definition page ";
  std::string errors = WithDescriptorByte("Salary", 0, 0x00);  // the type byte zeroed
  EXPECT_NE(errors.find(prefix), std::string::npos) << errors;
  EXPECT_NE(errors.find("column Salary has the type code 0, which Jet 4 does not have"),
            std::string::npos)
      << errors;

  errors = WithDescriptorByte("DeptID", 23, 0);  // a Long Integer of 0 bytes
  EXPECT_NE(errors.find("column DeptID is a Long Integer column of 0 bytes; that type takes 4"),
            std::string::npos)
      << errors;

  errors = WithDescriptorByte("EmpCode", 23, 21);  // a Text column of an odd number of bytes
  EXPECT_NE(errors.find("column EmpCode is a Text column of 21 bytes"), std::string::npos)
      << errors;

  // Text turned Binary: every reader then reads the same bytes, but as bytes, not text.
  errors = WithDescriptorByte("EmpCode", 0, 0x09);
  EXPECT_NE(errors.find("column EmpCode is a Binary column that allows compressed text"),
            std::string::npos)
      << errors;

  errors = WithDescriptorByte("Remarks", 15, 0x03);  // a Memo marked fixed
  EXPECT_NE(errors.find("column Remarks is a Memo column marked fixed"), std::string::npos)
      << errors;

  errors = WithDescriptorByte("Active", 15, 0x02);  // a Yes/No not marked fixed
  EXPECT_NE(errors.find("column Active is a Yes/No column not marked fixed"), std::string::npos)
      << errors;
}

TEST(CheckColumns, ColumnsMustNotShareNumbersIndexesOrBytes) {
  std::string bytes = Velda();
  const size_t salary = ColumnDescriptor(bytes, "tblEmployee", "Salary");
  const size_t dept = ColumnDescriptor(bytes, "tblEmployee", "DeptID");
  // Salary's 8 bytes moved onto DeptID's offset.
  jet::StoreU16(At(&bytes, salary + 21), jet::LoadU16(At(&bytes, dept + 21)));
  std::string errors = Errors(bytes);
  EXPECT_NE(errors.find("of the fixed area with column"), std::string::npos) << errors;

  bytes = Velda();
  const size_t code = ColumnDescriptor(bytes, "tblEmployee", "EmpCode");
  const size_t name = ColumnDescriptor(bytes, "tblEmployee", "EmpName");
  jet::StoreU16(At(&bytes, name + 7), jet::LoadU16(At(&bytes, code + 7)));
  errors = Errors(bytes);
  EXPECT_NE(errors.find("column EmpName has the variable column index of column EmpCode"),
            std::string::npos)
      << errors;

  bytes = Velda();
  jet::StoreU16(At(&bytes, name + 7), 200);  // past the table's variable columns
  errors = Errors(bytes);
  EXPECT_NE(errors.find("column EmpName has variable column index 200 but the table has"),
            std::string::npos)
      << errors;
}

TEST(CheckColumns, NamesMustBeNamesAccessGives) {
  // "EmpName" with one character changed: a U+0000 ends it for mdbtools; a '.' Access refuses.
  for (const auto& [character, flaw] :
       {std::pair<char, std::string>{'\0', "has a control character in its name"},
        std::pair<char, std::string>{'.', "has the character . in its name"}}) {
    std::string bytes = Velda();
    jet::Database db = checktest::Open(bytes);
    const jet::TableDef& def = db.GetTableDef("tblEmployee");
    const std::string stored("E\0m\0p\0N\0a\0m\0e\0", 14);
    const size_t at = bytes.find(stored, def.page * checktest::kPage);
    ASSERT_LT(at, (def.page + 1) * checktest::kPage);
    bytes[at + 8] = character;
    const std::string errors = Errors(bytes);
    EXPECT_NE(errors.find("definition page " + std::to_string(def.page) + ": column EmpN"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find(flaw), std::string::npos) << errors;
  }
}

}  // namespace
