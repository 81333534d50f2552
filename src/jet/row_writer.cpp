#include "jet/row_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/error.h"
#include "jet/page_allocator.h"
#include "jet/row.h"
#include "jet/text.h"
#include "jet/usage_map.h"
#include "jet/usage_map_edit.h"

namespace jet {
namespace {

constexpr size_t kMaxRowSize = 4060;
constexpr size_t kInlineLongValue = 64;
constexpr size_t kSingleLongValueRow = 4076;
constexpr size_t kRowCountOffset = 16;

void AppendU16(std::string* out, uint16_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>(v >> 8));
}

void AppendLittleEndian(std::string* out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

size_t StoredSize(const Column& c) {
  const size_t size = FixedSize(c.type);
  return size != 0 ? size : c.length;
}

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

[[noreturn]] void Mismatch(const Column& column, const char* what) {
  throw Error("column " + column.name + ": " + what + " does not suit a " +
              TypeName(column.type) + " column");
}

int64_t IntegerIn(const Column& column, const Value& value, int64_t low, int64_t high) {
  const int64_t* i = std::get_if<int64_t>(&value);
  if (i == nullptr) Mismatch(column, "the value");
  if (*i < low || *i > high) {
    throw Error("column " + column.name + ": " + std::to_string(*i) + " is out of range for a " +
                TypeName(column.type) + " column");
  }
  return *i;
}

double Real(const Column& column, const Value& value) {
  if (const double* d = std::get_if<double>(&value)) return *d;
  if (const float* f = std::get_if<float>(&value)) return *f;
  if (const int64_t* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
  if (const Date* t = std::get_if<Date>(&value)) return t->days;
  Mismatch(column, "the value");
}

// The lowest row start on data page `page`: where the next row must end.
size_t LowestRowStart(const Page& page, int slots) {
  size_t lowest = kPageSize;
  const size_t table_end = kDataPageHeader + 2 * static_cast<size_t>(slots);
  for (int i = 0; i < slots; ++i) {
    const size_t offset = LoadU16(page.data() + kDataPageHeader + 2 * i) & kSlotOffsetMask;
    if (offset >= table_end && offset < lowest) lowest = offset;
  }
  return lowest;
}

bool HasRoom(const Page& page, size_t length, const PageCache& cache) {
  const int slots = SlotCount(page, cache);
  if (slots >= kMaxSlotsPerPage) return false;
  const size_t table_end = kDataPageHeader + 2 * static_cast<size_t>(slots + 1);
  const size_t start = LowestRowStart(page, slots);
  return start >= table_end && start - table_end >= length && FreeSpace(page) >= length + 2;
}

// Appends `bytes` as a new slot of data page `number`; the page must have room (HasRoom).
RowPointer AddRowToPage(PageCache& cache, PageNumber number, std::string_view bytes,
                        uint16_t slot_flags) {
  Page& page = cache.Modify(number);
  const int slots = SlotCount(page, cache);
  const size_t offset = LowestRowStart(page, slots) - bytes.size();
  uint8_t* p = page.bytes.data();
  std::memcpy(p + offset, bytes.data(), bytes.size());
  StoreU16(p + kDataPageHeader + 2 * slots, static_cast<uint16_t>(offset | slot_flags));
  StoreU16(p + kDataPageSlotCount, static_cast<uint16_t>(slots + 1));
  StoreU16(p + kDataPageFreeSpace, static_cast<uint16_t>(FreeSpace(page) - bytes.size() - 2));
  return RowPointer{number, static_cast<uint8_t>(slots)};
}

// A page of map `free_space` owned by `owner` with room for `length` bytes, or 0.
PageNumber FindRoom(PageCache& cache, RowPointer free_space, uint32_t owner, size_t length) {
  if (free_space.IsNull()) return 0;
  const UsageMap map = UsageMap::Load(cache, free_space);
  for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1)) {
    PageRef page = cache.Read(*p);
    if (page->type() == kPageData && DataPageOwner(*page) == owner &&
        HasRoom(*page, length, cache)) {
      return *p;
    }
  }
  return 0;
}

// A new data page owned by `owner`, entered in the maps given, made durable.
PageNumber NewDataPage(PageCache& cache, uint32_t owner, RowPointer owned, RowPointer free_space) {
  const PageNumber number = AllocatePage(cache);
  InitDataPage(cache.Modify(number), owner);
  cache.Flush();  // the page exists before any map lists it
  if (!owned.IsNull()) AddToUsageMap(cache, owned, number);
  if (!free_space.IsNull()) AddToUsageMap(cache, free_space, number);
  cache.Flush();
  return number;
}

}  // namespace

