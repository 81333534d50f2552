#include "jet/odbc_link.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/drop_table.h"
#include "jet/error.h"
#include "jet/index_edit.h"
#include "jet/long_value.h"
#include "jet/page_allocator.h"
#include "jet/row.h"
#include "jet/row_layout.h"
#include "jet/row_placement.h"
#include "jet/stored_value.h"
#include "jet/table_def_edit.h"
#include "jet/text.h"
#include "jet/write_guard.h"

namespace jet {
namespace {

// ODBC SQL type codes (sql.h, sqlext.h, sqlucode.h).
enum SqlType : int16_t {
  kSqlChar = 1,
  kSqlNumeric = 2,
  kSqlDecimal = 3,
  kSqlInteger = 4,
  kSqlSmallInt = 5,
  kSqlFloat = 6,
  kSqlReal = 7,
  kSqlDouble = 8,
  kSqlDateV2 = 9,
  kSqlTimeV2 = 10,
  kSqlTimestampV2 = 11,
  kSqlVarChar = 12,
  kSqlDate = 91,
  kSqlTime = 92,
  kSqlTimestamp = 93,
  kSqlLongVarChar = -1,
  kSqlBinary = -2,
  kSqlVarBinary = -3,
  kSqlLongVarBinary = -4,
  kSqlBigInt = -5,
  kSqlTinyInt = -6,
  kSqlBit = -7,
  kSqlWChar = -8,
  kSqlWVarChar = -9,
  kSqlWLongVarChar = -10,
  kSqlGuid = -11,
};

constexpr int32_t kTablesParent = 0x0F000000;
constexpr int16_t kTypeOdbcLink = 4;
constexpr int16_t kTypeDatabaseObject = 2;
// Catalogue flags of an ODBC link as Access writes them (0x20000000 is DAO's dbAttachedODBC).
constexpr int64_t kOdbcLinkFlags = 0x20100000;
constexpr int64_t kFullAccessAcm = 0x000FFEFF;  // what Access gives a new table's owners
constexpr size_t kMaxNameLength = 64;
constexpr uint16_t kFixed = 0x01;
constexpr uint16_t kUpdatable = 0x02;

Column Fixed(uint8_t type, uint16_t length) {
  Column c;
  c.type = type;
  c.length = length;
  c.flags = kFixed | kUpdatable;
  return c;
}

Column Variable(uint8_t type, uint16_t length) {
  Column c;
  c.type = type;
  c.length = length;
  c.flags = kUpdatable;
  return c;
}

Column MapColumn(const RemoteColumn& r) {
  Column c;
  switch (r.sql_type) {
    case kSqlBit:
      c = Fixed(kTypeBoolean, 1);
      break;
    case kSqlTinyInt:
      c = r.is_unsigned ? Fixed(kTypeByte, 1) : Fixed(kTypeInteger, 2);
      break;
    case kSqlSmallInt:
      c = Fixed(kTypeInteger, 2);
      break;
    case kSqlInteger:
      c = Fixed(kTypeLong, 4);
      break;
    case kSqlReal:
      c = Fixed(kTypeSingle, 4);
      break;
    case kSqlFloat:
    case kSqlDouble:
      c = Fixed(kTypeDouble, 8);
      break;
    case kSqlDecimal:
    case kSqlNumeric:
      if (r.size <= 28) {
        c = Fixed(kTypeDecimal, 17);
        c.precision = static_cast<uint8_t>(r.size);
        c.scale = static_cast<uint8_t>(std::clamp<int16_t>(r.digits, 0, 28));
      } else {
        c = Variable(kTypeText, 2 * 255);
      }
      break;
    case kSqlChar:
    case kSqlVarChar:
    case kSqlWChar:
    case kSqlWVarChar:
      c = r.size >= 1 && r.size <= 255 ? Variable(kTypeText, static_cast<uint16_t>(2 * r.size))
                                       : Variable(kTypeMemo, 0);
      break;
    case kSqlLongVarChar:
    case kSqlWLongVarChar:
      c = Variable(kTypeMemo, 0);
      break;
    case kSqlDate:
    case kSqlTime:
    case kSqlTimestamp:
    case kSqlDateV2:
    case kSqlTimeV2:
    case kSqlTimestampV2:
      c = Fixed(kTypeDateTime, 8);
      break;
    case kSqlBinary:
    case kSqlVarBinary:
      c = r.size >= 1 && r.size <= 510 ? Variable(kTypeBinary, static_cast<uint16_t>(r.size))
                                       : Variable(kTypeOle, 0);
      break;
    case kSqlLongVarBinary:
      c = Variable(kTypeOle, 0);
      break;
    case kSqlGuid:
      c = Fixed(kTypeGuid, 16);
      break;
    case kSqlBigInt:  // Jet 4 has no 64-bit integer: the digits as text
      c = Variable(kTypeText, 2 * 20);
      break;
    default:  // an unknown type: what the driver can give as text
      c = Variable(kTypeMemo, 0);
      break;
  }
  c.name = r.name;
  c.collation = 1033;
  if (r.auto_increment) c.flags = static_cast<uint8_t>(c.flags & ~kUpdatable);
  return c;
}

const Column& RequireColumn(const TableDef& def, const char* name, const std::string& file) {
  const Column* c = def.FindColumn(name);
  if (c == nullptr) throw Error(file + ": the catalogue has no column " + std::string(name));
  return *c;
}

const RealIndex* IndexNamed(const TableDef& def, const char* name) {
  for (const Index& index : def.indexes) {
    if (index.name == name && index.real_index < def.real_indexes.size()) {
      return &def.real_indexes[index.real_index];
    }
  }
  return nullptr;
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
    if (IntegerValue(rows[parent_at]) == kTablesParent && name == "Tables") {
      facts.tables_id = static_cast<int32_t>(IntegerValue(rows[id_at]).value_or(0));
      found_tables = true;
    }
    if (IntegerValue(rows[type_at]) == kTypeDatabaseObject && name == "MSysDb") {
      if (const Binary* owner = std::get_if<Binary>(&rows[owner_at])) facts.owner = owner->bytes;
    }
    if (id != 0 && IntegerValue(rows[id_at]) == id && IntegerValue(rows[type_at]) == kTypeOdbcLink) {
      facts.row = RowPointer{rows.page(), static_cast<uint8_t>(rows.slot())};
    }
  }
  if (!found_tables) throw Error(db.file_name() + ": the catalogue has no Tables container");
  if (facts.owner.empty()) facts.owner = "\xA6\x33";
  if (facts.row) {
    const RowLocation at = LocateRow(db.cache(), *facts.row);
    facts.stored = SplitRow(def, at.bytes(), at.slot.length, db.cache(), at.where.page);
  }
  return facts;
}

// One permission row: SID, access mask, inheritable.
struct Ace {
  std::string sid;
  int64_t acm = 0;
  bool inheritable = false;
};

// The permissions a new table gets: those of the file's first user table that has some (Access
// gives every new table the same owners), else one full-access row per owner of the Tables
// container.
std::vector<Ace> NewTableAces(Database& db, int32_t tables_id) {
  const CatalogueEntry* aces_entry = db.FindTable("MSysACEs");
  if (aces_entry == nullptr) return {};
  const TableDef& def = db.GetTableDef("MSysACEs");
  const int object_at = def.ColumnIndex("ObjectId"), sid_at = def.ColumnIndex("SID"),
            acm_at = def.ColumnIndex("ACM");
  if (object_at < 0 || sid_at < 0 || acm_at < 0) return {};
  std::map<int64_t, std::vector<Ace>> by_object;
  TableCursor rows = db.OpenTable("MSysACEs");
  while (rows.Next()) {
    const std::optional<int64_t> object = IntegerValue(rows[object_at]);
    const Binary* sid = std::get_if<Binary>(&rows[sid_at]);
    if (!object || sid == nullptr) continue;
    by_object[*object].push_back(Ace{sid->bytes, IntegerValue(rows[acm_at]).value_or(kFullAccessAcm)});
  }
  for (const CatalogueEntry& table : db.Tables()) {
    if (table.kind != TableKind::kLocal) continue;
    auto found = by_object.find(table.id);
    if (found != by_object.end() && !found->second.empty()) return found->second;
  }
  std::vector<Ace> aces;
  for (const Ace& owner : by_object[tables_id]) {
    aces.push_back(Ace{owner.sid, kFullAccessAcm});
  }
  if (aces.empty()) aces.push_back(Ace{"\xA6\x33", kFullAccessAcm});
  return aces;
}

void Set(StoredColumns* stored, const Column& column, std::optional<std::string> bytes) {
  if (stored->size() <= column.number) stored->resize(column.number + 1u);
  (*stored)[column.number] = std::move(bytes);
}

// The catalogue row's columns that describe the link: Connect, ForeignName, RmtInfoLong and the
// update date (plus everything else for a new row).
void DescribeLink(Database& db, StoredColumns* stored, const std::string& connect,
                  const std::string& foreign_name, const RemoteTable& remote, double now) {
  PageCache& cache = db.cache();
  const TableDef& def = db.GetTableDef("MSysObjects");
  const std::string& file = db.file_name();
  const Column& connect_column = RequireColumn(def, "Connect", file);
  const std::string connect_text =
      EncodeText(connect, connect_column.compressed_unicode() && connect.size() <= 1024);
  Set(stored, connect_column, StoreLongValue(cache, def, connect_column, connect_text));
  Set(stored, RequireColumn(def, "ForeignName", file),
      StoreValue(RequireColumn(def, "ForeignName", file), foreign_name));
  const Column& info = RequireColumn(def, "RmtInfoLong", file);
  Set(stored, info, StoreLongValue(cache, def, info, RemoteInfo(remote)));
  Set(stored, RequireColumn(def, "DateUpdate", file),
      StoreValue(RequireColumn(def, "DateUpdate", file), Date{now}));
}

void RequireName(const std::string& name, const std::string& file) {
  const size_t characters = base::Utf8ToUtf16(name).size();
  if (name.empty() || characters > kMaxNameLength || name.front() == ' ') {
    throw Error(file + ": '" + name + "' is not a valid table name");
  }
}

}  // namespace

