#ifndef MDBTOMYSQL_LINKS_LINK_REFRESH_H_
#define MDBTOMYSQL_LINKS_LINK_REFRESH_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/dao.h"
#include "ui/screen.h"

namespace links {

// The table the attendance system keeps in the .mdb only: never dropped, never linked.
inline constexpr const char* kExcludedTable = "tblencrword";

// The longest table name Jet allows, in characters.
inline constexpr size_t kMaxTableName = 64;

// Whether a name from the MySQL server may name a local table and a link: a name Jet allows for
// a table that the engine's SQL reads as exactly itself. No leading or trailing blank, none of
// ". ! ` [ ]", no ";", no control character, at most kMaxTableName characters.
bool IsLinkableName(const std::string& name);

// The one global data source session: a connection through the registered ODBC data source,
// replaced at every RefreshODBCLinks and used for its one query. Closed before the first call.
db::Connection& DataSourceSession();

// "SELECT table_name FROM information_schema.tables where table_schema='" + name + "';", with
// every quote and backslash of the name doubled so that it stays one literal.
std::string TableQuery(const std::string& db_Code);

// How the source file is opened through DAO; db::dao::OpenDatabase unless a test scripts it.
using DaoOpener = std::function<std::unique_ptr<db::dao::Database>(
    const std::string& name, bool exclusive, bool read_only, const std::string& connect)>;

// The main window's linked-table refresh: replaces the source database's table of every name the
// MySQL database holds by an ODBC link to that MySQL table. It drops through the global source
// session (db::SourceSession), links through DAO on the source file, and talks to a person only
// through the pointer and the progress display of `screen` (step "Linking", table k of n).
class LinkRefresh {
 public:
  // `source_path` and `database` are the source path and database fields as typed.
  LinkRefresh(std::string source_path, std::string database, ui::Screen& screen,
              DaoOpener open_database = db::dao::OpenDatabase);

  // Lists the MySQL tables through the data source `db_Code`, and for each name but
  // "tblencrword" sends "DROP TABLE name" on the source session and links the name anew
  // (bDoTableLink). A name that is not IsLinkableName is skipped, neither dropped nor linked.
  // Every failing statement is skipped and the walk goes on, but for a failure of the file
  // itself (db::kDiskOrNetworkError): then the walk stops at once. "SUCCESS" when a table list
  // was obtained and walked; "FAIL" when there was none (the data source did not open, the query
  // failed) or the engine cannot write links, and then nothing was dropped, or when the file
  // failed.
  std::string RefreshODBCLinks(const std::string& db_Code);

  // Makes `TableName` a link to the MySQL table of that name through the data source named by
  // the database field: creates it when the name is free, repairs a link to a table of the same
  // name elsewhere. True when the link is in place; false when the name is a local table or a
  // link to another table, or when the engine refused the link. Errors opening the file, and a
  // failure of the file itself (db::kDiskOrNetworkError), are raised. `CompanyCode` is not
  // used.
  bool bDoTableLink(const std::string& CompanyCode, const std::string& TableName);

  // What the last RefreshODBCLinks did, in order, for the command's report.
  struct Outcome {
    std::vector<std::string> tables;      // every name the query returned
    std::vector<std::string> linked;      // bDoTableLink gave true
    std::vector<std::string> not_linked;  // bDoTableLink gave false or raised
    // Dropped from the file and then not linked: gone from the front end until the backup is
    // put back.
    std::vector<std::string> dropped_not_linked;
    // Names of the list that are no table names Jet allows: neither dropped nor linked.
    std::vector<std::string> skipped_names;
    // The file's own failure that stopped the walk; empty when it did not fail.
    std::string file_error;
    std::vector<std::string> skipped;     // each skipped statement's error, "what: description"
    // Why there was nothing to walk (the data source's or the query's error), when "FAIL".
    std::string failure;
  };
  const Outcome& outcome() const { return outcome_; }

 private:
  void Skip(const std::string& what, const std::exception& e);
  // Reads the MySQL table names through the data source into the outcome; false, with the
  // reason as the outcome's failure, when there is no list.
  bool ListTables(const std::string& db_Code);
  // Whether the file's engine can write the links that replace the tables about to be dropped
  // (always, when nothing is to be walked); false with the reason as the outcome's failure.
  bool CanLinkBeforeDropping();
  // Drops and links one table; false when the file failed and the walk must stop.
  bool RelinkTable(const std::string& db_Code, const std::string& table_name);
  // Whether `e` is the file's own failure; then it is the outcome's file_error.
  bool StopsTheWalk(const std::exception& e);
  // After the file failed at the `walked`th table: the outcome's lists as the file now has them.
  void AccountAfterFileError(int walked);

  std::string source_path_;
  std::string database_;
  ui::Screen& screen_;
  DaoOpener open_database_;
  Outcome outcome_;
};

}  // namespace links

#endif  // MDBTOMYSQL_LINKS_LINK_REFRESH_H_
