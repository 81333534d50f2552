// The statements the engine sends, checked through a recording MySQL session.
#include <gtest/gtest.h>

#include "db/source_session.h"
#include "migrate/migration_engine.h"
#include "scripted_sessions.h"
#include "ui/recording_screen.h"

namespace migrate {
namespace {

db::FieldInfo Column(std::string name, int type, long size = 0, long attributes = 0) {
  db::FieldInfo f;
  f.name = std::move(name);
  f.type = type;
  f.defined_size = size;
  f.attributes = attributes;
  return f;
}

class StatementTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_shared<RecordingSession::Log>();
    mysql_.Attach(std::make_unique<RecordingSession>(log_));
    auto source = std::make_unique<ScriptedSource>();
    source_ = source.get();
    if (db::SourceSession().State() == db::kAdStateOpen) db::SourceSession().Close();
    db::SourceSession().Attach(std::move(source));
  }
  // The statements sent, less the question for the table's storage engine that comes before a
  // batched copy: the recording server names none, so the rows go as INSERTs.
  std::vector<std::string> Sent() const {
    std::vector<std::string> sent;
    for (const std::string& s : log_->statements)
      if (s.rfind("SELECT ENGINE FROM information_schema.TABLES", 0) != 0) sent.push_back(s);
    return sent;
  }
  std::shared_ptr<RecordingSession::Log> log_;
  db::Connection mysql_;
  ScriptedSource* source_ = nullptr;
  ui::RecordingScreen screen_;
};

TEST_F(StatementTexts, OneInsertPerRowInFieldOrder) {
  source_->tables["tblStaff"] = {
      {Column("EmpID", db::ado_type::kInteger, 4, 118), Column("EmpName", db::ado_type::kVarWChar, 50),
       Column("Joined", db::ado_type::kDate, 8)},
      {{db::Value::Integer(5), db::Value::Null(), db::Value::Date({2020, 3, 1, 0, 0, 0, 0})}}};
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  engine.CopyTableRows("tblStaff", "tblstaff", "`EmpID`, `EmpName`, `Joined`");
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0],
            "INSERT INTO tblstaff (`EmpID`, `EmpName`, `Joined`) VALUES (5, '', '2020-03-01 "
            "00:00:00')");
}

TEST_F(StatementTexts, RowsRenderedByType) {
  source_->tables["t"] = {
      {Column("T", db::ado_type::kVarWChar, 50), Column("B", db::ado_type::kBoolean, 2),
       Column("D", db::ado_type::kDouble, 8), Column("M", db::ado_type::kCurrency, 8),
       Column("W", db::ado_type::kDate, 8)},
      {{db::Value::Text("  O'Brien  "), db::Value::Boolean(true), db::Value::Null(),
        db::Value::Money({12345}), db::Value::Null()},
       {db::Value::Text("a''b C:\\x\\"), db::Value::Boolean(false), db::Value::Double(-1234.56),
        db::Value::Null(), db::Value::Date({2023, 5, 17, 14, 29, 59, 999'000'000})}}};
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  engine.SetRowAtATime(true);
  engine.CopyTableRows("t", "t", "`T`, `B`, `D`, `M`, `W`");
  ASSERT_EQ(log_->statements.size(), 2u);
  // Currency gets no value although its column is named: the server refuses such a row.
  EXPECT_EQ(log_->statements[0],
            "INSERT INTO t (`T`, `B`, `D`, `M`, `W`) VALUES ('O''Brien', True, 0, NULL)");
  EXPECT_EQ(log_->statements[1],
            "INSERT INTO t (`T`, `B`, `D`, `M`, `W`) VALUES ('a''''b C:\\x\\', False, -1234.56, "
            "'2023-05-17 14:30:00')");
}

TEST_F(StatementTexts, BatchesJoinTheSameValuesAndReplayARefusedBatchRowByRow) {
  ScriptedTable table{{Column("N", db::ado_type::kInteger, 4)}, {}};
  const int batch = int(RowBatch::kBatchRows);
  for (int i = 1; i <= 2 * batch + 500; ++i) table.rows.push_back({db::Value::Integer(i)});
  source_->tables["t"] = table;
  // The second batch holds a row the server refuses.
  log_->refuse = [](const std::string& s) -> const db::Error* {
    static const db::Error bad(db::kProviderError, "Out of range value");
    if (s.find("(" + std::to_string(int(RowBatch::kBatchRows) + 500) + ")") != std::string::npos &&
        s.rfind("INSERT", 0) == 0)
      return &bad;
    return nullptr;
  };
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  try {
    engine.CopyTableRows("t", "t", "`N`");
    FAIL() << "the refused row went through";
  } catch (const db::Error& e) {
    EXPECT_EQ(e.description(), "Out of range value");
  }
  const std::vector<std::string> s = Sent();
  ASSERT_GE(s.size(), 4u);
  EXPECT_EQ(s[0].rfind("INSERT INTO t (`N`) VALUES (1), (2), (3), ", 0), 0u);
  const std::string last = std::to_string(batch);
  EXPECT_NE(s[0].find("(" + std::to_string(batch - 1) + "), (" + last + ")"), std::string::npos);
  EXPECT_EQ(s[1].rfind("INSERT INTO t (`N`) VALUES (" + std::to_string(batch + 1) + "), (", 0), 0u);
  EXPECT_EQ(s[2], "SELECT COUNT(*) FROM t");
  EXPECT_EQ(s[3], "ALTER TABLE t AUTO_INCREMENT = 1");
  // The recording server counts no rows, so the replay starts at the batch's first row and
  // ends at the refused one.
  EXPECT_EQ(s[4], "INSERT INTO t (`N`) VALUES (" + std::to_string(batch + 1) + ")");
  EXPECT_EQ(s.back(), "INSERT INTO t (`N`) VALUES (" + std::to_string(batch + 500) + ")");
  EXPECT_EQ(s.size(), 4u + 500u);
}

