// What the migration asks of a node of a Galera cluster, against a scripted server.
#include "migrate/cluster_session.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "scripted_sessions.h"

namespace migrate {
namespace {

// A server that records every statement and answers the ones a test scripts, in turn: a row of
// texts, or an error to raise. Anything unscripted gives no rows.
class ScriptedServer : public db::Session {
 public:
  struct Answer {
    std::vector<std::string> row;
    std::optional<db::Error> error;
  };
  std::vector<std::string> statements;
  std::vector<std::pair<std::string, std::deque<Answer>>> script;  // statement prefix, answers

  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    statements.push_back(text);
    for (auto& [prefix, answers] : script) {
      if (text.rfind(prefix, 0) != 0 || answers.empty()) continue;
      Answer answer = answers.front();
      if (answers.size() > 1) answers.pop_front();
      if (answer.error) throw *answer.error;
      ScriptedTable table;
      std::vector<db::Value> row;
      for (size_t i = 0; i < answer.row.size(); ++i) {
        table.columns.push_back({"c" + std::to_string(i), db::ado_type::kVarWChar, 64, 0, 0, 0});
        row.push_back(db::Value::Text(answer.row[i]));
      }
      table.rows.push_back(row);
      return std::make_unique<ScriptedCursor>(table);
    }
    return nullptr;
  }
};

const db::Error kHiccup(db::kProviderError,
                        "[ma-3.1.15][10.11.19-MariaDB]Error while appending streaming replication "
                        "fragment(provider status: Not connected to Primary Component)");
constexpr const char* kSettings = "SELECT @@wsrep_on";
constexpr const char* kReady = "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS";

class ClusterSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto server = std::make_unique<ScriptedServer>();
    server_ = server.get();
    mysql_.Attach(std::move(server));
  }
  ClusterSession Node(std::vector<std::string> settings) {
    std::erase_if(server_->script, [](const auto& entry) { return entry.first == kSettings; });
    server_->script.push_back({kSettings, {{std::move(settings), {}}}});
    return ReadClusterSession(mysql_);
  }
  ScriptedServer* server_ = nullptr;
  db::Connection mysql_;
};

TEST_F(ClusterSessionTest, OneServerAsksNothingOfTheCopy) {
  // MySQL, or MariaDB without Galera: the variables are unknown.
  server_->script.push_back(
      {kSettings, {{{}, db::Error(db::kProviderError, "Unknown system variable 'wsrep_on'")}}});
  ClusterSession none = ReadClusterSession(mysql_);
  EXPECT_FALSE(none.replicated);
  // MariaDB with Galera switched off, whatever its other settings say.
  server_->script.clear();
  const ClusterSession off = Node({"0", "3", "2", "1000", "65536"});
  for (const ClusterSession& one : {none, off}) {
    EXPECT_FALSE(one.replicated);
    EXPECT_EQ(one.numbering_prefix, "");
    EXPECT_EQ(FitRows(one, 100000), 100000);
    EXPECT_EQ(FitBytes(one, 64 << 20), size_t(64 << 20));
    EXPECT_FALSE(IsClusterHiccup(one, kHiccup));
  }
  RefuseUnreplicatedTable(mysql_, off, "tblx");
  EXPECT_EQ(LoadDataNumbering(mysql_, off, "tblx", "`A`, `B`"), "");
  EXPECT_EQ(server_->statements.size(), 2u);  // the two questions for the settings
}

TEST_F(ClusterSessionTest, ANodeThatSpreadsNumbersGetsThemSetForEachStatement) {
  const ClusterSession spread = Node({"1", "3", "2", "0", "2147483647"});
  EXPECT_TRUE(spread.replicated);
  EXPECT_EQ(spread.numbering_prefix,
            "SET STATEMENT auto_increment_increment = 1, auto_increment_offset = 1 FOR ");
  // A cluster whose numbers are left alone needs nothing.
  EXPECT_EQ(Node({"1", "1", "1", "0", "2147483647"}).numbering_prefix, "");
}

TEST_F(ClusterSessionTest, TransactionsStayWellInsideTheWriteSetLimits) {
  // The defaults (no row limit, 2 GiB) leave the copy's own sizes as they are.
  const ClusterSession defaults = Node({"1", "3", "1", "0", "2147483647"});
  EXPECT_EQ(FitRows(defaults, 100000), 100000);
  EXPECT_EQ(FitBytes(defaults, 64 << 20), size_t(64 << 20));
  // 1,000 rows and 64 KiB: a 4 KiB file of text grows to at most 16 KiB of rows, and 256 rows'
  // headers and keys take at most another 32 KiB.
  const ClusterSession tight = Node({"1", "3", "1", "1000", "65536"});
  EXPECT_EQ(FitRows(tight, 100000), 256);
  EXPECT_EQ(FitBytes(tight, 64 << 20), 4096u);
  EXPECT_EQ(FitRows(tight, 10), 10);
  // The smallest limit the server takes still lets one row through at a time.
  EXPECT_EQ(FitRows(Node({"1", "3", "1", "0", "1024"}), 100000), 4);
  EXPECT_EQ(FitRows(Node({"1", "3", "1", "7", "2147483647"}), 100000), 7);
}