StoredColumns SplitRow(const TableDef& def, const uint8_t* row, size_t length,
                       const PageCache& cache, PageNumber page) {
  auto damaged = [&](const std::string& what) { return Error(cache.Where(page) + what); };
  if (length < 2) throw damaged("row too short");
  const size_t column_count = LoadU16(row);
  const size_t mask_length = (column_count + 7) / 8;
  if (2 + mask_length > length) throw damaged("row too short for its null mask");
  const uint8_t* mask = row + length - mask_length;
  size_t fixed_end = length - mask_length;
  size_t var_count = 0;
  size_t offsets_at = 0;
  if (def.variable_columns > 0) {
    if (fixed_end < 4) throw damaged("row too short for its variable-column table");
    var_count = LoadU16(row + fixed_end - 2);
    if (4 + 2 * var_count + 2 > fixed_end) throw damaged("row's variable offsets overrun it");
    offsets_at = fixed_end - 4;
    fixed_end = fixed_end - 4 - 2 * var_count;
  }
  StoredColumns out(ColumnCount(def));
  for (const Column& c : def.columns) {
    const bool present = c.number < column_count && ((mask[c.number / 8] >> (c.number % 8)) & 1);
    if (!present) continue;
    if (c.type == kTypeBoolean) {
      out[c.number] = std::string();
    } else if (c.fixed()) {
      const size_t size = StoredSize(c);
      if (2 + static_cast<size_t>(c.fixed_offset) + size > fixed_end) {
        throw damaged("column " + c.name + " overruns the row");
      }
      out[c.number] = std::string(reinterpret_cast<const char*>(row) + 2 + c.fixed_offset, size);
    } else if (c.var_index < var_count) {
      const size_t start = LoadU16(row + offsets_at - 2 * c.var_index);
      const size_t end = LoadU16(row + offsets_at - 2 * (c.var_index + 1));
      if (start > end || end > fixed_end || start < 2) {
        throw damaged("column " + c.name + " overruns the row");
      }
      out[c.number] = std::string(reinterpret_cast<const char*>(row) + start, end - start);
    }
  }
  return out;
}

std::string BuildRow(const TableDef& def, const StoredColumns& columns, size_t pad_to) {
  const uint16_t column_count = ColumnCount(def);
  auto stored = [&](const Column& c) -> const std::optional<std::string>& {
    static const std::optional<std::string> kNull;
    return c.number < columns.size() ? columns[c.number] : kNull;
  };
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
    const std::optional<std::string>& value = stored(c);
    if (!value) continue;
    mask[c.number / 8] = static_cast<uint8_t>(mask[c.number / 8] | (1u << (c.number % 8)));
    if (c.type == kTypeBoolean || !c.fixed()) continue;
    if (value->size() != StoredSize(c)) {
      throw Error("column " + c.name + ": " + std::to_string(value->size()) +
                  " bytes for a fixed size of " + std::to_string(StoredSize(c)));
    }
    std::memcpy(row.data() + 2 + c.fixed_offset, value->data(), value->size());
  }
  if (HasVariableColumns(def)) {
    std::sort(variable.begin(), variable.end(),
              [](const Column* a, const Column* b) { return a->var_index < b->var_index; });
    size_t var_count = def.variable_columns;
    for (const Column* c : variable) var_count = std::max<size_t>(var_count, c->var_index + 1u);
    std::vector<uint16_t> offsets(var_count + 1);
    size_t next = 0;
    for (size_t v = 0; v < var_count; ++v) {
      offsets[v] = static_cast<uint16_t>(row.size());
      if (next < variable.size() && variable[next]->var_index == v) {
        if (const std::optional<std::string>& value = stored(*variable[next])) row += *value;
        ++next;
      }
      if (row.size() > kMaxRowSize) break;
    }
    offsets[var_count] = static_cast<uint16_t>(row.size());  // end of data
    const size_t trailer = 2 + 2 * var_count + 2 + mask.size();
    if (pad_to > row.size() + trailer) row.append(pad_to - row.size() - trailer, '\0');
    AppendU16(&row, offsets[var_count]);
    for (size_t v = var_count; v-- > 0;) AppendU16(&row, offsets[v]);
    AppendU16(&row, static_cast<uint16_t>(var_count));
  } else if (pad_to > row.size() + mask.size()) {
    row.append(pad_to - row.size() - mask.size(), '\0');
  }
  row.append(reinterpret_cast<const char*>(mask.data()), mask.size());
  if (row.size() > kMaxRowSize) {
    throw Error("a row of " + std::to_string(row.size()) + " bytes is too long for a page");
  }
  return row;
}