TEST_F(StatementTexts, EmptyTableSendsNothingAndDropIsQuiet) {
  source_->tables["empty"] = {{Column("A", db::ado_type::kInteger, 4)}, {}};
  log_->refuse = [](const std::string&) -> const db::Error* {
    static const db::Error e(db::kProviderError, "Unknown table");
    return &e;
  };
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  engine.CopyTableRows("empty", "empty", "`A`");
  EXPECT_TRUE(log_->statements.empty());
  engine.DropTable("tblemployee");
  ASSERT_EQ(log_->statements.size(), 1u);
  EXPECT_EQ(log_->statements[0], "DROP table `tblemployee`");
  EXPECT_TRUE(screen_.messages().empty());
}

TEST_F(StatementTexts, ListPKIndexesEveryKeyColumnAndReversesThePrimaryKey) {
  source_->catalog = {
      {"Tbl_Shift",
       {{"PrimaryKey", true, true, {{"DayNo"}, {"ShiftCode"}}}, {"ShiftCode", false, false, {{"ShiftCode"}}}}},
      {"tblOther", {{"PrimaryKey", true, true, {{"X"}}}}}};
  // The second index on ShiftCode has the same name: the server refuses it, and it is skipped.
  log_->refuse = [n = 0](const std::string& s) mutable -> const db::Error* {
    static const db::Error dup(db::kProviderError, "Duplicate key name");
    if (s.find("index_tbl_shift_ShiftCode") != std::string::npos && ++n == 2) return &dup;
    return nullptr;
  };
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  EXPECT_EQ(engine.ListPK("tbl_shift", ""), "`ShiftCode`, `DayNo`");
  EXPECT_EQ(log_->statements,
            (std::vector<std::string>{
                "CREATE INDEX index_tbl_shift_DayNo ON tbl_shift (`DayNo`)",
                "CREATE INDEX index_tbl_shift_ShiftCode ON tbl_shift (`ShiftCode`)",
                "CREATE INDEX index_tbl_shift_ShiftCode ON tbl_shift (`ShiftCode`)",
                "ALTER TABLE tbl_shift ADD CONSTRAINT  PRIMARY KEY (`ShiftCode`, `DayNo`);"}));
  EXPECT_TRUE(screen_.messages().empty());
}

TEST_F(StatementTexts, ListPKFallsBackToTheAutoNumberOrASurrogateKey) {
  source_->catalog = {{"w_log", {}}, {"TBLX", {}}};
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  EXPECT_EQ(engine.ListPK("w_log", "LogID"), "");
  EXPECT_EQ(engine.ListPK("tblx", ""), "");
  EXPECT_EQ(engine.ListPK("nowhere", ""), "");
  EXPECT_EQ(log_->statements,
            (std::vector<std::string>{
                "ALTER TABLE w_log ADD CONSTRAINT w_log PRIMARY KEY (`LogID`);",
                "ALTER TABLE tblx ADD MYSQL_IDD int NOT NULL AUTO_INCREMENT PRIMARY KEY",
                "ALTER TABLE nowhere ADD MYSQL_IDD int NOT NULL AUTO_INCREMENT PRIMARY KEY"}));
}

TEST_F(StatementTexts, ListPKShowsAnyOtherErrorWithItsNumberAndStops) {
  source_->catalog = {{"tblA", {{"a", false, false, {{"A"}}}, {"b", false, false, {{"B"}}}}}};
  log_->refuse = [](const std::string&) -> const db::Error* {
    static const db::Error closed(3709, "The connection cannot be used.");
    return &closed;
  };
  MigrationEngine engine(db::SourceSession(), mysql_, screen_);
  EXPECT_EQ(engine.ListPK("tbla", ""), "");
  EXPECT_EQ(log_->statements.size(), 1u);
  ASSERT_EQ(screen_.messages().size(), 1u);
  EXPECT_EQ(screen_.messages()[0].text, "3709: The connection cannot be used.");
  EXPECT_EQ(screen_.messages()[0].title, "Error");
  EXPECT_EQ(screen_.messages()[0].icon, ui::Icon::kNone);
}

}  // namespace
}  // namespace migrate
