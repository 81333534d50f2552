#include "jet/update_rows.h"

#include <algorithm>
#include <memory>
#include <set>

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

// The table an update names, and the file, for messages.
struct Target {
  std::string file;
  std::string name;
  std::shared_ptr<const TableDef> def;
};

// One "column = value", checked, with the bytes it stores (a Memo: its encoded text, not yet a
// long value; a Yes/No: "" for Yes and nothing for No).
struct Assignment {
  size_t position;  // in def.columns
  Value value;      // as the column will read it back
  std::optional<std::string> stored;
};

// One row to rewrite.
struct Change {
  RowPointer header;
  StoredColumns columns;            // the new stored bytes, long values still to be stored
  std::vector<size_t> long_values;  // positions in def.columns of Memo columns to store
  std::vector<Value> old_values;
  std::vector<Value> new_values;
};

// For each index on a changed column: the entries the changed rows take out and put in.
struct IndexWork {
  size_t index;
  std::vector<RowPointer> removed;
  std::vector<IndexEntry> added;
};

Target LocalTable(Database& db, std::string_view table) {
  Target target{db.file_name(), "", nullptr};
  const CatalogueEntry* entry = db.FindTable(table);
  if (entry == nullptr) {
    throw Error(target.file + ": table '" + std::string(table) + "' does not exist");
  }
  if (entry->kind != TableKind::kLocal) {
    throw Error(target.file + ": '" + entry->name + "' is a " + KindName(entry->kind) +
                " table; only local tables are updated in the file");
  }
  target.name = entry->name;
  target.def = std::make_shared<const TableDef>(ReadTableDef(db.cache(), entry->table_def));
  return target;
}

size_t RequirePosition(const Target& target, const std::string& column) {
  const int position = target.def->ColumnIndex(column);
  if (position < 0) {
    throw Error(target.file + ": table '" + target.name + "' has no column '" + column + "'");
  }
  return static_cast<size_t>(position);
}

// The assignments, checked and in stored form, before anything is read.
std::vector<Assignment> CheckAssignments(const Target& target,
                                         const std::vector<ColumnValue>& set) {
  std::vector<Assignment> assigned;
  std::set<uint16_t> numbers;
  for (const ColumnValue& cv : set) {
    const size_t position = RequirePosition(target, cv.column);
    const Column& column = target.def->columns[position];
    if (!numbers.insert(column.number).second) {
      throw Error(target.file + ": column '" + column.name + "' is set twice");
    }
    if (column.autonumber() || column.autonumber_guid()) {
      throw Error(target.file + ": column '" + column.name +
                  "' is an AutoNumber; it cannot be set");
    }
    Assignment a{position, ValueForColumn(column, cv.value), std::nullopt};
    if (column.type == kTypeBoolean) {
      if (std::get<bool>(a.value)) a.stored = std::string();
    } else if (column.type == kTypeMemo) {
      if (const std::string* text = std::get_if<std::string>(&a.value)) {
        a.stored = EncodeText(*text, column.compressed_unicode());
        if (a.stored->size() > kMaxSingleRowLongValue) {
          throw Error(target.file + ": column '" + column.name + "': a text of " +
                      std::to_string(text->size()) + " bytes is longer than this engine writes");
        }
      }
    } else if (!IsNull(a.value)) {
      a.stored = StoreValue(column, a.value);
    }
    assigned.push_back(std::move(a));
  }
  return assigned;
}

// Gives `change` (its row's current columns split) its new columns and values. A Memo's stored
// bytes are its long-value definition: an unchanged one keeps it, a changed one is stored anew
// later. False when the row's bytes stay as they are. Throws jet::Error when the new row would
// not fit a page.
bool Assign(const TableDef& def, const std::vector<Assignment>& assigned, Change* change) {
  const StoredColumns before = change->columns;
  change->new_values = change->old_values;
  std::vector<size_t> memos;
  for (const Assignment& a : assigned) {
    const Column& column = def.columns[a.position];
    change->columns[column.number] = a.stored;
    change->new_values[a.position] = a.value;
    if (column.type == kTypeMemo && a.stored) memos.push_back(a.position);
  }
  StoredColumns sized = change->columns;  // with definitions of the size they will have
  for (size_t position : memos) {
    const Column& column = def.columns[position];
    if (before[column.number] && change->old_values[position] == change->new_values[position]) {
      change->columns[column.number] = before[column.number];
      sized[column.number] = before[column.number];
    } else {
      const size_t length = change->columns[column.number]->size();
      sized[column.number] = std::string(
          kLongValueDefinitionSize + (length <= kMaxInlineLongValue ? length : 0), '\0');
      change->long_values.push_back(position);
    }
  }
  if (sized == before) return false;
  BuildRow(def, sized);  // throws when the row would not fit a page
  return true;
}