NewTableDef LinkStructure(const RemoteTable& remote) {
  NewTableDef def;
  for (const RemoteColumn& r : remote.columns) def.columns.push_back(MapColumn(r));
  bool have_primary = false;
  for (const RemoteIndex& r : remote.indexes) {
    NewIndex index;
    index.name = r.name;
    index.unique = r.unique;
    for (const std::string& name : r.columns) {
      for (const Column& c : def.columns) {
        if (NamesEqual(c.name, name)) {
          index.columns.push_back(static_cast<uint16_t>(&c - def.columns.data()));
          break;
        }
      }
    }
    if (index.columns.size() != r.columns.size() || index.columns.empty() ||
        index.columns.size() > 10) {
      continue;
    }
    if (r.unique && !have_primary) index.primary_key = have_primary = true;
    def.indexes.push_back(std::move(index));
  }
  return def;
}

std::string RemoteInfo(const RemoteTable& remote) {
  std::string out;
  for (const RemoteColumn& c : remote.columns) {
    const uint16_t fields[] = {static_cast<uint16_t>(c.sql_type),
                               static_cast<uint16_t>(std::min<uint32_t>(c.size, 0xFFFF)),
                               static_cast<uint16_t>(c.digits)};
    for (uint16_t f : fields) {
      out.push_back(static_cast<char>(f & 0xFF));
      out.push_back(static_cast<char>(f >> 8));
    }
  }
  return out;
}