std::string EncodeText(std::string_view utf8, bool compress) {
  const std::u16string units = base::Utf8ToUtf16(utf8);
  std::string out;
  if (compress && units.size() >= 3 &&
      std::all_of(units.begin(), units.end(), [](char16_t u) { return u >= 1 && u <= 0xFF; })) {
    out = "\xFF\xFE";
    for (char16_t u : units) out.push_back(static_cast<char>(u));
    return out;
  }
  out.reserve(units.size() * 2);
  for (char16_t u : units) AppendU16(&out, u);
  return out;
}

std::string StoreValue(const Column& column, const Value& value) {
  std::string out;
  switch (column.type) {
    case kTypeByte:
      AppendLittleEndian(&out, static_cast<uint64_t>(IntegerIn(column, value, 0, 255)), 1);
      break;
    case kTypeInteger:
      AppendLittleEndian(&out, static_cast<uint64_t>(IntegerIn(column, value, -32768, 32767)), 2);
      break;
    case kTypeLong:
      AppendLittleEndian(
          &out, static_cast<uint64_t>(IntegerIn(column, value, INT32_MIN, INT32_MAX)), 4);
      break;
    case kTypeCurrency: {
      const Currency* c = std::get_if<Currency>(&value);
      if (c == nullptr) Mismatch(column, "the value");
      AppendLittleEndian(&out, static_cast<uint64_t>(c->ten_thousandths), 8);
      break;
    }
    case kTypeSingle: {
      const float f = static_cast<float>(Real(column, value));
      uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      AppendLittleEndian(&out, bits, 4);
      break;
    }
    case kTypeDouble:
    case kTypeDateTime: {
      const double d = Real(column, value);
      if (!std::isfinite(d)) Mismatch(column, "a value that is not a number");
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      AppendLittleEndian(&out, bits, 8);
      break;
    }
    case kTypeText: {
      const std::string* text = std::get_if<std::string>(&value);
      if (text == nullptr) Mismatch(column, "the value");
      const size_t characters = base::Utf8ToUtf16(*text).size();
      if (characters > static_cast<size_t>(column.max_characters())) {
        throw Error("column " + column.name + ": " + std::to_string(characters) +
                    " characters do not fit its " + std::to_string(column.max_characters()));
      }
      if (column.fixed()) {  // stored in full, padded with spaces
        std::string padded = *text;
        padded.append(column.max_characters() - characters, ' ');
        return EncodeText(padded, false);
      }
      return EncodeText(*text, column.compressed_unicode());
    }
    case kTypeBinary: {
      const Binary* b = std::get_if<Binary>(&value);
      if (b == nullptr) Mismatch(column, "the value");
      if (b->bytes.size() > column.length || (column.fixed() && b->bytes.size() != column.length)) {
        throw Error("column " + column.name + ": " + std::to_string(b->bytes.size()) +
                    " bytes do not fit its " + std::to_string(column.length));
      }
      return b->bytes;
    }
    default:
      Mismatch(column, "a stored value");
  }
  return out;
}

std::string StoreLongValue(PageCache& cache, const TableDef& def, const Column& column,
                           std::string_view data) {
  std::string definition;
  if (data.size() <= kInlineLongValue) {
    AppendLittleEndian(&definition, data.size() | 0x80000000u, 4);
    definition.append(8, '\0');
    definition.append(data);
    return definition;
  }
  if (data.size() > kSingleLongValueRow) {
    throw Error("column " + column.name + ": a long value of " + std::to_string(data.size()) +
                " bytes is longer than this engine writes");
  }
  RowPointer owned, free_space;
  for (const LongValueMaps& maps : def.long_value_maps) {
    if (maps.column_number == column.number) {
      owned = maps.owned_pages;
      free_space = maps.free_space;
    }
  }
  PageNumber page = FindRoom(cache, free_space, kLongValueOwner, data.size());
  if (page == 0) page = NewDataPage(cache, kLongValueOwner, owned, free_space);
  const RowPointer where = AddRowToPage(cache, page, data, 0);
  AppendLittleEndian(&definition, data.size() | 0x40000000u, 4);
  AppendLittleEndian(&definition, where.Word(), 4);
  definition.append(4, '\0');
  return definition;
}

