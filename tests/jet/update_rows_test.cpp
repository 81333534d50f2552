// UPDATE on copies of the sample: values that grow in place, on a repacked page and into a moved
// row are read back by us, by mdbtools and by mdb-reader; indexes on changed columns stay exact;
// refusals write nothing; a write stopped at any page leaves each row old or new.
#include "jet/update_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "jet/append_rows.h"
#include "jet/byte_order.h"
#include "jet/check.h"
#include "jet/data_page_edit.h"
#include "jet/row.h"
#include "jet/write_guard.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "write_checks.h"

namespace {

namespace fs = std::filesystem;

using writetest::Joined;

std::string Scratch(const std::string& name) { return writetest::WritableVelda(name); }

// Column `column` of every row of `table`, read through the engine.
std::vector<jet::Value> Column(const std::string& path, const std::string& table,
                               const std::string& column) {
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::TableCursor rows = db.OpenTable(table);
  const int position = rows.def().ColumnIndex(column);
  std::vector<jet::Value> out;
  while (rows.Next()) out.push_back(rows[position]);
  return out;
}

std::string Text(const jet::Value& v) {
  const std::string* s = std::get_if<std::string>(&v);
  return s != nullptr ? *s : "<not text>";
}

void ExpectSound(const std::string& path) {
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const jet::CheckReport report = jet::CheckDatabase(db);
  EXPECT_TRUE(report.ok()) << Joined(report.errors);
}

// mdb-export's CSV of the table (empty when mdbtools is absent).
std::string MdbExport(const std::string& path, const std::string& table) {
  if (!testenv::HaveMdbTools()) return "";
  int status = 0;
  std::string out = testenv::RunCommand("mdb-export '" + path + "' '" + table + "'", &status);
  EXPECT_EQ(status, 0) << out;
  return out;
}

// mdb-reader's rows of the table as JSON (empty when it or node is absent).
std::string MdbReader(const std::string& path, const std::string& table) {
  if (testenv::MdbReaderDir().empty()) return "";
  int status = 0;
  std::string out = testenv::RunMdbReader(
      path, "qarnivel", "console.log(JSON.stringify(reader.getTable(\"" + table + "\").getData()));",
      &status);
  EXPECT_EQ(status, 0) << out;
  return out;
}

// Fills the data page of tblSystem_Parameter_A's only row with rows of its own until fewer than
// `room` bytes are left, so that the row cannot grow on its page.
void FillParameterPage(const std::string& path, size_t room) {
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::WriteGuard guard(db);
  const jet::TableDef def = db.GetTableDef("tblSystem_Parameter_A");
  jet::TableCursor rows = db.OpenTable("tblSystem_Parameter_A");
  ASSERT_TRUE(rows.Next());
  const jet::PageNumber page = rows.page();
  for (int i = 0; jet::FreeSpace(*db.cache().Read(page)) >= room; ++i) {
    const size_t free = jet::FreeSpace(*db.cache().Read(page));
    const size_t length = std::min<size_t>(free > 40 ? free - 40 : 1, 90);
    const jet::StoredColumns stored = jet::EncodeRow(
        def, {{"CompanyName", std::string(length, 'f')}, {"Version", int64_t{100 + i}}},
        "tblSystem_Parameter_A", "velda.mdb");
    if (jet::BuildRow(def, stored).size() + 2 > free) break;
    ASSERT_EQ(jet::AppendRows(db.cache(), def, {stored}, {}).front().page, page);
  }
  ASSERT_LT(jet::FreeSpace(*db.cache().Read(page)), room);
}

TEST(UpdateRows, TheFlagGrowsOnItsPageAndEveryReaderSeesIt) {
  const std::string path = Scratch("update_flag");
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    EXPECT_EQ(jet::UpdateRows(db, "tblSystem_Parameter_A", {{"ismysqldb", std::string("YES")}},
                              std::nullopt),
              1u);
    jet::TableCursor rows = db.OpenTable("tblSystem_Parameter_A");
    ASSERT_TRUE(rows.Next());
    EXPECT_EQ(Text(rows[rows.def().ColumnIndex("ISMySQLDB")]), "YES") << "the open file sees it";
  }
  EXPECT_EQ(Text(Column(path, "tblSystem_Parameter_A", "ISMySQLDB").at(0)), "YES");
  EXPECT_EQ(Text(Column(path, "tblSystem_Parameter_A", "CompanyName").at(0)),
            "O'Neil Tooling Ltd.");
  ExpectSound(path);
  const std::string csv = MdbExport(path, "tblSystem_Parameter_A");
  if (!csv.empty()) {
    EXPECT_NE(csv.find("\"O'Neil Tooling Ltd.\",\"YES\",3"), std::string::npos) << csv;
  }
  const std::string json = MdbReader(path, "tblSystem_Parameter_A");
  if (!json.empty()) {
    EXPECT_NE(json.find("\"ISMySQLDB\":\"YES\""), std::string::npos) << json;
  }
  // Back to a shorter value: rewritten in its own bytes.
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::UpdateRows(db, "tblSystem_Parameter_A", {{"ISMySQLDB", std::string("N")}}, std::nullopt);
  }
  EXPECT_EQ(Text(Column(path, "tblSystem_Parameter_A", "ISMySQLDB").at(0)), "N");
  ExpectSound(path);
}

