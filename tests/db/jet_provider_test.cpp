#include "db/jet_provider.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/jet_field.h"
#include "db/connection_strings.h"
#include "db/source_session.h"
#include "jet/byte_order.h"
#include "jet/database.h"
#include "cli/table_export.h"
#include "cli/export_text.h"
#include "support/test_env.h"

namespace db {
namespace {

std::unique_ptr<Session> OpenFixture(const std::string& path,
                                     const std::string& password = kSourcePassword) {
  return OpenJetSession(SourceConnectionString(path, password));
}

// A provider value written as the engine's export writes it, going back through the engine's
// own value type so that both sides use one formatting.
std::string ExportText(const Value& v, const FieldInfo& info) {
  jet::Value raw;
  switch (v.kind()) {
    case Value::Kind::kNull: break;
    case Value::Kind::kBoolean: raw = v.AsBoolean(); break;
    case Value::Kind::kInteger: raw = v.AsInteger(); break;
    case Value::Kind::kDouble:
      if (info.type == ado_type::kSingle) {
        raw = static_cast<float>(v.AsDouble());
      } else {
        raw = v.AsDouble();
      }
      break;
    case Value::Kind::kCurrency: raw = jet::Currency{v.AsCurrency().ten_thousandths}; break;
    case Value::Kind::kDecimal: raw = jet::Decimal{v.AsDecimal().text}; break;
    case Value::Kind::kDate: {
      const DateTime& t = v.AsDate();
      EXPECT_EQ(t.nanosecond % 1000000, 0) << "dates carry whole milliseconds";
      raw = jet::Date{jet::DateTimeToJetDate(jet::DateTime{t.year, t.month, t.day, t.hour, t.minute,
                                                           t.second, t.nanosecond / 1000000})};
      break;
    }
    case Value::Kind::kText: raw = v.AsText(); break;
    case Value::Kind::kBytes:
      raw = jet::Binary{std::string(v.AsBytes().begin(), v.AsBytes().end())};
  }
  std::string out;
  cli::AppendExportValue(raw, &out);
  return out;
}

std::string ProviderExport(Session& session, const std::string& table) {
  std::unique_ptr<Cursor> cursor = session.Execute("SELECT * FROM [" + table + "]");
  EXPECT_NE(cursor, nullptr);
  if (!cursor) return "";
  std::string text;
  const std::vector<FieldInfo>& columns = cursor->Columns();
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) text += '\t';
    std::string name;
    cli::AppendExportValue(jet::Value(columns[i].name), &name);
    text += name;
  }
  text += '\n';
  std::vector<Value> row;
  while (cursor->Next(row)) {
    EXPECT_EQ(row.size(), columns.size());
    for (size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += '\t';
      text += ExportText(row[i], columns[i]);
    }
    text += '\n';
  }
  return text;
}

TEST(JetProvider, EveryTableReadsAsTheEnginesExport) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const char* f : {"velda_sample.mdb", "unsupported_with_rows.mdb", "no_password.mdb"})
    files.emplace_back(testenv::FixturePath(f), kSourcePassword);
  // Decimal, OLE, overflow rows, deleted columns, fixed text: kinds the generated files lack.
  if (auto shared = testenv::SharedDir()) {
    for (const char* f : {"test2V2000.mdb", "fixedNumericTestV2000.mdb", "overflowTestV2000.mdb",
                          "delColTestV2000.mdb", "fixedTextTestV2000.mdb",
                          "testUnicodeCompV2003.mdb", "indexTestV2000.mdb"})
      files.emplace_back(*shared + "/fixtures/real/" + f, "");
  }
  for (const auto& [path, password] : files) {
    auto session = OpenFixture(path, password);
    jet::Database db = jet::Database::Open(path, password);
    for (const jet::CatalogueEntry& t : db.Tables()) {
      std::ostringstream engine;
      cli::ExportTable(db, t.name, engine);
      EXPECT_EQ(ProviderExport(*session, t.name), engine.str()) << path << ": " << t.name;
    }
  }
}

