// Whole migrations of the sample databases into the test run's own MariaDB.
#include <gtest/gtest.h>

#include <algorithm>

#include "db/connection_strings.h"
#include "db/error.h"
#include "db/source_session.h"
#include "migrate/migration_engine.h"
#include "migrate/value_rendering.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace migrate {
namespace {

std::vector<std::vector<std::string>> Query(db::Connection& c, const std::string& sql) {
  std::vector<std::vector<std::string>> out;
  auto rs = c.Execute(sql);
  while (!rs->Eof()) {
    std::vector<std::string> row;
    for (int i = 0; i < rs->Fields().Count(); ++i) {
      const db::Value& v = rs->Fields().Item(i).GetValue();
      row.push_back(v.IsNull() ? "NULL" : v.ToString());
    }
    out.push_back(row);
    rs->MoveNext();
  }
  return out;
}

std::string One(db::Connection& c, const std::string& sql) {
  auto rows = Query(c, sql);
  return rows.empty() || rows[0].empty() ? "<none>" : rows[0][0];
}

class MigrationServer : public ::testing::Test {
 protected:
  void SetUp() override {
    MDB_REQUIRE_SERVER();
    const std::string port = std::to_string(testenv::TestServer()->port);
    admin_.Open(db::MySqlConnectionString({"localhost", port, "", "root", ""}));
  }

  // A fresh database and a MySQL session on it, as the window opens one.
  void FreshDatabase(const std::string& name) {
    admin_.Execute("DROP DATABASE IF EXISTS " + name);
    admin_.Execute("CREATE DATABASE " + name + " CHARACTER SET utf8mb4");
    const std::string port = std::to_string(testenv::TestServer()->port);
    mysql_.Open(db::MySqlConnectionString({"localhost", port, name, "root", ""}));
  }

  std::string Migrate(const std::string& path) {
    db::OpenSourceSession(path, db::kSourcePassword);
    EXPECT_EQ(db::SourceSession().State(), db::kAdStateOpen) << path;
    MigrationEngine engine(db::SourceSession(), mysql_, screen_);
    return engine.CreateAndInsertData_To_MYSQLTable(path);
  }