// Every row that matches `where`, and its new bytes, before anything is written. Rows whose bytes
// stay as they are keep no columns.
std::vector<Change> CollectChanges(PageCache& cache, const Target& target,
                                   const std::vector<Assignment>& assigned,
                                   const std::optional<ColumnValue>& where) {
  std::optional<size_t> filter;
  if (where) filter = RequirePosition(target, where->column);
  std::vector<Change> changes;
  TableCursor cursor(cache, target.def);
  while (cursor.Next()) {
    if (filter && !ValuesMatch(cursor.values()[*filter], where->value)) continue;
    Change change;
    change.header = RowPointer{cursor.page(), static_cast<uint8_t>(cursor.slot())};
    change.old_values = cursor.values();
    changes.push_back(std::move(change));
  }
  for (Change& change : changes) {
    const RowLocation row = LocateRow(cache, change.header);
    change.columns = SplitRow(*target.def, row.bytes(), row.slot.length, cache, row.where.page);
    if (!Assign(*target.def, assigned, &change)) change.columns.clear();
  }
  return changes;
}

// The entries of index `i` that the changes take out and put in, checked before any write: the
// keys must be computable, and new keys may not repeat one in a unique index.
IndexWork PlanIndex(PageCache& cache, const Target& target, size_t i,
                    const std::vector<Change>& changes) {
  const TableDef& def = *target.def;
  const RealIndex& index = def.real_indexes[i];
  for (const IndexColumn& ic : index.columns) {
    const Column* column = def.ColumnByNumber(ic.column_number);
    if (column != nullptr && (column->type == kTypeText || column->type == kTypeMemo)) {
      RequireWritableSortOrder(*column, target.name + "." + column->name, target.file);
    }
  }
  IndexWork work{i, {}, {}};
  for (const Change& change : changes) {
    if (change.columns.empty()) continue;
    std::optional<IndexEntry> old_entry =
        IndexEntryForRow(def, index, change.old_values, change.header);
    std::optional<IndexEntry> new_entry =
        IndexEntryForRow(def, index, change.new_values, change.header);
    if (old_entry && new_entry && old_entry->bytes == new_entry->bytes) continue;
    work.removed.push_back(change.header);
    if (new_entry) work.added.push_back(std::move(*new_entry));
  }
  if (!work.removed.empty() && index.unique()) {
    std::set<uint32_t> leaving;
    for (RowPointer r : work.removed) leaving.insert(r.Word());
    const IndexTree tree = ReadIndexTree(cache, index, def.page);
    if (CheckNewEntries(cache, index, tree, work.added, leaving).duplicate) {
      throw Error(target.file + ": the new values would be a duplicate in a unique index of '" +
                  target.name + "'; nothing was written");
    }
  }
  return work;
}

// The work on every index that holds a changed column.
std::vector<IndexWork> PlanIndexWork(PageCache& cache, const Target& target,
                                     const std::vector<Assignment>& assigned,
                                     const std::vector<Change>& changes) {
  std::vector<IndexWork> plan;
  const bool any_change = std::any_of(changes.begin(), changes.end(),
                                      [](const Change& c) { return !c.columns.empty(); });
  if (!any_change) return plan;
  std::set<uint16_t> changed;
  for (const Assignment& a : assigned) changed.insert(target.def->columns[a.position].number);
  for (size_t i = 0; i < target.def->real_indexes.size(); ++i) {
    bool touched = false;
    for (const IndexColumn& ic : target.def->real_indexes[i].columns) {
      touched |= changed.count(ic.column_number) != 0;
    }
    if (!touched) continue;
    IndexWork work = PlanIndex(cache, target, i, changes);
    if (!work.removed.empty()) plan.push_back(std::move(work));
  }
  return plan;
}

// The writes, each step durable before the next: the old entries out of the indexes, each row
// (its long values first), the new entries in.
void Apply(PageCache& cache, const TableDef& def, std::vector<Change>& changes,
           const std::vector<IndexWork>& plan) {
  for (const IndexWork& work : plan) {
    RemoveIndexEntries(cache, def.real_indexes[work.index], def.page, work.removed);
  }
  for (Change& change : changes) {
    if (change.columns.empty()) continue;
    for (size_t position : change.long_values) {
      const Column& column = def.columns[position];
      std::optional<std::string>& stored = change.columns[column.number];
      stored = StoreLongValue(cache, def, column, *stored);
    }
    cache.Flush();  // long values, and any page they needed, before the row refers to them
    ReplaceRow(cache, def, change.header, change.columns);
    cache.Flush();
  }
  for (const IndexWork& work : plan) {
    InsertIndexEntries(cache, def.real_indexes[work.index], def.page, work.added);
  }
}

}  // namespace

size_t UpdateRows(Database& db, std::string_view table, const std::vector<ColumnValue>& set,
                  const std::optional<ColumnValue>& where) {
  PageCache& cache = db.cache();
  const Target target = LocalTable(db, table);
  const std::vector<Assignment> assigned = CheckAssignments(target, set);
  if (where) RequirePosition(target, where->column);

  WriteGuard guard(db);
  std::vector<Change> changes = CollectChanges(cache, target, assigned, where);
  const std::vector<IndexWork> plan = PlanIndexWork(cache, target, assigned, changes);
  RunWriteSteps(db, [&] {
    Apply(cache, *target.def, changes, plan);
  });
  return changes.size();
}

}  // namespace jet