TEST_F(ClusterSessionTest, LoadDataNumbersTheSurrogateKeyOnFromTheLargestNumber) {
  const ClusterSession spread = Node({"1", "3", "1", "0", "2147483647"});
  server_->script.push_back({"SELECT COLUMN_NAME", {{{"MYSQL_IDD"}, {}}}});
  EXPECT_EQ(LoadDataNumbering(mysql_, spread, "tblx", "`A`, `B`"),
            " SET `MYSQL_IDD` = (@mdbtomysql_number := @mdbtomysql_number + 1)");
  EXPECT_EQ(server_->statements.back(),
            "SET @mdbtomysql_number = (SELECT COALESCE(MAX(`MYSQL_IDD`), 0) FROM tblx)");
  // A counted column the file fills itself (an AutoNumber) needs nothing.
  server_->script.back().second = {{{"LogID"}, {}}};
  EXPECT_EQ(LoadDataNumbering(mysql_, spread, "w_log", "`LogID`, `Msg`"), "");
  // Nor does a table without one.
  server_->script.pop_back();
  EXPECT_EQ(LoadDataNumbering(mysql_, spread, "tblencrword", "`Word`"), "");
}

TEST_F(ClusterSessionTest, OnlyInnoDbTablesAreReplicated) {
  const ClusterSession cluster = Node({"1", "3", "1", "0", "2147483647"});
  server_->script.push_back({"SELECT ENGINE", {{{"InnoDB"}, {}}}});
  EXPECT_NO_THROW(RefuseUnreplicatedTable(mysql_, cluster, "tblx"));
  EXPECT_NE(server_->statements.back().find("TABLE_NAME = 'tblx'"), std::string::npos);
  server_->script.back().second = {{{"MyISAM"}, {}}};
  try {
    RefuseUnreplicatedTable(mysql_, cluster, "o'brien");
    ADD_FAILURE() << "a MyISAM table on a cluster went through";
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), db::kProviderError);
    EXPECT_EQ(e.description().rfind("o'brien was created as a MyISAM table, and the Galera "
                                    "cluster of this server replicates only InnoDB tables",
                                    0),
              0u)
        << e.description();
    EXPECT_NE(e.description().find("default_storage_engine"), std::string::npos);
  }
  EXPECT_NE(server_->statements.back().find("TABLE_NAME = 'o''brien'"), std::string::npos);
}

TEST_F(ClusterSessionTest, AStatementRefusedDuringAViewChangeGoesAgainOnceTheNodeIsBack) {
  const ClusterSession cluster = Node({"1", "3", "1", "0", "2147483647"});
  EXPECT_TRUE(IsClusterHiccup(cluster, kHiccup));
  EXPECT_TRUE(IsClusterHiccup(
      cluster,
      db::Error(db::kProviderError, "WSREP has not yet prepared node for application use")));
  // The node in use going away is no hiccup, nor is a refused row.
  EXPECT_FALSE(IsClusterHiccup(
      cluster, db::Error(db::kProviderError, "[ma-3.1.15]Lost connection to server during query")));
  EXPECT_FALSE(IsClusterHiccup(cluster, db::Error(db::kProviderError, "Data too long for column")));
  EXPECT_FALSE(IsClusterHiccup(cluster, db::Error(3709, kHiccup.description())));

  server_->script.push_back({"INSERT INTO tblx", {{{}, kHiccup}, {{}, {}}}});
  server_->script.push_back({kReady, {{{"OFF"}, {}}, {{"ON"}, {}}}});
  ExecuteOnCluster(mysql_, cluster, "INSERT INTO tblx (`A`) VALUES (1)");
  std::vector<std::string> sent(server_->statements.begin() + 1, server_->statements.end());
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0], "INSERT INTO tblx (`A`) VALUES (1)");
  EXPECT_EQ(sent[1], "ROLLBACK");
  EXPECT_EQ(sent[2].rfind(kReady, 0), 0u);
  EXPECT_EQ(sent[3].rfind(kReady, 0), 0u);
  EXPECT_EQ(sent[4], "INSERT INTO tblx (`A`) VALUES (1)");
  // Any other refusal goes to the caller at once; so does a hiccup on the last try.
  server_->script.push_back(
      {"INSERT INTO tbly", {{{}, db::Error(db::kProviderError, "Duplicate")}}});
  EXPECT_THROW(ExecuteOnCluster(mysql_, cluster, "INSERT INTO tbly VALUES (1)"), db::Error);
  EXPECT_FALSE(RecoverFromHiccup(mysql_, cluster, kHiccup, 8));
}

}  // namespace
}  // namespace migrate