TEST(JetProvider, DatesKeepMillisecondsAndRefuseWhatIsNoDate) {
  // The migration rounds to the second itself; the provider must not have rounded already.
  jet::Column column;
  column.name = "JoinDate";
  const double days = jet::DateTimeToJetDate(jet::DateTime{2024, 2, 29, 23, 59, 59, 499});
  EXPECT_EQ(ConvertJetValue(jet::Date{days}, column).AsDate(),
            (DateTime{2024, 2, 29, 23, 59, 59, 499000000}));
  try {
    ConvertJetValue(jet::Date{1e12}, column);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kProviderError);
    EXPECT_NE(e.description().find("JoinDate"), std::string::npos) << e.description();
  }
}

struct Expected {
  const char* table;
  const char* column;
  int type;
  long defined_size;
  long attributes;
};

TEST(JetProvider, FieldTypesSizesAndAttributesAreJetOleDbs) {
  auto session = OpenFixture(testenv::FixturePath("velda_sample.mdb"));
  const Expected expected[] = {
      {"tblEmployee", "EmpID", 3, 4, 90},          {"tblEmployee", "EmpCode", 202, 10, 102},
      {"tblEmployee", "EmpName", 202, 50, 102},    {"tblEmployee", "DeptID", 3, 4, 118},
      {"tblEmployee", "Active", 11, 2, 86},        {"tblEmployee", "Salary", 5, 8, 118},
      {"tblEmployee", "JoinDate", 7, 8, 118},      {"tblEmployee", "Remarks", 203, 536870910, 230},
      {"tblLeave_Header", "LeaveID", 3, 4, 90},    {"tblLeave_Header", "Period_From", 202, 20, 102},
      {"tblLeave_Header", "Reason", 202, 255, 102},
      {"tblSchedule_Intelligent", "Schedule_Type", 130, 2, 118},
      {"tblSchedule_Intelligent", "Schedule_Code", 130, 10, 118},
      {"tblSchedule_Intelligent", "Sequence_No", 130, 3, 118},
      {"tblSchedule_Intelligent", "Remark", 202, 30, 102},
      {"w_log", "LogID", 3, 4, 90},                {"TBLX", "A", 3, 4, 118},
      {"Tbl_Shift", "Crosses", 11, 2, 86},
  };
  std::map<std::string, std::vector<FieldInfo>> columns;
  for (const Expected& e : expected) {
    if (!columns.count(e.table))
      columns[e.table] = session->Execute(std::string("SELECT * FROM ") + e.table)->Columns();
    const FieldInfo* found = nullptr;
    for (const FieldInfo& f : columns[e.table])
      if (f.name == e.column) found = &f;
    ASSERT_NE(found, nullptr) << e.table << "." << e.column;
    EXPECT_EQ(found->type, e.type) << e.table << "." << e.column;
    EXPECT_EQ(found->defined_size, e.defined_size) << e.table << "." << e.column;
    EXPECT_EQ(found->attributes, e.attributes) << e.table << "." << e.column;
  }
  // Fields come in the engine's column order.
  const auto& shift = columns["Tbl_Shift"];
  ASSERT_EQ(shift.size(), 4u);
  EXPECT_EQ(shift[0].name, "ShiftCode");
  EXPECT_EQ(shift[1].name, "DayNo");

  auto rates = OpenFixture(testenv::FixturePath("unsupported_with_rows.mdb"))
                   ->Execute("SELECT * FROM tblRate")->Columns();
  EXPECT_EQ(rates[1].type, ado_type::kCurrency);
  EXPECT_EQ(rates[1].attributes, 118);
  EXPECT_EQ(rates[2].type, ado_type::kSingle);
  EXPECT_EQ(rates[2].defined_size, 4);
}

TEST(JetProvider, OnlyAnAutoNumberReportsNinety) {
  // The migration takes Attributes == 90 for AUTO_INCREMENT: no other column may look like one.
  jet::Column c;
  c.length = 20;
  for (uint8_t type = 1; type <= 0x11; ++type) {
    c.type = type;
    for (uint8_t flags : {0x02, 0x03})
      for (bool required : {false, true}) {
        c.flags = flags;
        EXPECT_NE(DescribeJetColumn(c, required).attributes, 90) << int(type) << " " << required;
      }
  }
  c.type = jet::kTypeLong;
  c.flags = 0x07;
  EXPECT_EQ(DescribeJetColumn(c, false).attributes, 90);
  EXPECT_EQ(DescribeJetColumn(c, true).attributes, 90);
}

