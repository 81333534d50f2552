#include "jet/update_rows.h"

#include <cmath>
#include <map>
#include <set>

#include "jet/byte_order.h"
#include "jet/index_edit.h"
#include "jet/index_page.h"
#include "jet/long_value.h"
#include "jet/row_layout.h"
#include "jet/row_placement.h"
#include "jet/stored_value.h"
#include "jet/text.h"
#include "jet/write_guard.h"

namespace jet {
namespace {

// The value as the engine reads it back from the column, so that index keys and comparisons see
// what will be stored. Throws jet::Error when it does not suit the column.
Value Normalize(const Column& column, const Value& value) {
  auto mismatch = [&](const char* what) {
    return Error("column " + column.name + ": " + what + " does not suit a " +
                 TypeName(column.type) + " column");
  };
  const int64_t* whole = std::get_if<int64_t>(&value);
  const double* real = std::get_if<double>(&value);
  const std::string* text = std::get_if<std::string>(&value);
  if (IsNull(value)) {
    if (column.type == kTypeBoolean) throw Error("column " + column.name + " cannot be NULL");
    return value;
  }
  switch (column.type) {
    case kTypeBoolean:
      if (const bool* b = std::get_if<bool>(&value)) return *b;
      if (whole != nullptr) return *whole != 0;
      throw mismatch("the value");
    case kTypeByte:
    case kTypeInteger:
    case kTypeLong:
      if (whole != nullptr) return *whole;
      if (real != nullptr && std::nearbyint(*real) == *real && std::abs(*real) < 1e18) {
        return static_cast<int64_t>(*real);
      }
      throw mismatch(real != nullptr ? "a number with decimals" : "the value");
    case kTypeCurrency: {
      if (whole == nullptr && real == nullptr) throw mismatch("the value");
      const double v = whole != nullptr ? static_cast<double>(*whole) * 10000 : *real * 10000;
      if (!(std::abs(v) < 9.2e18)) throw mismatch("a number this large");
      return Currency{static_cast<int64_t>(std::llround(v))};
    }
    case kTypeSingle:
      if (whole != nullptr) return static_cast<float>(*whole);
      if (real != nullptr) return static_cast<float>(*real);
      throw mismatch("the value");
    case kTypeDouble:
      if (whole != nullptr) return static_cast<double>(*whole);
      if (real != nullptr) return *real;
      throw mismatch("the value");
    case kTypeDateTime:
      if (whole != nullptr) return Date{static_cast<double>(*whole)};
      if (real != nullptr) return Date{*real};
      throw mismatch("the value");
    case kTypeText:
    case kTypeMemo:
      if (text != nullptr) return *text;
      throw mismatch("the value");
    default:
      throw Error("column " + column.name + ": this engine does not change " +
                  TypeName(column.type) + " values");
  }
}

// Jet's "=": text ignoring case, numbers by value; NULL equals nothing.
bool Matches(const Value& stored, const Value& wanted) {
  if (IsNull(stored) || IsNull(wanted)) return false;
  if (const std::string* s = std::get_if<std::string>(&stored)) {
    const std::string* w = std::get_if<std::string>(&wanted);
    return w != nullptr && NamesEqual(*s, *w);
  }
  auto number = [](const Value& v) -> std::optional<double> {
    if (const int64_t* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
    if (const double* d = std::get_if<double>(&v)) return *d;
    if (const float* f = std::get_if<float>(&v)) return *f;
    if (const Currency* c = std::get_if<Currency>(&v)) return c->ten_thousandths / 10000.0;
    if (const Date* t = std::get_if<Date>(&v)) return t->days;
    if (const bool* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
    return std::nullopt;
  };
  const std::optional<double> a = number(stored);
  const std::optional<double> b = number(wanted);
  return a && b && *a == *b;
}

// One row to rewrite.
struct Change {
  RowPointer header;
  StoredColumns columns;             // the new stored bytes, long values still to be stored
  std::vector<size_t> long_values;   // positions in def.columns of Memo columns to store
  std::vector<Value> old_values;
  std::vector<Value> new_values;
};

}  // namespace

size_t UpdateRows(Database& db, std::string_view table, const std::vector<ColumnValue>& set,
                  const std::optional<ColumnValue>& where) {
  PageCache& cache = db.cache();
  const std::string& file = db.file_name();
  const CatalogueEntry* entry = db.FindTable(table);
  if (entry == nullptr) throw Error(file + ": table '" + std::string(table) + "' does not exist");
  if (entry->kind != TableKind::kLocal) {
    throw Error(file + ": '" + entry->name + "' is a " + KindName(entry->kind) +
                " table; only local tables are updated in the file");
  }
  const std::string name = entry->name;
  auto def = std::make_shared<const TableDef>(ReadTableDef(cache, entry->table_def));

  // The assignments, checked and in the stored form.
  struct Assigned {
    size_t position;
    Value value;
    std::optional<std::string> stored;
  };
  std::vector<Assigned> assigned;
  std::set<uint16_t> changed_numbers;
  for (const ColumnValue& cv : set) {
    const int position = def->ColumnIndex(cv.column);
    if (position < 0) throw Error(file + ": table '" + name + "' has no column '" + cv.column + "'");
    const Column& column = def->columns[position];
    if (!changed_numbers.insert(column.number).second) {
      throw Error(file + ": column '" + column.name + "' is set twice");
    }
    if (column.autonumber() || column.autonumber_guid()) {
      throw Error(file + ": column '" + column.name + "' is an AutoNumber; it cannot be set");
    }
    Assigned a{static_cast<size_t>(position), Normalize(column, cv.value), std::nullopt};
    if (column.type == kTypeBoolean) {
      if (std::get<bool>(a.value)) a.stored = std::string();
    } else if (column.type == kTypeMemo) {
      if (const std::string* text = std::get_if<std::string>(&a.value)) {
        a.stored = EncodeText(*text, column.compressed_unicode());
        // The longest value this engine stores in one long-value row.
        if (a.stored->size() > 4076) {
          throw Error(file + ": column '" + column.name + "': a text of " +
                      std::to_string(text->size()) + " bytes is longer than this engine writes");
        }
      }
    } else if (!IsNull(a.value)) {
      a.stored = StoreValue(column, a.value);
    }
    assigned.push_back(std::move(a));
  }
  std::optional<std::pair<size_t, Value>> filter;
  if (where) {
    const int position = def->ColumnIndex(where->column);
    if (position < 0) {
      throw Error(file + ": table '" + name + "' has no column '" + where->column + "'");
    }
    filter.emplace(static_cast<size_t>(position), where->value);
  }

  WriteGuard guard(db);

  // Every row to change, and its new bytes, before anything is written.
  std::vector<Change> changes;
  {
    TableCursor cursor(cache, def);
    while (cursor.Next()) {
      if (filter && !Matches(cursor.values()[filter->first], filter->second)) continue;
      Change change;
      change.header = RowPointer{cursor.page(), static_cast<uint8_t>(cursor.slot())};
      change.old_values = cursor.values();
      changes.push_back(std::move(change));
    }
  }
  bool any_change = false;
  for (Change& change : changes) {
    const RowLocation row = LocateRow(cache, change.header);
    change.columns = SplitRow(*def, row.bytes(), row.slot.length, cache, row.where.page);
    const StoredColumns before = change.columns;
    change.new_values = change.old_values;
    for (const Assigned& a : assigned) {
      const Column& column = def->columns[a.position];
      change.columns[column.number] = a.stored;
      change.new_values[a.position] = a.value;
      if (column.type == kTypeMemo && a.stored) change.long_values.push_back(a.position);
    }
    // A Memo's stored bytes are its long-value definition; changed ones get their own.
    StoredColumns sized = change.columns;
    std::vector<size_t> to_store;
    for (size_t position : change.long_values) {
      const Column& column = def->columns[position];
      if (before[column.number] && change.old_values[position] == change.new_values[position]) {
        change.columns[column.number] = before[column.number];
        sized[column.number] = before[column.number];
      } else {
        const size_t length = change.columns[column.number]->size();
        sized[column.number] = std::string(12 + (length <= 64 ? length : 0), '\0');
        to_store.push_back(position);
      }
    }
    change.long_values = std::move(to_store);
    if (sized == before) {
      change.columns.clear();  // nothing to write for this row
      continue;
    }
    BuildRow(*def, sized);  // throws when the row would not fit a page
    any_change = true;
  }

  // Indexes on changed columns: the rows' old and new entries, checked before any write.
  struct IndexWork {
    size_t index;
    std::vector<RowPointer> removed;
    std::vector<IndexEntry> added;
  };
  std::vector<IndexWork> index_work;
  for (size_t i = 0; i < def->real_indexes.size() && any_change; ++i) {
    const RealIndex& index = def->real_indexes[i];
    bool touched = false;
    for (const IndexColumn& ic : index.columns) touched |= changed_numbers.count(ic.column_number) != 0;
    if (!touched) continue;
    for (const IndexColumn& ic : index.columns) {
      const Column* column = def->ColumnByNumber(ic.column_number);
      if (column != nullptr && (column->type == kTypeText || column->type == kTypeMemo)) {
        RequireWritableSortOrder(*column, name + "." + column->name, file);
      }
    }
    IndexWork work{i, {}, {}};
    for (const Change& change : changes) {
      if (change.columns.empty()) continue;
      std::optional<IndexEntry> old_entry =
          IndexEntryForRow(*def, index, change.old_values, change.header);
      std::optional<IndexEntry> new_entry =
          IndexEntryForRow(*def, index, change.new_values, change.header);
      if (old_entry && new_entry && old_entry->bytes == new_entry->bytes) continue;
      work.removed.push_back(change.header);
      if (new_entry) work.added.push_back(std::move(*new_entry));
    }
    if (work.removed.empty()) continue;
    if ((index.flags & 0x01) != 0) {
      // The new keys against the keys the index keeps and against each other.
      std::set<uint32_t> leaving;
      for (RowPointer r : work.removed) leaving.insert(r.Word());
      std::set<std::string> keys;
      for (const IndexEntry& e : ReadIndexTree(cache, index, def->page).entries) {
        if (leaving.count(e.row.Word()) == 0) keys.insert(e.key());
      }
      for (const IndexEntry& e : work.added) {
        const std::string key = e.key();
        const bool all_null = key.size() == index.columns.size() &&
                              key.find_first_not_of(std::string("\x00\xFF", 2)) == std::string::npos;
        if (!keys.insert(key).second && !all_null) {
          throw Error(file + ": the new values would be a duplicate in a unique index of '" + name +
                      "'; nothing was written");
        }
      }
    }
    index_work.push_back(std::move(work));
  }

  size_t matched = changes.size();
  try {
    for (const IndexWork& work : index_work) {
      RemoveIndexEntries(cache, def->real_indexes[work.index], def->page, work.removed);
    }
    for (Change& change : changes) {
      if (change.columns.empty()) continue;
      for (size_t position : change.long_values) {
        const Column& column = def->columns[position];
        std::optional<std::string>& stored = change.columns[column.number];
        stored = StoreLongValue(cache, *def, column, *stored);
      }
      cache.Flush();  // long values, and any page they needed, before the row refers to them
      ReplaceRow(cache, *def, change.header, change.columns);
      cache.Flush();
    }
    for (const IndexWork& work : index_work) {
      InsertIndexEntries(cache, def->real_indexes[work.index], def->page, work.added);
    }
  } catch (...) {
    AbandonWrite(db);
  }
  db.Reload();
  return matched;
}

}  // namespace jet
