#include "links/link_refresh.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

#include "base/error.h"
#include "base/trim.h"
#include "base/utf16.h"
#include "base/ascii_case.h"
#include "db/connection_strings.h"
#include "db/error.h"
#include "db/mysql_quoting.h"
#include "db/source_session.h"

namespace links {
namespace {

std::string DaoConnect() { return std::string(";pwd=") + db::kSourcePassword; }

}  // namespace

bool IsLinkableName(const std::string& name) {
  if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
    if (std::string_view(".!`[];").find(static_cast<char>(c)) != std::string_view::npos) {
      return false;
    }
  }
  return base::Utf8ToUtf16(name).size() <= kMaxTableName;
}

db::Connection& DataSourceSession() {
  static db::Connection session;
  return session;
}

std::string TableQuery(const std::string& db_Code) {
  // A quote or backslash in the name must not end the literal: the query would then list the
  // tables of other databases, and every source table of those names would be dropped.
  return "SELECT table_name FROM information_schema.tables where table_schema=" +
         db::QuoteMySqlTextAndBackslashes(db_Code) + ";";
}

LinkRefresh::LinkRefresh(std::string source_path, std::string database, ui::Screen& screen,
                         DaoOpener open_database)
    : source_path_(std::move(source_path)),
      database_(std::move(database)),
      screen_(screen),
      open_database_(std::move(open_database)) {}

void LinkRefresh::Skip(const std::string& what, const std::exception& e) {
  screen_.SetPointer(ui::Pointer::kHourglass);
  outcome_.skipped.push_back(what + ": " + base::DescriptionOf(e));
}

std::string LinkRefresh::RefreshODBCLinks(const std::string& db_Code) {
  outcome_ = Outcome{};
  if (!ListTables(db_Code) || !CanLinkBeforeDropping()) {
    // No table list, or no way to link what a DROP would take: nothing dropped, nothing to
    // claim.
    screen_.SetPointer(ui::Pointer::kArrow);
    return "FAIL";
  }
  ui::Progress progress = ui::Progress::Step("Linking");
  progress.items = static_cast<int>(outcome_.tables.size());
  for (const std::string& table_name : outcome_.tables) {
    ++progress.item;
    progress.item_name = table_name;
    screen_.ShowProgress(progress);
    if (table_name == kExcludedTable) continue;
    if (!IsLinkableName(table_name)) {
      // The engine's SQL would read such a name as another table's ("tblemployee;",
      // "[tblLeave_Header]", " tblx"), and Jet could not give the link that name.
      outcome_.skipped_names.push_back(table_name);
      continue;
    }
    if (!RelinkTable(db_Code, table_name)) {
      AccountAfterFileError(progress.item);
      break;
    }
  }
  screen_.SetPointer(ui::Pointer::kArrow);
  return outcome_.file_error.empty() ? "SUCCESS" : "FAIL";
}

