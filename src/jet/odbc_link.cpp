#include "jet/odbc_link.h"

#include <optional>

#include "base/utf16.h"
#include "jet/append_rows.h"
#include "jet/catalogue_name_key.h"
#include "jet/drop_table.h"
#include "jet/error.h"
#include "jet/index_edit.h"
#include "jet/long_value.h"
#include "jet/page_allocator.h"
#include "jet/permissions.h"
#include "jet/row.h"
#include "jet/row_placement.h"
#include "jet/stored_value.h"
#include "jet/text.h"
#include "jet/write_guard.h"

namespace jet {
namespace {

// Catalogue flags of an ODBC link as Access writes them (0x20000000 is DAO's dbAttachedODBC).
constexpr int64_t kOdbcLinkFlags = 0x20100000;
constexpr size_t kMaxNameLength = 64;
// How the catalogue's columns are named in messages.
constexpr char kCatalogue[] = "the catalogue";

// The position in def.real_indexes of the logical index named `name`, or nothing.
std::optional<size_t> IndexNamed(const TableDef& def, const char* name) {
  for (const Index& index : def.indexes) {
    if (index.name == name && index.real_index < def.real_indexes.size()) return index.real_index;
  }
  return std::nullopt;
}

// What a new catalogue row needs from the catalogue: the Tables container's Id, the owner SID
// that the file's objects carry, and where the link's own row is.
struct CatalogueFacts {
  int32_t tables_id = 0;
  std::string owner;
  std::optional<RowPointer> row;  // the row whose Id is the one looked for
  StoredColumns stored;           // that row, split
};

CatalogueFacts ReadFacts(Database& db, int32_t id) {
  const TableDef& def = db.GetTableDef("MSysObjects");
  const int id_at = def.ColumnIndex("Id"), parent_at = def.ColumnIndex("ParentId"),
            name_at = def.ColumnIndex("Name"), type_at = def.ColumnIndex("Type"),
            owner_at = def.ColumnIndex("Owner");
  if (id_at < 0 || parent_at < 0 || name_at < 0 || type_at < 0 || owner_at < 0) {
    throw Error(db.file_name() + ": the catalogue lacks one of its columns");
  }
  CatalogueFacts facts;
  bool found_tables = false;
  TableCursor rows = db.OpenTable("MSysObjects");
  while (rows.Next()) {
    const std::string name = TextValue(rows[name_at]);
    if (IntegerValue(rows[parent_at]) == kRootContainers && name == "Tables") {
      facts.tables_id = static_cast<int32_t>(IntegerValue(rows[id_at]).value_or(0));
      found_tables = true;
    }
    if (IntegerValue(rows[type_at]) == kObjectDatabase && name == "MSysDb") {
      if (const Binary* owner = std::get_if<Binary>(&rows[owner_at])) facts.owner = owner->bytes;
    }
    if (id != 0 && IntegerValue(rows[id_at]) == id &&
        IntegerValue(rows[type_at]) == kObjectOdbcLink) {
      facts.row = RowPointer{rows.page(), static_cast<uint8_t>(rows.slot())};
    }
  }
  if (!found_tables) throw Error(db.file_name() + ": the catalogue has no Tables container");
  if (facts.owner.empty()) facts.owner = kDefaultOwnerSid;
  if (facts.row) {
    const RowLocation at = LocateRow(db.cache(), *facts.row);
    facts.stored = SplitRow(def, at.bytes(), at.slot.length, db.cache(), at.where.page);
  }
  return facts;
}

void Set(StoredColumns* stored, const Column& column, std::optional<std::string> bytes) {
  if (stored->size() <= column.number) stored->resize(column.number + 1u);
  (*stored)[column.number] = std::move(bytes);
}

// The catalogue row's columns that describe the link: Connect, ForeignName, RmtInfoLong and the
// update date (plus everything else for a new row). Stores the long values (pages modified).
void DescribeLink(Database& db, StoredColumns* stored, const std::string& connect,
                  const std::string& foreign_name, const RemoteTable& remote, double now) {
  PageCache& cache = db.cache();
  const TableDef& def = db.GetTableDef("MSysObjects");
  const std::string& file = db.file_name();
  const Column& connect_column = RequireColumn(def, "Connect", kCatalogue, file);
  const std::string connect_text = EncodeText(
      connect, connect_column.compressed_unicode() && connect.size() <= kMaxCompressedMemo);
  Set(stored, connect_column, StoreLongValue(cache, def, connect_column, connect_text));
  const Column& foreign = RequireColumn(def, "ForeignName", kCatalogue, file);
  Set(stored, foreign, StoreValue(foreign, foreign_name));
  const Column& info = RequireColumn(def, "RmtInfoLong", kCatalogue, file);
  Set(stored, info, StoreLongValue(cache, def, info, RemoteInfo(remote)));
  const Column& updated = RequireColumn(def, "DateUpdate", kCatalogue, file);
  Set(stored, updated, StoreValue(updated, Date{now}));
}

void RequireName(const std::string& name, const std::string& file) {
  const size_t characters = base::Utf8ToUtf16(name).size();
  if (name.empty() || characters > kMaxNameLength || name.front() == ' ') {
    throw Error(file + ": '" + name + "' is not a valid table name");
  }
}

// What a new link's writes need, gathered (and checked) before the first of them.
struct NewLink {
  NewTableDef structure;
  TableDef catalogue;
  CatalogueFacts facts;
  std::vector<Ace> aces;
  std::vector<size_t> index_order;  // the catalogue's Id index, then its name index
};

// Refuses, before anything is locked, a name that is not valid or is taken and a remote table
// without columns.
void RequireNewLink(Database& db, const std::string& name, const std::string& foreign_name,
                    const RemoteTable& remote) {
  const std::string& file = db.file_name();
  RequireName(name, file);
  if (db.FindTable(name) != nullptr) {
    throw Error(file + ": a table named '" + name + "' already exists");
  }
  if (remote.columns.empty()) {
    throw Error(file + ": the remote table " + foreign_name + " has no columns");
  }
}

// Reads what the writes need under the write guard, refusing a catalogue without its indexes or
// whose names this engine cannot key.
NewLink GatherLink(Database& db, const RemoteTable& remote) {
  const std::string& file = db.file_name();
  NewLink link;
  link.structure = LinkStructure(remote);
  link.catalogue = db.GetTableDef("MSysObjects");
  link.facts = ReadFacts(db, 0);
  link.aces = NewTableAces(db, link.facts.tables_id);
  const std::optional<size_t> id_index = IndexNamed(link.catalogue, "Id");
  const std::optional<size_t> name_index = IndexNamed(link.catalogue, "ParentIdName");
  if (!id_index || !name_index) {
    throw Error(file + ": the catalogue lacks its Id or ParentIdName index");
  }
  link.index_order = {*id_index, *name_index};
  RequireWritableSortOrder(RequireColumn(link.catalogue, "Name", kCatalogue, file),
                           "MSysObjects.Name", file);
  return link;
}

// The link's permission rows and their index entries, like those of the file's other tables.
void WriteAces(Database& db, int32_t id, const std::vector<Ace>& aces) {
  if (aces.empty()) return;
  const TableDef ace_def = db.GetTableDef("MSysACEs");
  AppendRows(db.cache(), ace_def, AceRows(ace_def, id, aces, db.file_name()), AllIndexes(ace_def));
}

// The link's catalogue row with its long values, the row count, then its entries: by Id, then
// by name, from which write on the link exists.
void WriteCatalogueRow(Database& db, const NewLink& link, int32_t id, const std::string& name,
                       const std::string& connect, const std::string& foreign_name,
                       const RemoteTable& remote, double now) {
  StoredColumns stored = EncodeRow(link.catalogue,
                                   {{"Id", int64_t{id}},
                                    {"ParentId", int64_t{link.facts.tables_id}},
                                    {"Name", name},
                                    {"Type", int64_t{kObjectOdbcLink}},
                                    {"DateCreate", Date{now}},
                                    {"Owner", Binary{link.facts.owner}},
                                    {"Flags", kOdbcLinkFlags}},
                                   kCatalogue, db.file_name());
  DescribeLink(db, &stored, connect, foreign_name, remote, now);
  db.cache().Flush();  // long-value rows before the row that refers to them
  AppendRows(db.cache(), link.catalogue, {stored}, link.index_order);
}

}  // namespace

void CreateOdbcLink(Database& db, const std::string& name, const std::string& connect,
                    const std::string& foreign_name, const RemoteTable& remote, double now) {
  RequireNewLink(db, name, foreign_name, remote);
  WriteGuard guard(db);
  const NewLink link = GatherLink(db, remote);
  // The name's key, and that no table has it, before the first write.
  RequireFreeCatalogueKey(db.cache(), link.catalogue,
                          link.catalogue.real_indexes[link.index_order[1]], link.facts.tables_id,
                          name);
  RunWriteSteps(db, [&] {
    // The cached structure: unreachable until the catalogue row names it.
    const WrittenTableDef written = WriteTableDef(db.cache(), link.structure);
    db.cache().Flush();
    const int32_t id = static_cast<int32_t>(written.first);
    WriteAces(db, id, link.aces);
    WriteCatalogueRow(db, link, id, name, connect, foreign_name, remote, now);
  });
}

void RefreshOdbcLink(Database& db, const std::string& name, const std::string& connect,
                     const std::string& foreign_name, const RemoteTable& remote, double now) {
  const std::string file = db.file_name();
  const CatalogueEntry* entry = db.FindTable(name);
  if (entry == nullptr) throw Error(file + ": there is no table named '" + name + "'");
  if (entry->kind != TableKind::kLinkedOdbc || entry->table_def == 0) {
    throw Error(file + ": '" + name + "' is not an ODBC link with a cached structure");
  }
  if (remote.columns.empty()) throw Error(file + ": the remote table " + foreign_name + " has no columns");
  const PageNumber first = entry->table_def;
  const NewTableDef structure = LinkStructure(remote);
  WriteGuard guard(db);
  PageCache& cache = db.cache();
  const TableDef catalogue = db.GetTableDef("MSysObjects");
  CatalogueFacts facts = ReadFacts(db, static_cast<int32_t>(first));
  if (!facts.row) throw Error(file + ": the catalogue row of '" + name + "' was not found");
  std::set<PageNumber> old = TablePages(cache, first);
  old.erase(first);
  RunWriteSteps(db, [&] {
    WriteTableDef(cache, structure, first);  // the structure switches with this page
    cache.Flush();
    DescribeLink(db, &facts.stored, connect, foreign_name, remote, now);
    cache.Flush();
    ReplaceRow(cache, catalogue, *facts.row, facts.stored);
    cache.Flush();
    FreePages(cache, old);
    cache.Flush();
  });
}

}  // namespace jet
