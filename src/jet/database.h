#ifndef MDBTOMYSQL_JET_DATABASE_H_
#define MDBTOMYSQL_JET_DATABASE_H_

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/catalogue.h"
#include "jet/date_time.h"
#include "jet/error.h"
#include "jet/header.h"
#include "jet/page_cache.h"
#include "jet/table_cursor.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// An open Jet 4 database file: the public face of the engine.
//
//   jet::Database db = jet::Database::Open("VELDA.mdb", "qarnivel");
//   for (const jet::CatalogueEntry& t : db.Tables()) ...
//   jet::TableCursor rows = db.OpenTable("tblEmployee");
//   while (rows.Next()) use(rows.values());
//
// Every failure throws jet::Error. The file is opened read-only and shared. A Database is not
// safe for use from several threads at once; cursors must not outlive it.
class Database {
 public:
  // Opens the file at `path` and checks `password` against the one stored in the header (a file
  // without a password opens with any). Reads the catalogue.
  static Database Open(const std::string& path, const std::string& password);

  // The same over a file image held in memory; `name` is used in messages.
  static Database OpenMemory(std::string name, std::string bytes, const std::string& password);

  Database(Database&&) noexcept;
  Database& operator=(Database&&) noexcept;
  ~Database();

  const std::string& file_name() const;
  const Header& header() const { return header_; }

  // The tables of the catalogue in stored order: local, system and linked ones.
  // When another writer changed the file since it was read (the session that dropped a table,
  // seen from the table definitions' view of the same file), Tables() and FindTable() read the
  // catalogue again first, invalidating earlier references as Reload() does.
  const std::vector<CatalogueEntry>& Tables() const;

  // The table named `name` (case-insensitive), or nullptr.
  const CatalogueEntry* FindTable(std::string_view name) const;

  // The definition of table `name` (case-insensitive). For an ODBC link it is the cached remote
  // structure. Throws jet::Error for an unknown table or one without a definition in this file
  // (a link to another Access file).
  const TableDef& GetTableDef(std::string_view name);

  // A cursor over the rows of local or system table `name`. Throws jet::Error for an unknown
  // table or a linked one (its rows live elsewhere).
  TableCursor OpenTable(std::string_view name);

  // The page cache of the file, for layers built on the engine.
  PageCache& cache() { return *cache_; }

  // Reads the catalogue again and forgets the definitions read so far; after a write changed
  // them. References from Tables(), FindTable() and GetTableDef() become invalid.
  void Reload();

 private:
  Database(std::unique_ptr<PageFile> file, const std::string& password);
  std::shared_ptr<const TableDef> Definition(const CatalogueEntry& entry);
  const CatalogueEntry& Require(std::string_view name) const;

  std::unique_ptr<PageCache> cache_;
  Header header_;
  // Reads the catalogue again when the file changed outside.
  void Refresh() const;

  mutable std::vector<CatalogueEntry> tables_;
  mutable std::map<PageNumber, std::shared_ptr<const TableDef>> definitions_;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DATABASE_H_