TEST(UpdateRows, AValueThatNoLongerFitsItsPageMovesTheRow) {
  const std::string path = Scratch("update_moved");
  FillParameterPage(path, 60);
  const std::string long_name(100, 'W');
  for (const std::string& value : {long_name, std::string("Short again"), long_name + ""}) {
    {
      jet::Database db = jet::Database::Open(path, "qarnivel");
      EXPECT_EQ(jet::UpdateRows(db, "tblSystem_Parameter_A", {{"CompanyName", value}},
                                jet::ColumnValue{"Version", int64_t{3}}),
                1u);
    }
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::TableCursor rows = db.OpenTable("tblSystem_Parameter_A");
    ASSERT_TRUE(rows.Next());
    EXPECT_EQ(Text(rows[rows.def().ColumnIndex("CompanyName")]), value);
    EXPECT_EQ(Text(rows[rows.def().ColumnIndex("ISMySQLDB")]), "NO");
    const uint16_t slot =
        jet::LoadU16(db.cache().Read(rows.page())->data() + 14 + 2 * rows.slot());
    EXPECT_TRUE(slot & jet::kSlotOverflowFlag) << "the first slot points to the moved row";
    ExpectSound(path);
  }
  const std::string csv = MdbExport(path, "tblSystem_Parameter_A");
  if (!csv.empty()) {
    EXPECT_NE(csv.find("\"" + long_name + "\",\"NO\",3"), std::string::npos) << csv;
  }
  const std::string json = MdbReader(path, "tblSystem_Parameter_A");
  if (!json.empty()) {
    EXPECT_NE(json.find(long_name), std::string::npos) << json;
  }
}

TEST(UpdateRows, IndexesOnChangedColumnsFollowTheRows) {
  const std::string path = Scratch("update_indexed");
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    EXPECT_EQ(jet::UpdateRows(db, "tblEmployee", {{"EmpCode", std::string("Z9999")}},
                              jet::ColumnValue{"EmpID", int64_t{1}}),
              1u);
    EXPECT_EQ(jet::UpdateRows(db, "tblEmployee", {{"DeptID", int64_t{77}}, {"Salary", 1.5}},
                              std::nullopt),
              40u);
    // A Memo long enough for a long-value row of its own.
    jet::UpdateRows(db, "tblEmployee", {{"Remarks", std::string(300, 'r')}},
                    jet::ColumnValue{"EmpID", int64_t{2}});
  }
  ExpectSound(path);
  EXPECT_EQ(Text(Column(path, "tblEmployee", "Remarks").at(1)), std::string(300, 'r'));
  const std::vector<jet::Value> codes = Column(path, "tblEmployee", "EmpCode");
  EXPECT_EQ(Text(codes.at(0)), "Z9999");
  for (const jet::Value& v : Column(path, "tblEmployee", "DeptID"))
    EXPECT_EQ(std::get<int64_t>(v), 77);
}