void CreateOdbcLink(Database& db, const std::string& name, const std::string& connect,
                    const std::string& foreign_name, const RemoteTable& remote, double now) {
  const std::string file = db.file_name();
  RequireName(name, file);
  if (db.FindTable(name) != nullptr) {
    throw Error(file + ": a table named '" + name + "' already exists");
  }
  if (remote.columns.empty()) throw Error(file + ": the remote table " + foreign_name + " has no columns");
  const NewTableDef structure = LinkStructure(remote);
  WriteGuard guard(db);
  PageCache& cache = db.cache();
  const TableDef catalogue = db.GetTableDef("MSysObjects");
  const CatalogueFacts facts = ReadFacts(db, 0);
  const std::vector<Ace> aces = NewTableAces(db, facts.tables_id);
  const RealIndex* id_index = IndexNamed(catalogue, "Id");
  const RealIndex* name_index = IndexNamed(catalogue, "ParentIdName");
  if (id_index == nullptr || name_index == nullptr) {
    throw Error(file + ": the catalogue lacks its Id or ParentIdName index");
  }
  RequireWritableSortOrder(RequireColumn(catalogue, "Name", file), "MSysObjects.Name", file);
  try {
    // The cached structure: unreachable until the catalogue row names it.
    const WrittenTableDef written = WriteTableDef(cache, structure);
    cache.Flush();
    const int32_t id = static_cast<int32_t>(written.first);

    // Permissions, then their index entries.
    if (!aces.empty()) {
      const TableDef ace_def = db.GetTableDef("MSysACEs");
      std::vector<RowPointer> placed;
      std::vector<std::vector<Value>> values;
      RowDecoder decoder(cache, ace_def);
      for (const Ace& ace : aces) {
        StoredColumns stored;
        Set(&stored, RequireColumn(ace_def, "ObjectId", file),
            StoreValue(RequireColumn(ace_def, "ObjectId", file), int64_t{id}));
        Set(&stored, RequireColumn(ace_def, "SID", file),
            StoreValue(RequireColumn(ace_def, "SID", file), Binary{ace.sid}));
        Set(&stored, RequireColumn(ace_def, "ACM", file),
            StoreValue(RequireColumn(ace_def, "ACM", file), ace.acm));
        const std::string row = BuildRow(ace_def, stored);
        placed.push_back(InsertRow(cache, ace_def, row));
        values.emplace_back();
        decoder.Decode(reinterpret_cast<const uint8_t*>(row.data()), row.size(), 0, &values.back());
        AddToRowCount(cache, ace_def, 1);
        cache.Flush();
      }
      for (const RealIndex& index : ace_def.real_indexes) {
        std::vector<IndexEntry> entries;
        for (size_t i = 0; i < placed.size(); ++i) {
          if (auto e = IndexEntryForRow(ace_def, index, values[i], placed[i])) entries.push_back(*e);
        }
        InsertIndexEntries(cache, index, ace_def.page, std::move(entries));
      }
    }

    // The catalogue row, with its long values, and the row count.
    StoredColumns stored;
    Set(&stored, RequireColumn(catalogue, "Id", file),
        StoreValue(RequireColumn(catalogue, "Id", file), int64_t{id}));
    Set(&stored, RequireColumn(catalogue, "ParentId", file),
        StoreValue(RequireColumn(catalogue, "ParentId", file), int64_t{facts.tables_id}));
    Set(&stored, RequireColumn(catalogue, "Name", file),
        StoreValue(RequireColumn(catalogue, "Name", file), name));
    Set(&stored, RequireColumn(catalogue, "Type", file),
        StoreValue(RequireColumn(catalogue, "Type", file), int64_t{kTypeOdbcLink}));
    Set(&stored, RequireColumn(catalogue, "DateCreate", file),
        StoreValue(RequireColumn(catalogue, "DateCreate", file), Date{now}));
    Set(&stored, RequireColumn(catalogue, "Owner", file),
        StoreValue(RequireColumn(catalogue, "Owner", file), Binary{facts.owner}));
    Set(&stored, RequireColumn(catalogue, "Flags", file),
        StoreValue(RequireColumn(catalogue, "Flags", file), kOdbcLinkFlags));
    DescribeLink(db, &stored, connect, foreign_name, remote, now);
    cache.Flush();  // long-value rows before the row that refers to them
    const std::string row = BuildRow(catalogue, stored);
    const RowPointer where = InsertRow(cache, catalogue, row);
    AddToRowCount(cache, catalogue, 1);
    cache.Flush();

    // Found by Id, then by name: from that write on the link exists.
    std::vector<Value> values;
    RowDecoder(cache, catalogue)
        .Decode(reinterpret_cast<const uint8_t*>(row.data()), row.size(), 0, &values);
    for (const RealIndex* index : {id_index, name_index}) {
      std::vector<IndexEntry> entries;
      if (auto e = IndexEntryForRow(catalogue, *index, values, where)) entries.push_back(*e);
      InsertIndexEntries(cache, *index, catalogue.page, std::move(entries));
    }
  } catch (...) {
    AbandonWrite(db);
  }
  db.Reload();
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
  try {
    WriteTableDef(cache, structure, first);  // the structure switches with this page
    cache.Flush();
    DescribeLink(db, &facts.stored, connect, foreign_name, remote, now);
    cache.Flush();
    ReplaceRow(cache, catalogue, *facts.row, facts.stored);
    cache.Flush();
    FreePages(cache, old);
    cache.Flush();
  } catch (...) {
    AbandonWrite(db);
  }
  db.Reload();
}

}  // namespace jet
