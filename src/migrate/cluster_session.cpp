#include "migrate/cluster_session.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "base/ascii_case.h"
#include "db/error.h"
#include "migrate/column_translation.h"

namespace migrate {
namespace {

// A replicated row takes up to four times its text (a double written "0" is eight bytes) plus
// its row header and certification key; half of the limit is kept free beside that.
constexpr size_t kTextShare = 16;
constexpr size_t kBytesPerRowShare = 256;

long long Number(const db::Value& v) {
  if (v.kind() == db::Value::Kind::kInteger) return v.AsInteger();
  if (v.kind() == db::Value::Kind::kText) return std::atoll(v.ToString().c_str());
  return 0;
}

// Tries of one statement or one LOAD DATA file, and how long a node may take to be back in the
// primary component (Galera declares a silent node gone after evs.inactive_timeout, 15 s).
constexpr int kTries = 8;
constexpr auto kPrimaryWait = std::chrono::seconds(60);
constexpr auto kPoll = std::chrono::milliseconds(200);

// The table name as a literal: single quotes doubled.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

}  // namespace

ClusterSession ReadClusterSession(db::Connection& mysql) {
  ClusterSession cluster;
  std::unique_ptr<db::Recordset> settings;
  try {
    settings = mysql.Execute(
        "SELECT @@wsrep_on, @@auto_increment_increment, @@auto_increment_offset, "
        "@@wsrep_max_ws_rows, @@wsrep_max_ws_size");
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError) throw;
    return cluster;  // no such variables: not a node of a cluster
  }
  if (settings->Eof()) return cluster;
  const db::Fields& f = settings->Fields();
  cluster.replicated = Number(f.Item(0).GetValue()) != 0;
  if (!cluster.replicated) return cluster;
  if (Number(f.Item(1).GetValue()) != 1 || Number(f.Item(2).GetValue()) != 1)
    cluster.numbering_prefix =
        "SET STATEMENT auto_increment_increment = 1, auto_increment_offset = 1 FOR ";
  cluster.max_rows = long(Number(f.Item(3).GetValue()));
  const long long max_size = Number(f.Item(4).GetValue());
  if (max_size > 0) {
    cluster.max_bytes = size_t(max_size) / kTextShare;
    const long size_rows = long(size_t(max_size) / kBytesPerRowShare);
    if (cluster.max_rows <= 0 || size_rows < cluster.max_rows) cluster.max_rows = size_rows;
    if (cluster.max_rows < 1) cluster.max_rows = 1;
  }
  return cluster;
}

long FitRows(const ClusterSession& cluster, long rows) {
  return cluster.max_rows > 0 && cluster.max_rows < rows ? cluster.max_rows : rows;
}

size_t FitBytes(const ClusterSession& cluster, size_t bytes) {
  return cluster.max_bytes > 0 && cluster.max_bytes < bytes ? cluster.max_bytes : bytes;
}

std::string LoadDataNumbering(db::Connection& mysql, const ClusterSession& cluster,
                              const std::string& mysql_table, const std::string& insert_columns) {
  if (cluster.numbering_prefix.empty()) return "";
  std::unique_ptr<db::Recordset> column = mysql.Execute(
      "SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() "
      "AND TABLE_NAME = " +
      Quoted(mysql_table) + " AND EXTRA LIKE '%auto_increment%'");
  if (column->Eof()) return "";
  const std::string name = "`" + column->Fields().Item(0).GetValue().ToString() + "`";
  if (insert_columns.find(name) != std::string::npos) return "";
  mysql.Execute("SET @mdbtomysql_number = (SELECT COALESCE(MAX(" + name + "), 0) FROM " +
                mysql_table + ")");
  return " SET " + name + " = (@mdbtomysql_number := @mdbtomysql_number + 1)";
}

bool IsClusterHiccup(const ClusterSession& cluster, const db::Error& error) {
  if (!cluster.replicated || error.number() != db::kProviderError) return false;
  const std::string& text = error.description();
  for (const char* sign :
       {"Not connected to Primary Component", "WSREP has not yet prepared node for application use",
        "WSREP detected deadlock/conflict", "Deadlock found when trying to get lock"})
    if (text.find(sign) != std::string::npos) return true;
  return false;
}

bool RecoverFromHiccup(db::Connection& mysql, const ClusterSession& cluster, const db::Error& error,
                       int attempt) {
  if (attempt >= kTries || !IsClusterHiccup(cluster, error)) return false;
  try {
    mysql.Execute("ROLLBACK");
  } catch (const db::Error&) {
    // The server has rolled the transaction back already.
  }
  const auto give_up = std::chrono::steady_clock::now() + kPrimaryWait;
  for (;;) {
    std::this_thread::sleep_for(kPoll * attempt);
    std::unique_ptr<db::Recordset> ready = mysql.Execute(
        "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = "
        "'WSREP_READY'");
    if (!ready->Eof() && ready->Fields().Item(0).GetValue().ToString() == "ON") return true;
    if (std::chrono::steady_clock::now() > give_up) return false;
  }
}

std::unique_ptr<db::Recordset> ExecuteOnCluster(db::Connection& mysql,
                                                const ClusterSession& cluster,
                                                const std::string& statement) {
  for (int attempt = 1;; ++attempt) {
    try {
      return mysql.Execute(statement);
    } catch (const db::Error& e) {
      if (!RecoverFromHiccup(mysql, cluster, e, attempt)) throw;
    }
  }
}

void RefuseUnreplicatedTable(db::Connection& mysql, const ClusterSession& cluster,
                             const std::string& mysql_table) {
  if (!cluster.replicated) return;
  std::unique_ptr<db::Recordset> engine = mysql.Execute(
      "SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
      "AND TABLE_NAME = " +
      Quoted(mysql_table));
  const std::string found = engine->Eof() ? "" : engine->Fields().Item(0).GetValue().ToString();
  if (base::ToLowerAscii(found) == "innodb") return;
  throw db::Error(db::kProviderError,
                  mysql_table + " was created as a " + (found.empty() ? "non-InnoDB" : found) +
                      " table, and the Galera cluster of this server replicates only InnoDB "
                      "tables: its rows would stay on this server alone, so none were copied. "
                      "Make InnoDB the server's default storage engine (default_storage_engine) "
                      "and migrate again.");
}

}  // namespace migrate