long RefusalNumber(Session& session, const std::string& statement, std::string* description) {
  try {
    session.Execute(statement);
  } catch (const Error& e) {
    *description = e.description();
    return e.number();
  }
  return 0;
}

TEST(JetProvider, AcceptsSelectStarFromANameOrABracketedName) {
  auto session = OpenFixture(testenv::FixturePath("velda_sample.mdb"));
  for (const char* text : {"SELECT * FROM tblEmployee", "select * from TBLEMPLOYEE",
                           "  SELECT  *  FROM  [tblEmployee]  ", "Select *\nFrom\ttblEmployee;",
                           "SELECT * FROM [tblEmployee];"}) {
    std::unique_ptr<Cursor> cursor;
    ASSERT_NO_THROW(cursor = session->Execute(text)) << text;
    ASSERT_NE(cursor, nullptr) << text;
    EXPECT_EQ(cursor->Columns().size(), 8u) << text;
  }
  std::string description;
  // A bracketed name with a blank is a name: it fails only because there is no such table.
  EXPECT_EQ(RefusalNumber(*session, "SELECT * FROM [tbl x]", &description), kProviderError);
  EXPECT_NE(description.find("'tbl x'"), std::string::npos) << description;
  EXPECT_NE(description.find("cannot find"), std::string::npos) << description;
}

TEST(JetProvider, RefusesAnyOtherStatementClearly) {
  auto session = OpenFixture(testenv::FixturePath("velda_sample.mdb"));
  struct Case {
    const char* statement;
    const char* must_mention;
  };
  const Case cases[] = {
      {"SELECT * FROM tbl x", "tbl x"},
      {"SELECT * FROM tbl-x", "tbl-x"},
      {"SELECT * FROM O'Brien", "O'Brien"},
      {"SELECT EmpID FROM tblEmployee", "SELECT EmpID"},
      {"SELECT * FROM tblEmployee WHERE EmpID = 1", "tblEmployee"},
      {"SELECT * FROM [tblEmployee", "tblEmployee"},
      {"SELECT * FROM []", "empty"},
      {"SELECT * FROM", "table name"},
      {"DELETE FROM tblEmployee", "DELETE FROM"},
      {"UPDATE tblSystem_Parameter_A SET ISMySQLDB", "UPDATE"},
      {"", "statement"},
  };
  for (const Case& c : cases) {
    std::string description;
    EXPECT_EQ(RefusalNumber(*session, c.statement, &description), kProviderError) << c.statement;
    EXPECT_NE(description.find(c.must_mention), std::string::npos)
        << c.statement << " -> " << description;
  }
}

TEST(JetProvider, CursorKeepsItsDatabaseAfterTheSessionCloses) {
  Connection connection;
  connection.Open(
      SourceConnectionString(testenv::FixturePath("velda_sample.mdb"), kSourcePassword));
  std::unique_ptr<Recordset> rs = connection.Execute("SELECT * FROM tblEmployee");
  connection.Close();
  int rows = 0;
  for (; !rs->Eof(); rs->MoveNext()) ++rows;
  EXPECT_EQ(rows, 40);
}

TEST(JetProvider, CatalogueListsIndexesInLogicalOrderWithKeyColumns) {
  Connection connection;
  connection.Open(
      SourceConnectionString(testenv::FixturePath("velda_sample.mdb"), kSourcePassword));
  Catalog catalog;
  catalog.SetActiveConnection(connection);
  std::map<std::string, CatalogTable> tables;
  for (const CatalogTable& t : catalog.Tables()) tables[t.name] = t;
  EXPECT_EQ(tables.size(), 17u);  // 12 of the application, 5 of the engine
  const auto& employee = tables["tblEmployee"].indexes;
  ASSERT_EQ(employee.size(), 3u);
  EXPECT_TRUE(employee[0].primary_key);
  ASSERT_EQ(employee[0].columns.size(), 1u);
  EXPECT_EQ(employee[0].columns[0].name, "EmpID");
  EXPECT_FALSE(employee[1].primary_key);
  EXPECT_TRUE(employee[1].unique);
  EXPECT_EQ(employee[1].columns[0].name, "EmpCode");
  EXPECT_FALSE(employee[2].primary_key);
  EXPECT_FALSE(employee[2].unique);
  EXPECT_EQ(employee[2].columns[0].name, "DeptID");
  // Key order, not column order.
  const auto& shift = tables["Tbl_Shift"].indexes;
  ASSERT_EQ(shift.size(), 1u);
  EXPECT_TRUE(shift[0].primary_key);
  ASSERT_EQ(shift[0].columns.size(), 2u);
  EXPECT_EQ(shift[0].columns[0].name, "DayNo");
  EXPECT_EQ(shift[0].columns[1].name, "ShiftCode");
  EXPECT_TRUE(tables["w_log"].indexes.empty());
  EXPECT_EQ(tables["MSysObjects"].indexes.size(), 2u);
}

