#ifndef MDBTOMYSQL_JET_CHECK_PARTS_H_
#define MDBTOMYSQL_JET_CHECK_PARTS_H_

// The parts of the full check (CheckDatabase), one concept each. Each adds what it finds to the
// report, one line per fault, starting with the table ("table tblEmployee", "system table
// MSysObjects") where there is one and naming the page. Internal to the engine.

#include <map>
#include <set>
#include <string>

#include "jet/check.h"
#include "jet/index_page.h"
#include "jet/page_cache.h"
#include "jet/row.h"
#include "jet/table_def.h"

namespace jet {

// Every column's type, length, offsets and numbers fit its type and the other columns: the
// reader of the rows trusts them all.
void CheckColumns(const TableDef& def, const std::string& table, CheckReport* report);

// The catalogue (MSysObjects) has the columns and indexes every Jet 4 catalogue has, of their
// types: every reader finds the tables through them.
void CheckCatalogueDefinition(const TableDef& def, CheckReport* report);

// A table's data pages: each header agrees with its slots (the free space the writers trust, a
// slot count a row pointer can address). AddPage() for each data page, then Finish().
class DataPageCheck {
 public:
  DataPageCheck(const std::string& table, CheckReport* report) : table_(table), report_(report) {}
  void AddPage(const Page& page);
  // Slots hidden as a moved row's data that no moved row points to: what an update stopped after
  // writing the moved data leaves (an unreachable row, as Access skips it), unless the table's
  // `row_count` counts them among its `live_rows` (a live row whose slot was damaged). Some
  // readers (mdb-reader) list them as rows.
  void Finish(size_t live_rows, uint32_t row_count);

 private:
  std::string table_;
  CheckReport* report_;
  std::set<uint32_t> hidden_;    // slots flagged deleted but not moved, page << 8 | slot
  std::set<uint32_t> moved_to_;  // where moved rows point
};

// The pages of an index tree carry the header fields Access writes: the free space of their
// entries, no tail on leaves, nothing where Access writes zero.
void CheckIndexPages(PageCache& cache, const IndexTree& tree, const std::string& where,
                     CheckReport* report);

// Every page in `used` (page -> what uses it) is in use in the global usage map; the pages
// neither used nor free become the report's unreachable pages.
void CheckGlobalMap(PageCache& cache, const std::map<PageNumber, std::string>& used,
                    CheckReport* report);

// What is wrong with a property blob of the catalogue (MSysObjects.LvProp): not "MR2" followed
// by chunks (name lists, then the object's and its columns' values) that fill it exactly. "" for
// a sound one.
std::string PropertyBlobFlaw(const uint8_t* blob, size_t size);

// The slot of a usage map's row carries no flags: mdb-reader reads a map row's offset with them.
void CheckMapRow(PageCache& cache, RowPointer map, const std::string& table, CheckReport* report);

// What is wrong with the Type of a catalogue row: one that readers who look only at its low
// seven bits (mdb-reader, mdbtools) take for a table or a link while it is none. "" when sound.
std::string CatalogueTypeFlaw(int64_t type);

// The pages a free-space map lists are data pages the table's page map lists as well (a row put
// on any other page would be lost to every reader).
void CheckFreeSpaceMap(PageCache& cache, RowPointer free_space, const std::set<PageNumber>& owned,
                       const std::string& what, CheckReport* report);

// The long values (Memo, OLE) of one table, read again piece by piece: each piece a live row of
// a long-value page that its column's page map lists, used by no other value, and the pieces
// adding up to the length the definition gives, as every reader assumes.
class LongValueCheck {
 public:
  LongValueCheck(PageCache& cache, const TableDef& def);

  // Reads the value of column `c` whose definition is [definition, definition + length) into
  // `out`. Returns "" or what is wrong with it.
  std::string Read(const Column& c, const uint8_t* definition, size_t length, std::string* out);

 private:
  std::string Piece(const Column& c, RowPointer where, const uint8_t** data, size_t* length);

  PageCache& cache_;
  std::map<uint16_t, std::set<PageNumber>> column_pages_;  // column number -> its map's pages
  std::set<uint32_t> pieces_;                              // every piece read, page << 8 | row
  PageRef page_;                                           // holds the last piece's bytes
};

// The values of one table's rows, beyond what decoding them checks: text no typing gives, dates
// outside Jet's years, long values LongValueCheck refuses, the catalogue's property blobs, rows
// claiming more columns than the table has or whose offset table does not run forward. One
// object per table; Row() for each live row.
class RowValueCheck {
 public:
  RowValueCheck(PageCache& cache, const TableDef& def, CheckReport* report)
      : cache_(cache), def_(def), report_(report), long_values_(cache, def) {}

  // The row whose bytes are [row, row + length) on `page`; `where` names it in messages
  // ("table tblEmployee: row page 40 slot 3").
  void Row(const uint8_t* row, size_t length, PageNumber page, const std::string& where);

 private:
  std::string ValueFlaw(const Column& c, const uint8_t* data, size_t size);
  std::string OffsetsFlaw(const StoredRow& layout) const;

  PageCache& cache_;
  const TableDef& def_;
  CheckReport* report_;
  LongValueCheck long_values_;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_CHECK_PARTS_H_
