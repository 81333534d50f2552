// The catalogue's own definition and rows as other readers need them: with a damaged catalogue
// definition they refuse the whole file; a row's Type they read by its low bits only.
#include <gtest/gtest.h>

#include <string>

#include "check_damage.h"
#include "jet/check_parts.h"
#include "jet/row.h"

namespace {

using checktest::At;
using checktest::ColumnDescriptor;
using checktest::Errors;
using checktest::Velda;

TEST(CheckCatalogue, ItsOwnColumnsMustBeThereWithTheirTypes) {
  // The type of one of the catalogue's columns zeroed: other readers refuse the whole file.
  std::string bytes = Velda();
  *At(&bytes, ColumnDescriptor(bytes, "MSysObjects", "Owner")) = 0x00;
  std::string errors = Errors(bytes);
  EXPECT_NE(
      errors.find("system table MSysObjects: definition page 2: column Owner has the type code 0"),
      std::string::npos)
      << errors;
  EXPECT_NE(errors.find("the catalogue's column Owner is Unknown 0x00, not Binary"),
            std::string::npos)
      << errors;
  // Where it is a column the table list is read from, the file does not even open.
  bytes = Velda();
  *At(&bytes, ColumnDescriptor(bytes, "MSysObjects", "Name")) = 0x00;
  EXPECT_THROW(checktest::Open(bytes), jet::Error);

  // LvProp renamed LwProp: our catalogue reader does not need it, other readers do.
  bytes = Velda();
  jet::Database db = checktest::Open(bytes);
  const jet::TableDef& def = db.GetTableDef("MSysObjects");
  const std::string name("L\0v\0P\0r\0o\0p\0", 12);
  const size_t at = bytes.find(name, def.page * checktest::kPage);
  ASSERT_LT(at, (def.page + 1) * checktest::kPage);
  bytes[at + 2] = 'w';
  errors = Errors(bytes);
  EXPECT_NE(errors.find("the catalogue has no column LvProp"), std::string::npos) << errors;
  // lvProp is LvProp to us, and no column to mdb-reader.
  bytes[at + 2] = 'v';
  bytes[at] = 'l';
  errors = Errors(bytes);
  EXPECT_NE(errors.find("the catalogue's column lvProp is not spelt LvProp"), std::string::npos)
      << errors;
}

TEST(CheckCatalogue, ARowsTypeMustMeanTheSameToEveryReader) {
  EXPECT_EQ(jet::CatalogueTypeFlaw(1), "");
  EXPECT_EQ(jet::CatalogueTypeFlaw(5), "");
  EXPECT_EQ(jet::CatalogueTypeFlaw(-32757), "");  // Access's database properties document
  EXPECT_EQ(jet::CatalogueTypeFlaw(257), "has the Type 257, which some readers take for 1");
  EXPECT_EQ(jet::CatalogueTypeFlaw(-32762), "has the Type -32762, which some readers take for 6");

  // MSysACEs' row with Type 257: we no longer list it as a table, mdb-reader still does.
  std::string bytes = Velda();
  jet::Database db = checktest::Open(bytes);
  const jet::TableDef& def = db.GetTableDef("MSysObjects");
  const jet::Column& type = *def.FindColumn("Type");
  jet::TableCursor rows = db.OpenTable("MSysObjects");
  while (rows.Next() && jet::TextValue(rows[size_t(def.ColumnIndex("Name"))]) != "MSysACEs") {
  }
  const jet::StoredRow layout(def, rows.row_data(), rows.row_length(), db.cache(), rows.row_page());
  const std::optional<std::string_view> located = layout.Bytes(type);
  ASSERT_TRUE(located.has_value());
  const auto* data = reinterpret_cast<const uint8_t*>(located->data());
  jet::PageRef page = db.cache().Read(rows.row_page());
  bytes[rows.row_page() * checktest::kPage + size_t(data - page->data()) + 1] = 1;
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find("system table MSysObjects: row page " + std::to_string(rows.page()) +
                        " slot " + std::to_string(rows.slot()) + ": column Type has the Type 257"),
            std::string::npos)
      << errors;
}

}  // namespace