RowPointer InsertRow(PageCache& cache, const TableDef& def, std::string_view bytes,
                     uint16_t slot_flags) {
  if (bytes.size() > kMaxRowSize) {
    throw Error(cache.file_name() + ": a row of " + std::to_string(bytes.size()) +
                " bytes is too long for a page");
  }
  PageNumber page = FindRoom(cache, def.free_space, def.page, bytes.size());
  if (page == 0) page = NewDataPage(cache, def.page, def.owned_pages, def.free_space);
  return AddRowToPage(cache, page, bytes, slot_flags);
}

namespace {

// Puts the row built from `columns` in place of the row in slot `slot` of `page`: in its own
// bytes, padded to its length, when not longer, else by repacking the page. False when the page
// lacks room.
bool ReplaceOnPage(PageCache& cache, const TableDef& def, PageNumber number, int slot,
                   const StoredColumns& columns, const std::string& bytes) {
  PageRef current = cache.Read(number);
  std::vector<SlotRow> rows = ReadSlotRows(*current, cache);
  SlotRow& row = rows[static_cast<size_t>(slot)];
  if (bytes.size() <= row.bytes.size()) {
    // The same length: no other row moves.
    const std::string padded = BuildRow(def, columns, row.bytes.size());
    const RowSlot where = ReadSlot(*current, slot, cache);
    Page& page = cache.Modify(number);
    std::memcpy(page.bytes.data() + where.offset, padded.data(), padded.size());
    return true;
  }
  if (FreeSpace(*current) < bytes.size() - row.bytes.size()) return false;
  row.bytes = bytes;
  PackSlotRows(cache.Modify(number), rows, cache);
  return true;
}

void StorePointer(PageCache& cache, RowPointer header, RowPointer target) {
  PageRef current = cache.Read(header.page);
  const RowSlot slot = ReadSlot(*current, header.row, cache);
  Page& page = cache.Modify(header.page);
  StoreU32(page.bytes.data() + slot.offset, target.Word());
  uint8_t* word = page.bytes.data() + kDataPageHeader + 2 * header.row;
  StoreU16(word, static_cast<uint16_t>(LoadU16(word) | kSlotOverflowFlag));
}

}  // namespace

void ReplaceRow(PageCache& cache, const TableDef& def, RowPointer where,
                const StoredColumns& columns) {
  const std::string bytes = BuildRow(def, columns);
  if (bytes.size() > kMaxRowSize) {
    throw Error(cache.file_name() + ": a row of " + std::to_string(bytes.size()) +
                " bytes is too long for a page");
  }
  PageRef header_page = cache.Read(where.page);
  const RowSlot header = ReadSlot(*header_page, where.row, cache);
  if (header.deleted) throw Error(cache.Where(where.page) + "the row to replace is deleted");
  const RowLocation data = LocateRow(cache, RowLocation{header_page, where, header});
  if (ReplaceOnPage(cache, def, data.where.page, data.where.row, columns, bytes)) return;
  if (header.length < 4) throw Error(cache.Where(where.page) + "row too short to point elsewhere");
  // Too long for where it is: the data goes to a new row of its own, hidden from scans, and the
  // header slot points to it. An old target stays behind, deleted.
  const RowPointer target = InsertRow(cache, def, bytes, kSlotDeletedFlag);
  if (target.page != where.page) cache.Flush();
  StorePointer(cache, where, target);
}

void AddToRowCount(PageCache& cache, const TableDef& def, int32_t delta) {
  Page& page = cache.Modify(def.page);
  uint8_t* count = page.bytes.data() + kRowCountOffset;
  const int64_t after = static_cast<int64_t>(LoadU32(count)) + delta;
  StoreU32(count, static_cast<uint32_t>(std::max<int64_t>(after, 0)));
}

}  // namespace jet