void LinkRefresh::AccountAfterFileError(int walked) {
  // A write that failed may have passed its commit point: what the file now holds says which
  // tables of the walk are gone, and which link is in place after all.
  std::vector<db::dao::TableDef> defs;
  try {
    defs = open_database_(source_path_, false, false, DaoConnect())->TableDefs();
  } catch (const std::exception& e) {
    Skip("reading the table definitions after the failure", e);
    return;
  }
  auto find = [&defs](const std::string& name) -> const db::dao::TableDef* {
    for (const db::dao::TableDef& def : defs)
      if (base::EqualsIgnoringCase(def.name, name)) return &def;
    return nullptr;
  };
  auto contains = [](const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  for (int i = 0; i < walked && i < static_cast<int>(outcome_.tables.size()); ++i) {
    const std::string& name = outcome_.tables[i];
    if (name == kExcludedTable || contains(outcome_.skipped_names, name)) continue;
    const db::dao::TableDef* def = find(name);
    if (def == nullptr) {
      if (!contains(outcome_.dropped_not_linked, name)) outcome_.dropped_not_linked.push_back(name);
      std::erase(outcome_.linked, name);
      if (!contains(outcome_.not_linked, name)) outcome_.not_linked.push_back(name);
    } else if (!def->connect.empty() && !contains(outcome_.linked, name)) {
      std::erase(outcome_.not_linked, name);
      std::erase(outcome_.dropped_not_linked, name);
      outcome_.linked.push_back(name);
    }
  }
}

bool LinkRefresh::RelinkTable(const std::string& db_Code, const std::string& table_name) {
  bool dropped = false;
  bool linked = false;
  try {
    db::SourceSession().Execute("DROP TABLE " + table_name);
    dropped = true;
  } catch (const std::exception& e) {
    if (StopsTheWalk(e)) return false;
    Skip("DROP TABLE " + table_name, e);
  }
  try {
    linked = bDoTableLink(db_Code, table_name);
  } catch (const std::exception& e) {
    if (StopsTheWalk(e)) {
      if (dropped) outcome_.dropped_not_linked.push_back(table_name);
      outcome_.not_linked.push_back(table_name);
      return false;
    }
    Skip("linking " + table_name, e);
  }
  (linked ? outcome_.linked : outcome_.not_linked).push_back(table_name);
  if (dropped && !linked) outcome_.dropped_not_linked.push_back(table_name);
  return true;
}

bool LinkRefresh::StopsTheWalk(const std::exception& e) {
  const auto* error = dynamic_cast<const db::Error*>(&e);
  if (error == nullptr || error->number() != db::kDiskOrNetworkError) return false;
  // The file itself failed (a write, a sync, no space): it holds what the engine's write order
  // left, and nothing more is written to it.
  outcome_.file_error = error->description();
  return true;
}

bool LinkRefresh::ListTables(const std::string& db_Code) {
  // A new connection in effect: the one global object is closed and set up afresh, so that a
  // caller holding DataSourceSession() never holds a dangling one.
  db::Connection& data_source = DataSourceSession();
  std::unique_ptr<db::Recordset> rs;
  try {
    if (data_source.State() == db::kAdStateOpen) data_source.Close();
    data_source.SetCursorLocation(db::kAdUseClient);
    data_source.SetConnectionString(db::DataSourceConnectionString(db_Code));
    data_source.Open(data_source.ConnectionString(), "", "", db::kAdConnectUnspecified);
  } catch (const std::exception& e) {
    Skip("opening the data source " + db_Code, e);
    outcome_.failure = base::DescriptionOf(e);
    return false;
  }
  try {
    rs = data_source.Execute(TableQuery(db_Code));
  } catch (const std::exception& e) {
    Skip(TableQuery(db_Code), e);
    outcome_.failure = base::DescriptionOf(e);
    return false;
  }
  // The list is read whole before anything is dropped; a read that breaks off leaves the names
  // after it untouched.
  try {
    if (!(rs->Eof() || rs->Bof())) {
      while (!rs->Eof()) {
        outcome_.tables.push_back(rs->Fields().Item("table_name").GetValue().ToString());
        rs->MoveNext();
      }
    }
  } catch (const std::exception& e) {
    Skip("reading the table list", e);
  }
  return true;
}

bool LinkRefresh::CanLinkBeforeDropping() {
  // Every DROP would be followed by a link that cannot be written when the engine cannot link,
  // or when the file does not open through DAO: the table would simply be gone. Ask once before
  // the first DROP.
  bool to_walk = false;
  for (const std::string& table_name : outcome_.tables) to_walk |= table_name != kExcludedTable;
  if (!to_walk) return true;
  try {
    std::unique_ptr<db::dao::Database> dbs = open_database_(source_path_, false, false, DaoConnect());
    if (dbs->CanLinkTables()) {
      // What an earlier relink stopped part way left goes first: the links written now then
      // leave a file that checks clean.
      try {
        dbs->RemoveLeftovers();
      } catch (const std::exception& e) {
        if (StopsTheWalk(e)) return false;
        Skip("removing what an interrupted relink left", e);
      }
      return true;
    }
    outcome_.failure = "Linked tables are not supported by this engine yet: nothing was dropped.";
  } catch (const std::exception& e) {
    Skip("opening " + source_path_ + " for its table definitions", e);
    outcome_.failure = base::DescriptionOf(e);
  }
  return false;
}

bool LinkRefresh::bDoTableLink(const std::string& /*CompanyCode*/, const std::string& TableName) {
  // Errors opening the file reach the caller.
  std::unique_ptr<db::dao::Database> dbs =
      open_database_(source_path_, false, false, DaoConnect());
  const std::string connect = db::LinkConnectString(database_);
  const std::string& name = TableName;
  try {
    bool missing = false;
    db::dao::TableDef tdf;
    try {
      tdf = dbs->TableDefByName(name);
    } catch (...) {
      missing = true;
    }
    if (missing) {
      tdf = db::dao::Database::CreateTableDef(name);
      tdf.connect = connect;
      tdf.source_table_name = name;
      dbs->AppendTableDef(tdf);
      return true;
    }
    const std::string c = base::ToUpperAscii(std::string(base::TrimSpaces(tdf.connect)));
    if (c.empty()) return false;  // a local table keeps its name
    const bool same_table = base::ToUpperAscii(std::string(base::TrimSpaces(tdf.source_table_name))) == base::ToUpperAscii(name);
    if (c.find(base::ToUpperAscii(connect)) != std::string::npos) return same_table;
    if (!same_table) return false;
    // A link to the same table through another data source: point it here.
    tdf.connect = connect;
    dbs->RefreshLink(tdf);
    return true;
  } catch (const db::Error& e) {
    // The file failing is no answer about the link: the caller must stop.
    if (e.number() == db::kDiskOrNetworkError) throw;
    return false;
  } catch (...) {
    return false;
  }
}

}  // namespace links