TEST(UpdateRows, RefusesWithoutWritingAByte) {
  const std::string path = Scratch("update_refused");
  const std::string before = testenv::FileBytes(path);
  auto refusal = [&](const std::string& table, std::vector<jet::ColumnValue> set,
                     std::optional<jet::ColumnValue> where = std::nullopt) {
    try {
      jet::Database db = jet::Database::Open(path, "qarnivel");
      jet::UpdateRows(db, table, set, where);
    } catch (const jet::Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(refusal("tblNoSuch", {{"A", int64_t{1}}}).find("'tblNoSuch' does not exist"),
            std::string::npos);
  EXPECT_NE(refusal("MSysObjects", {{"Name", std::string("x")}}).find("system"), std::string::npos);
  EXPECT_NE(refusal("tblSystem_Parameter_A", {{"NoColumn", int64_t{1}}}).find("no column 'NoColumn'"),
            std::string::npos);
  EXPECT_NE(refusal("tblSystem_Parameter_A", {{"ISMySQLDB", std::string("LONG")}})
                .find("4 characters do not fit its 3"),
            std::string::npos);
  EXPECT_NE(refusal("tblSystem_Parameter_A", {{"Version", std::string("three")}})
                .find("does not suit a Long Integer column"),
            std::string::npos);
  EXPECT_NE(refusal("tblSystem_Parameter_A", {{"Version", 2.5}}).find("decimals"),
            std::string::npos);
  EXPECT_NE(refusal("tblSystem_Parameter_A", {{"ISMySQLDB", int64_t{1}}}).find("does not suit"),
            std::string::npos);
  EXPECT_NE(refusal("tblSystem_Parameter_A",
                    {{"ISMySQLDB", std::string("Y")}, {"ismysqldb", std::string("N")}})
                .find("set twice"),
            std::string::npos);
  EXPECT_NE(refusal("tblEmployee", {{"Active", std::monostate{}}}).find("cannot be NULL"),
            std::string::npos);
  // A unique index: another row's code, or one code for every row.
  EXPECT_NE(refusal("tblEmployee", {{"EmpCode", std::string("e0002")}},
                    jet::ColumnValue{"EmpID", int64_t{1}})
                .find("duplicate in a unique index"),
            std::string::npos);
  EXPECT_NE(refusal("tblEmployee", {{"EmpCode", std::string("SAME")}}).find("duplicate"),
            std::string::npos);
  EXPECT_EQ(testenv::FileBytes(path), before);
  // Setting the value a row already has, or matching no row, writes nothing either.
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    EXPECT_EQ(jet::UpdateRows(db, "tblSystem_Parameter_A", {{"ISMySQLDB", std::string("NO")}},
                              std::nullopt),
              1u);
    EXPECT_EQ(jet::UpdateRows(db, "tblEmployee", {{"EmpName", std::string("x")}},
                              jet::ColumnValue{"EmpID", std::monostate{}}),
              0u);
  }
  EXPECT_EQ(testenv::FileBytes(path), before);
}

// Runs `update` on a fresh copy of `prepared`, stopped at each page write in turn, and hands the
// stopped file to `judge`. Returns the number of writes the whole update makes.
int StopAtEveryWrite(const std::string& prepared, const std::string& name,
                     const std::function<void(jet::Database&)>& update,
                     const std::function<void(const std::string&, int)>& judge) {
  for (int stop = 0; stop < 400; ++stop) {
    const std::string path = testenv::ScratchDir(name) + "/velda.mdb";
    fs::copy_file(prepared, path);
    bool finished = false;
    {
      jet::Database db = jet::Database::Open(path, "qarnivel");
      int writes = 0;
      db.cache().SetWriteHook([&](jet::PageNumber) {
        if (writes++ == stop) throw jet::Error("stopped");
      });
      try {
        update(db);
        finished = true;
      } catch (const jet::Error& e) {
        EXPECT_EQ(std::string(e.what()), "stopped");
      }
    }
    judge(path, stop);
    if (finished) return stop;
  }
  ADD_FAILURE() << "the update never finished";
  return 0;
}

TEST(UpdateRows, AStopAtAnyWriteLeavesTheOldValueOrTheNew) {
  for (size_t room : {size_t{4000}, size_t{60}}) {  // on its page; moved to a row of its own
    const std::string prepared = Scratch("update_stop_prepared");
    if (room < 4000) FillParameterPage(prepared, room);
    const std::string value(room < 4000 ? 100 : 30, 'V');
    const int writes = StopAtEveryWrite(
        prepared, "update_stop",
        [&](jet::Database& db) {
          jet::UpdateRows(db, "tblSystem_Parameter_A", {{"CompanyName", value}},
                          jet::ColumnValue{"Version", int64_t{3}});
        },
        [&](const std::string& path, int stop) {
          const std::string now = Text(Column(path, "tblSystem_Parameter_A", "CompanyName").at(0));
          EXPECT_TRUE(now == value || now == "O'Neil Tooling Ltd.") << "stop " << stop << ": " << now;
          jet::Database db = jet::Database::Open(path, "qarnivel");
          const jet::CheckReport report = jet::CheckDatabase(db);
          EXPECT_TRUE(report.ok()) << "stop " << stop << ":\n" << Joined(report.errors);
        });
    // In place: the one page. Moved: a new data page, the global map, the table's page maps,
    // the page of the moved row, then the first slot's page.
    EXPECT_GE(writes, room < 4000 ? 3 : 1) << "room " << room;
  }
}

TEST(UpdateRows, AStopInAnIndexedUpdateLeavesReadableRowsAndOnlyThatEntryAmiss) {
  const std::string prepared = Scratch("update_index_stop_prepared");
  StopAtEveryWrite(
      prepared, "update_index_stop",
      [](jet::Database& db) {
        jet::UpdateRows(db, "tblEmployee", {{"EmpCode", std::string("Z0001")}},
                        jet::ColumnValue{"EmpID", int64_t{1}});
      },
      [](const std::string& path, int stop) {
        const std::string now = Text(Column(path, "tblEmployee", "EmpCode").at(0));
        EXPECT_TRUE(now == "Z0001" || now == "E0001") << "stop " << stop << ": " << now;
        jet::Database db = jet::Database::Open(path, "qarnivel");
        const jet::CheckReport report = jet::CheckDatabase(db);
        for (const std::string& e : report.errors) {
          EXPECT_NE(e.find("table tblEmployee: index EmpCode: "), std::string::npos)
              << "stop " << stop << ": " << e;
        }
        EXPECT_LE(report.errors.size(), 1u) << Joined(report.errors);
      });
}

}  // namespace
