#include "jet/row_layout.h"

#include <algorithm>
#include <cstring>

#include "jet/byte_order.h"
#include "jet/error.h"
#include "jet/stored_value.h"

namespace jet {
namespace {

uint16_t ColumnCount(const TableDef& def) {
  uint16_t count = def.max_columns;
  for (const Column& c : def.columns) count = std::max<uint16_t>(count, c.number + 1);
  return count;
}

bool HasVariableColumns(const TableDef& def) {
  if (def.variable_columns > 0) return true;
  return std::any_of(def.columns.begin(), def.columns.end(),
                     [](const Column& c) { return !c.fixed() && c.type != kTypeBoolean; });
}

void AppendU16(std::string* out, uint16_t v) { AppendLittleEndian(out, v, 2); }

// Appends the variable data of `variable` (sorted by var_index) and the trailer before the null
// mask: end of data, offsets last first, their count; padded before the trailer to `pad_to`.
void AppendVariablePart(const TableDef& def, const std::vector<const Column*>& variable,
                        const StoredColumns& columns, size_t mask_size, size_t pad_to,
                        std::string* row) {
  size_t var_count = def.variable_columns;
  for (const Column* c : variable) var_count = std::max<size_t>(var_count, c->var_index + 1u);
  std::vector<uint16_t> offsets(var_count + 1);
  size_t next = 0;
  for (size_t v = 0; v < var_count; ++v) {
    offsets[v] = static_cast<uint16_t>(row->size());
    if (next < variable.size() && variable[next]->var_index == v) {
      const uint16_t number = variable[next]->number;
      if (number < columns.size() && columns[number]) *row += *columns[number];
      ++next;
    }
    if (row->size() > kMaxRowSize) break;
  }
  offsets[var_count] = static_cast<uint16_t>(row->size());  // end of data
  const size_t trailer = 2 + 2 * var_count + 2 + mask_size;
  if (pad_to > row->size() + trailer) row->append(pad_to - row->size() - trailer, '\0');
  AppendU16(row, offsets[var_count]);
  for (size_t v = var_count; v-- > 0;) AppendU16(row, offsets[v]);
  AppendU16(row, static_cast<uint16_t>(var_count));
}

}  // namespace

void StoredRow::TooShort(Part part) const {
  switch (part) {
    case Part::kColumnCount:
      throw Error(Where() + "row of " + std::to_string(length_) + " bytes is too short");
    case Part::kNullMask:
      throw Error(Where() + "row claims " + std::to_string(column_count_) +
                  " columns but is only " + std::to_string(length_) + " bytes long");
    case Part::kVariableCount:
      throw Error(Where() + "row too short for its variable-column table");
    case Part::kVariableOffsets:
      break;
  }
  throw Error(Where() + "row's " + std::to_string(var_count_) +
              " variable-column offsets do not fit its " + std::to_string(length_) + " bytes");
}

void StoredRow::Overrun(const Column& c, size_t start, size_t end) const {
  if (c.fixed()) {
    throw Error(Where() + "column " + c.name + " at fixed offset " +
                std::to_string(c.fixed_offset) + " overruns the row");
  }
  throw Error(Where() + "column " + c.name + " spans bytes " + std::to_string(start) + ".." +
              std::to_string(end) + " of a " + std::to_string(length_) + "-byte row");
}

StoredColumns SplitRow(const TableDef& def, const uint8_t* row, size_t length,
                       const PageCache& cache, PageNumber page) {
  const StoredRow stored(def, row, length, cache, page);
  StoredColumns out(ColumnCount(def));
  for (const Column& c : def.columns) {
    if (std::optional<std::string_view> bytes = stored.Bytes(c))
      out[c.number] = std::string(*bytes);
  }
  return out;
}

std::string BuildRow(const TableDef& def, const StoredColumns& columns, size_t pad_to) {
  const uint16_t column_count = ColumnCount(def);
  size_t fixed_size = 0;
  std::vector<const Column*> variable;
  for (const Column& c : def.columns) {
    if (c.type == kTypeBoolean) continue;
    if (c.fixed()) {
      fixed_size = std::max(fixed_size, static_cast<size_t>(c.fixed_offset) + StoredSize(c));
    } else {
      variable.push_back(&c);
    }
  }
  std::string row;
  AppendU16(&row, column_count);
  row.append(fixed_size, '\0');
  std::vector<uint8_t> mask((column_count + 7) / 8, 0);
  for (const Column& c : def.columns) {
    if (c.number >= columns.size() || !columns[c.number]) continue;
    const std::string& value = *columns[c.number];
    mask[c.number / 8] = static_cast<uint8_t>(mask[c.number / 8] | (1u << (c.number % 8)));
    if (c.type == kTypeBoolean || !c.fixed()) continue;
    if (value.size() != StoredSize(c)) {
      throw Error("column " + c.name + ": " + std::to_string(value.size()) +
                  " bytes for a fixed size of " + std::to_string(StoredSize(c)));
    }
    std::memcpy(row.data() + 2 + c.fixed_offset, value.data(), value.size());
  }
  if (HasVariableColumns(def)) {
    std::sort(variable.begin(), variable.end(),
              [](const Column* a, const Column* b) { return a->var_index < b->var_index; });
    AppendVariablePart(def, variable, columns, mask.size(), pad_to, &row);
  } else if (pad_to > row.size() + mask.size()) {
    row.append(pad_to - row.size() - mask.size(), '\0');
  }
  row.append(reinterpret_cast<const char*>(mask.data()), mask.size());
  if (row.size() > kMaxRowSize) {
    throw Error("a row of " + std::to_string(row.size()) + " bytes is too long for a page");
  }
  return row;
}

}  // namespace jet