  // Every row of a source table as the migration must have stored it, one text per row, sorted.
  std::vector<std::string> ExpectedRows(const std::string& table) {
    std::vector<std::string> rows;
    auto rs = db::SourceSession().Execute("SELECT * FROM " + table);
    while (!rs->Eof()) {
      std::string line;
      for (int i = 0; i < rs->Fields().Count(); ++i) {
        const db::Field& f = rs->Fields().Item(i);
        const db::Value& v = f.GetValue();
        std::string cell;
        switch (f.Type()) {
          case db::ado_type::kVarWChar:
          case db::ado_type::kWChar:
          case db::ado_type::kLongVarWChar: {
            const std::string text = v.ToString();
            const size_t b = text.find_first_not_of(' ');
            cell = b == std::string::npos ? "" : text.substr(b, text.find_last_not_of(' ') - b + 1);
            break;
          }
          case db::ado_type::kBoolean: cell = v.IsNull() || !v.AsBoolean() ? "0" : "1"; break;
          case db::ado_type::kInteger: cell = v.IsNull() ? "0" : v.ToString(); break;
          case db::ado_type::kDouble: cell = v.IsNull() ? "0" : DoubleLiteral(v.AsDouble()); break;
          case db::ado_type::kDate: cell = v.IsNull() ? "NULL" : FormatDateTime(v.AsDate()); break;
          default: continue;
        }
        line += cell + "|";
      }
      rows.push_back(line);
      rs->MoveNext();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  std::vector<std::string> StoredRows(const std::string& mysql_table,
                                      const std::vector<std::string>& columns) {
    std::string list;
    for (const auto& c : columns) list += (list.empty() ? "" : ", ") + ("`" + c + "`");
    std::vector<std::string> rows;
    for (const auto& row : Query(mysql_, "SELECT " + list + " FROM " + mysql_table)) {
      std::string line;
      for (const auto& cell : row) line += cell + "|";
      rows.push_back(line);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  std::vector<std::string> MySqlColumns(const std::string& db_name, const std::string& table) {
    std::vector<std::string> out;
    for (const auto& r : Query(admin_, "SELECT column_name FROM information_schema.columns WHERE "
                                       "table_schema = '" + db_name + "' AND table_name = '" +
                                       table + "' AND column_name <> 'MYSQL_IDD' ORDER BY "
                                       "ordinal_position"))
      out.push_back(r[0]);
    return out;
  }

  db::Connection admin_;
  db::Connection mysql_;
  ui::RecordingScreen screen_;
};

TEST_F(MigrationServer, VeldaSampleArrivesWholeAndTwice) {
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  FreshDatabase("mig_velda");
  ASSERT_EQ(Migrate(path), "OK") << (screen_.messages().empty() ? "" : screen_.messages()[0].details);
  EXPECT_TRUE(screen_.messages().empty());

  const auto tables = Query(admin_, "SELECT table_name FROM information_schema.tables WHERE "
                                    "table_schema = 'mig_velda' ORDER BY table_name");
  std::vector<std::string> names;
  for (const auto& r : tables) names.push_back(r[0]);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"tbl_shift", "tblemployee", "tblencrword",
                                             "tblleave_header", "tblschedule_intelligent",
                                             "tblsystem_parameter_a", "tblx", "w_log", "w_temp"}));

  auto type_of = [&](const std::string& t, const std::string& c) {
    return One(admin_, "SELECT column_type FROM information_schema.columns WHERE table_schema = "
                       "'mig_velda' AND table_name = '" + t + "' AND column_name = '" + c + "'");
  };
  EXPECT_EQ(type_of("tblemployee", "EmpID"), "int(11)");
  EXPECT_EQ(type_of("tblemployee", "EmpCode"), "varchar(10)");
  EXPECT_EQ(type_of("tblemployee", "Active"), "tinyint(2)");
  EXPECT_EQ(type_of("tblemployee", "Salary"), "double");
  EXPECT_EQ(type_of("tblemployee", "JoinDate"), "datetime");
  EXPECT_EQ(type_of("tblemployee", "Remarks"), "longtext");
  EXPECT_EQ(type_of("tblleave_header", "Period_From"), "varchar(100)");
  EXPECT_EQ(type_of("tblschedule_intelligent", "Schedule_Code"), "varchar(100)");
  EXPECT_EQ(type_of("tblschedule_intelligent", "Remark"), "varchar(30)");
  EXPECT_EQ(One(admin_, "SELECT extra FROM information_schema.columns WHERE table_schema = "
                        "'mig_velda' AND table_name = 'tblemployee' AND column_name = 'EmpID'"),
            "auto_increment");

  auto primary_key = [&](const std::string& t) {
    std::string cols;
    for (const auto& r : Query(admin_, "SELECT column_name FROM information_schema.statistics "
                                       "WHERE table_schema = 'mig_velda' AND table_name = '" + t +
                                       "' AND index_name = 'PRIMARY' ORDER BY seq_in_index"))
      cols += r[0] + " ";
    return cols;
  };
  EXPECT_EQ(primary_key("tblx"), "MYSQL_IDD ");
  EXPECT_EQ(primary_key("tblsystem_parameter_a"), "MYSQL_IDD ");
  EXPECT_EQ(primary_key("w_log"), "LogID ");
  EXPECT_EQ(primary_key("tbl_shift"), "ShiftCode DayNo ");
  EXPECT_EQ(primary_key("tblemployee"), "EmpID ");
  EXPECT_EQ(primary_key("tblschedule_intelligent"), "Sequence_No Schedule_Code ");
  EXPECT_EQ(One(admin_, "SELECT COUNT(*) FROM information_schema.statistics WHERE table_schema "
                        "= 'mig_velda' AND table_name = 'tblemployee' AND index_name = "
                        "'index_tblemployee_EmpCode'"),
            "1");

  const std::vector<std::pair<std::string, std::string>> source_tables = {
      {"tblEmployee", "tblemployee"}, {"tblLeave_Header", "tblleave_header"},
      {"tblSchedule_Intelligent", "tblschedule_intelligent"},
      {"tblSystem_Parameter_A", "tblsystem_parameter_a"}, {"tblencrword", "tblencrword"},
      {"TBLX", "tblx"}, {"Tbl_Shift", "tbl_shift"}, {"W_Temp", "w_temp"}, {"w_log", "w_log"}};
  for (const auto& [source, mysql] : source_tables)
    EXPECT_EQ(StoredRows(mysql, MySqlColumns("mig_velda", mysql)), ExpectedRows(source)) << source;

  // The named edge rows, as a person would check them.
  EXPECT_EQ(One(mysql_, "SELECT EmpName FROM tblemployee WHERE EmpID = 2"), "Sean O'Brien");
  EXPECT_EQ(One(mysql_, "SELECT JoinDate FROM tblemployee WHERE EmpID = 2"), "2023-05-17 14:30:00");
  EXPECT_EQ(One(mysql_, "SELECT JoinDate FROM tblemployee WHERE EmpID = 15"), "1899-12-30 08:45:00");
  EXPECT_EQ(One(mysql_, "SELECT JoinDate FROM tblemployee WHERE EmpID = 16"), "1850-07-04 06:00:00");
  EXPECT_EQ(One(mysql_, "SELECT JoinDate FROM tblemployee WHERE EmpID = 23"), "2099-12-31 23:59:59");
  EXPECT_EQ(One(mysql_, "SELECT JoinDate FROM tblemployee WHERE EmpID = 25"), "NULL");
  EXPECT_EQ(One(mysql_, "SELECT Remarks FROM tblemployee WHERE EmpID = 7"), "C:\\Temp\\new\\file.txt");
  EXPECT_EQ(One(mysql_, "SELECT CHAR_LENGTH(Remarks) FROM tblemployee WHERE EmpID = 14"), "40000");
  EXPECT_EQ(One(mysql_, "SELECT EmpName FROM tblemployee WHERE EmpID = 10"), "王小明");
  EXPECT_EQ(One(mysql_, "SELECT Salary FROM tblemployee WHERE EmpID = 17"), "0.1");
  // The admin session reads backslashes as escapes; the migration's own session does not.
  EXPECT_EQ(One(admin_, "SELECT COUNT(*) FROM mig_velda.w_log WHERE Msg = 'backup done: C:\\\\backup'"), "1");
  EXPECT_EQ(One(mysql_, "SELECT COUNT(*) FROM tblemployee"), "40");

  // A second run drops and rebuilds the same tables with the same contents.
  const auto first = StoredRows("tblemployee", MySqlColumns("mig_velda", "tblemployee"));
  ASSERT_EQ(Migrate(path), "OK");
  EXPECT_EQ(StoredRows("tblemployee", MySqlColumns("mig_velda", "tblemployee")), first);
  EXPECT_EQ(One(mysql_, "SELECT COUNT(*) FROM tblx"), "5");
  EXPECT_EQ(One(mysql_, "SELECT MAX(MYSQL_IDD) FROM tblx"), "5");
}

TEST_F(MigrationServer, ProgressNamesEachTableAndEndsAtItsRowCount) {
  FreshDatabase("mig_progress");
  ASSERT_EQ(Migrate(testenv::FixturePath("velda_sample.mdb")), "OK");
  std::vector<std::string> last_of_each;
  for (const std::string& e : screen_.events()) {
    ASSERT_EQ(e.rfind("progress: Migrating ", 0), 0u) << e;
    const std::string table = e.substr(0, e.rfind(' '));
    if (!last_of_each.empty() && last_of_each.back().rfind(table + " ", 0) == 0) {
      last_of_each.back() = e;
    } else {
      last_of_each.push_back(e);
    }
  }
  // The nine selected tables in the engine's order, each ending with all of its rows.
  EXPECT_EQ(last_of_each,
            (std::vector<std::string>{"progress: Migrating 1/9 Tbl_Shift 10/10",
                                      "progress: Migrating 2/9 tblEmployee 40/40",
                                      "progress: Migrating 3/9 tblencrword 3/3",
                                      "progress: Migrating 4/9 tblLeave_Header 20/20",
                                      "progress: Migrating 5/9 tblSchedule_Intelligent 12/12",
                                      "progress: Migrating 6/9 tblSystem_Parameter_A 1/1",
                                      "progress: Migrating 7/9 TBLX 5/5",
                                      "progress: Migrating 8/9 w_log 5/5",
                                      "progress: Migrating 9/9 W_Temp 0/0"}));
}

TEST_F(MigrationServer, UnsupportedColumnWithRowsFailsAtTheFirstInsert) {
  FreshDatabase("mig_unsupported");
  EXPECT_EQ(Migrate(testenv::FixturePath("unsupported_with_rows.mdb")), "FAIL");
  ASSERT_EQ(screen_.messages().size(), 1u);
  const auto& m = screen_.messages()[0];
  EXPECT_EQ(m.text, "Invalid table column in VELDA.mdb");
  EXPECT_EQ(m.title, "Error");
  EXPECT_EQ(m.icon, ui::Icon::kInformation);
  EXPECT_NE(m.details.find("Table: tblRate"), std::string::npos) << m.details;
  EXPECT_NE(m.details.find("Statement: INSERT INTO tblrate"), std::string::npos) << m.details;
  EXPECT_EQ(One(mysql_, "SELECT COUNT(*) FROM tblrate"), "0");
}

TEST_F(MigrationServer, TableWithoutSupportedColumnsStopsTheRun) {
  FreshDatabase("mig_only_unsupported");
  EXPECT_EQ(Migrate(testenv::FixturePath("only_unsupported.mdb")), "FAIL");
  ASSERT_EQ(screen_.messages().size(), 1u);
  EXPECT_NE(screen_.messages()[0].details.find("CREATE table tblmoney ()"), std::string::npos)
      << screen_.messages()[0].details;
  EXPECT_EQ(One(mysql_, "SELECT COUNT(*) FROM tblafter"), "2");
}

TEST_F(MigrationServer, RefusedRowLeavesTheRowsBeforeIt) {
  FreshDatabase("mig_reject");
  EXPECT_EQ(Migrate(testenv::FixturePath("reject_midtable.mdb")), "FAIL");
  ASSERT_EQ(screen_.messages().size(), 1u);
  EXPECT_NE(screen_.messages()[0].details.find("Data too long"), std::string::npos)
      << screen_.messages()[0].details;
  EXPECT_EQ(One(mysql_, "SELECT COUNT(*) FROM tbla_first"), "10");
  EXPECT_EQ(One(mysql_, "SELECT COUNT(*) FROM tblleave_header"), "599");
  EXPECT_EQ(One(mysql_, "SELECT MAX(LeaveID) FROM tblleave_header"), "599");
  EXPECT_EQ(One(admin_, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                        "'mig_reject' AND table_name = 'tblz_after'"),
            "0");
}

}  // namespace
}  // namespace migrate