TEST(JetProvider, CatalogueKeepsForeignKeyIndexes) {
  MDB_REQUIRE_SHARED();
  auto session = OpenFixture(*testenv::SharedDir() + "/fixtures/real/indexTestV2000.mdb", "");
  for (const CatalogTable& t : session->ReadCatalog()) {
    if (t.name != "Table1") continue;
    std::vector<std::string> names;
    for (const CatalogIndex& i : t.indexes) names.push_back(i.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"id", "PrimaryKey", "Table2Table1", "Table3Table1"}));
    return;
  }
  FAIL() << "no Table1";
}

// Little-endian helpers for writing catalogue rows by hand.
void PutU16(std::string* bytes, size_t at, unsigned v) {
  (*bytes)[at] = char(v & 0xFF);
  (*bytes)[at + 1] = char(v >> 8);
}
std::string U16(unsigned v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string Ucs2(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += U16(uint8_t(c));
  return out;
}

// A copy of velda_sample.mdb whose catalogue turns three tables into links, the kinds no Jet 4
// sample has: `Employees` an ODBC link (Type 4), `xtbl` a link to another Access file with no
// file named (Type 6), and `W` a link to table tblEmployee of "source.mdb" beside it (Type 6, its
// catalogue row rewritten with Database and ForeignName). source.mdb is velda_sample.mdb.
std::string CopyWithLinks() {
  const std::string dir = testenv::ScratchDir("jet_links");
  std::filesystem::copy_file(testenv::FixturePath("velda_sample.mdb"), dir + "/source.mdb");
  std::string bytes;
  {
    std::ifstream in(testenv::FixturePath("velda_sample.mdb"), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), kSourcePassword);
  const jet::TableDef& def = db.GetTableDef("MSysObjects");
  const uint16_t type_at = def.FindColumn("Type")->fixed_offset;
  const size_t name_at = size_t(def.FindColumn("Name") - def.columns.data());
  jet::TableCursor rows = db.OpenTable("MSysObjects");
  int patched = 0;
  while (rows.Next()) {
    const std::string name = std::get<std::string>(rows.values()[name_at]);
    if (name != "Employees" && name != "xtbl" && name != "W") continue;
    const size_t page = size_t(rows.page()) * 4096;
    const size_t slot = size_t(rows.slot());
    auto offset = [&](size_t i) { return jet::LoadU16(reinterpret_cast<const uint8_t*>(
                                             bytes.data() + page + 14 + 2 * i)) & 0x1FFFu; };
    const size_t row = page + offset(slot);
    bytes[row + 2 + type_at] = name == "Employees" ? 4 : 6;
    ++patched;
    if (name != "W") continue;
    // W is the last row of its page: rebuild it longer, ending where the row before it starts.
    const size_t end = page + (slot == 0 ? 4096 : offset(slot - 1));
    std::string old = bytes.substr(row, end - row);
    const size_t mask_length = (jet::LoadU16(reinterpret_cast<const uint8_t*>(old.data())) + 7) / 8;
    std::string mask = old.substr(old.size() - mask_length);
    const auto at = [&](size_t pos) {
      return jet::LoadU16(reinterpret_cast<const uint8_t*>(old.data() + pos));
    };
    const size_t var_count = at(old.size() - mask_length - 2);
    std::vector<size_t> starts;
    for (size_t v = 0; v <= var_count; ++v)  // entry var_count is the end of the data
      starts.push_back(at(old.size() - mask_length - 4 - 2 * v));
    std::string rebuilt = old.substr(0, starts[0]);
    std::vector<size_t> new_starts;
    const std::string file = Ucs2("source.mdb");
    for (size_t v = 0; v < var_count; ++v) {
      new_starts.push_back(rebuilt.size());
      if (v == def.FindColumn("Database")->var_index) {
        // An inline memo: 3-byte length, kind 0x80, 8 bytes of no pointer, the text.
        rebuilt += U16(unsigned(file.size())) + std::string{0, char(0x80)} + std::string(8, 0);
        rebuilt += file;
      } else if (v == def.FindColumn("ForeignName")->var_index) {
        rebuilt += Ucs2("tblEmployee");
      } else {
        rebuilt += old.substr(starts[v], starts[v + 1] - starts[v]);
      }
    }
    rebuilt += U16(unsigned(rebuilt.size()));
    for (size_t v = var_count; v-- > 0;) rebuilt += U16(unsigned(new_starts[v]));
    rebuilt += U16(unsigned(var_count));
    for (const char* column : {"Database", "ForeignName"}) {
      const uint16_t number = def.FindColumn(column)->number;
      mask[number / 8] = char(mask[number / 8] | (1 << (number % 8)));
    }
    rebuilt += mask;
    const size_t start = end - rebuilt.size();
    bytes.replace(start, rebuilt.size(), rebuilt);
    PutU16(&bytes, page + 14 + 2 * slot, unsigned(start - page));
    PutU16(&bytes, page + 2, unsigned(start - page - 14 - 2 * (slot + 1)));
  }
  EXPECT_EQ(patched, 3);
  const std::string path = dir + "/links.mdb";
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

TEST(JetProvider, AnAccessLinkReadsTheLinkedFilesTable) {
  const std::string path = CopyWithLinks();
  jet::Database engine = jet::Database::Open(path, kSourcePassword);
  ASSERT_NE(engine.FindTable("W"), nullptr);
  ASSERT_EQ(engine.FindTable("W")->kind, jet::TableKind::kLinkedAccess);
  ASSERT_EQ(engine.FindTable("W")->foreign_name, "tblEmployee");
  auto session = OpenFixture(path);
  auto source = OpenFixture(testenv::FixturePath("velda_sample.mdb"));
  EXPECT_EQ(ProviderExport(*session, "W"), ProviderExport(*source, "tblEmployee"));
  EXPECT_EQ(session->Execute("SELECT * FROM W")->Columns()[0].attributes, 90);

  auto dao = dao::OpenDatabase(path, false, false, ";pwd=qarnivel");
  EXPECT_EQ(dao->TableDefByName("W").connect, ";DATABASE=source.mdb");
  EXPECT_EQ(dao->TableDefByName("W").source_table_name, "tblEmployee");
}

TEST(JetProvider, LinkedTablesRaiseWhenTheirRowsCannotBeReached) {
  const std::string path = CopyWithLinks();
  auto session = OpenFixture(path);
  std::string description;
  EXPECT_EQ(RefusalNumber(*session, "SELECT * FROM xtbl", &description), kProviderError);
  EXPECT_NE(description.find("'xtbl'"), std::string::npos) << description;
  EXPECT_NE(description.find("cannot be opened"), std::string::npos) << description;
  EXPECT_EQ(RefusalNumber(*session, "SELECT * FROM [Employees]", &description), kProviderError);
  EXPECT_NE(description.find("ODBC"), std::string::npos) << description;
  // The rest of the file reads as before, and the catalogue still lists both.
  EXPECT_NO_THROW(session->Execute("SELECT * FROM tblEmployee"));
  int found = 0;
  for (const CatalogTable& t : session->ReadCatalog())
    found += t.name == "xtbl" || t.name == "Employees" || t.name == "W";
  EXPECT_EQ(found, 3);

  auto dao = dao::OpenDatabase(path, false, false, ";pwd=qarnivel");
  EXPECT_EQ(dao->TableDefByName("xtbl").connect, ";DATABASE=");
  EXPECT_EQ(dao->TableDefByName("Employees").connect, "ODBC;");
  EXPECT_EQ(dao->TableDefByName("tblEmployee").connect, "");
}

}  // namespace
}  // namespace db
