#ifndef MDBTOMYSQL_MIGRATE_CLUSTER_SESSION_H_
#define MDBTOMYSQL_MIGRATE_CLUSTER_SESSION_H_

#include <cstddef>
#include <memory>
#include <string>

#include "db/connection.h"
#include "db/error.h"

namespace migrate {

// What a node of a Galera cluster asks of the migration's session so that every node ends as one
// server would. Read once when a migration starts; on one server every member keeps the value
// that changes nothing.
struct ClusterSession {
  // The server replicates to other nodes (wsrep_on).
  bool replicated = false;
  // Put before every INSERT of the copy. A node of a cluster that spreads the numbers over its
  // nodes (1, 4, 7 ... on one, 2, 5, 8 ... on the next) sets the session's
  // auto_increment_increment and _offset back before each statement, so only a setting for the
  // statement itself numbers the rows 1, 2, 3 ... as one server does. (LOAD DATA cannot have it:
  // the client library sends a file only for a statement that begins with LOAD.)
  std::string numbering_prefix;
  // What one transaction may carry; 0 is no limit. `max_rows` is the node's wsrep_max_ws_rows;
  // `max_bytes` counts the rows' text as the copy sends it, well inside wsrep_max_ws_size, since a
  // replicated row takes up to four times its text plus its key.
  long max_rows = 0;
  size_t max_bytes = 0;
};

// Reads the settings of the server `mysql` talks to. A server that has no Galera settings at all
// (MySQL, or MariaDB built without them) is one server.
ClusterSession ReadClusterSession(db::Connection& mysql);

// `rows` or `bytes` of one transaction of the copy, lowered to what the cluster takes.
long FitRows(const ClusterSession& cluster, long rows);
size_t FitBytes(const ClusterSession& cluster, size_t bytes);

// For LOAD DATA into `mysql_table` on a node that numbers rows its own way: when the table's
// auto-increment column is not among `insert_columns` (the MYSQL_IDD key), sets a session
// variable to the largest number the table holds and returns the SET clause that numbers the
// file's lines on from it, as the table's counter would on one server. Empty otherwise.
std::string LoadDataNumbering(db::Connection& mysql, const ClusterSession& cluster,
                              const std::string& mysql_table, const std::string& insert_columns);

// True when `error` refused a statement only because the node was, for a moment, not in the
// cluster's primary component, as while the cluster makes up its mind about a node that went
// away: the statement changed nothing, and the same statement can go again once the node is back
// in the primary component. (Messages, since the driver gives no server error numbers.)
bool IsClusterHiccup(const ClusterSession& cluster, const db::Error& error);

// After `error` on try number `attempt`: when it is a hiccup and tries are left, rolls back what
// the session had open, waits until the node is in the primary component again and returns
// true; returns false otherwise. Raises db::Error when the node cannot be asked.
bool RecoverFromHiccup(db::Connection& mysql, const ClusterSession& cluster, const db::Error& error,
                       int attempt);

// Runs a statement that commits itself, sending it again after a hiccup.
std::unique_ptr<db::Recordset> ExecuteOnCluster(db::Connection& mysql,
                                                const ClusterSession& cluster,
                                                const std::string& statement);

// Raises db::Error(kProviderError) with a message a person can act on when `mysql_table` was
// created with an engine the cluster does not replicate: its rows would stay on this node alone.
// On one server it asks nothing.
void RefuseUnreplicatedTable(db::Connection& mysql, const ClusterSession& cluster,
                             const std::string& mysql_table);

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_CLUSTER_SESSION_H_
