#include "jet/table_def.h"

#include <algorithm>
#include <cstdio>

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/error.h"
#include "jet/table_def_layout.h"
#include "jet/text.h"

namespace jet {
namespace {

// Largest definition we accept: 255 columns and 64 indexes with long names fit in far less.
constexpr size_t kMaxTableDefPages = 256;

// Bounds-checked reading of the logical TDEF buffer.
class Reader {
 public:
  Reader(const std::vector<uint8_t>& bytes, const PageCache& cache, PageNumber page)
      : bytes_(bytes), cache_(cache), page_(page) {}

  const uint8_t* At(size_t offset, size_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
      throw Error(cache_.Where(page_) + "table definition is truncated (needs bytes " +
                  std::to_string(offset) + ".." + std::to_string(offset + length) + " of " +
                  std::to_string(bytes_.size()) + ")");
    }
    return bytes_.data() + offset;
  }
  uint8_t U8(size_t offset) const { return *At(offset, 1); }
  uint16_t U16(size_t offset) const { return LoadU16(At(offset, 2)); }
  uint32_t U32(size_t offset) const { return LoadU32(At(offset, 4)); }
  size_t size() const { return bytes_.size(); }

  // A name: 2-byte byte length + UTF-16LE. Advances `offset`.
  std::string Name(size_t* offset) const {
    uint16_t length = U16(*offset);
    const uint8_t* p = At(*offset + 2, length);
    *offset += 2 + length;
    std::u16string units;
    units.reserve(length / 2);
    for (size_t i = 0; i + 1 < length; i += 2)
      units.push_back(static_cast<char16_t>(LoadU16(p + i)));
    return base::Utf16ToUtf8(units);
  }

  std::string Where() const { return cache_.Where(page_); }

 private:
  const std::vector<uint8_t>& bytes_;
  const PageCache& cache_;
  PageNumber page_;
};

std::vector<uint8_t> LoadDefinitionBytes(PageCache& cache, PageNumber first) {
  std::vector<uint8_t> bytes;
  PageNumber next = first;
  size_t pages = 0;
  while (next != 0) {
    if (++pages > kMaxTableDefPages || pages > cache.page_count()) {
      throw Error(cache.Where(first) + "table definition continues over too many pages (a loop?)");
    }
    if (next >= cache.page_count()) {
      throw Error(cache.Where(first) + "table definition continues at page " +
                  std::to_string(next) + ", beyond the end of the file");
    }
    PageRef page = cache.Read(next);
    if (page->type() != kPageTableDef) {
      throw Error(cache.Where(next) + "expected a table definition page, found page type " +
                  std::to_string(page->type()));
    }
    const uint8_t* p = page->data();
    if (pages == 1) {
      bytes.assign(p, p + kPageSize);
    } else {
      bytes.insert(bytes.end(), p + kTableDefContinuation, p + kPageSize);
    }
    next = LoadU32(p + kTableDefNextPage);
  }
  return bytes;
}

// The counts of the header, each checked against the bytes of the definition.
struct Counts {
  uint16_t columns = 0;
  uint32_t logical = 0;
  uint32_t real = 0;
};

Counts ReadHeader(const Reader& in, TableDef* def) {
  def->row_count = in.U32(kTableDefRowCount);
  def->last_autonumber = in.U32(20);
  def->system = in.U8(40) == 0x53;
  def->max_columns = in.U16(41);
  def->variable_columns = in.U16(43);
  Counts counts;
  counts.columns = in.U16(45);
  counts.logical = in.U32(47);
  counts.real = in.U32(51);
  def->owned_pages = RowPointer::FromWord(in.U32(55));
  def->free_space = RowPointer::FromWord(in.U32(59));
  // Every count must fit the bytes we hold before we reserve anything for it.
  if (counts.real > in.size() / kRealIndexSize || counts.logical > in.size() / kLogicalIndexSize ||
      counts.columns > in.size() / kColumnDescriptorSize) {
    throw Error(in.Where() + "table definition counts (" + std::to_string(counts.columns) +
                " columns, " + std::to_string(counts.real) + " and " +
                std::to_string(counts.logical) + " indexes) do not fit its " +
                std::to_string(in.size()) + " bytes");
  }
  return counts;
}

// The column descriptors and names from `*offset`, which moves past them.
void ReadColumns(const Reader& in, uint16_t count, size_t* offset, TableDef* def) {
  def->columns.resize(count);
  for (Column& c : def->columns) {
    const uint8_t* d = in.At(*offset, kColumnDescriptorSize);
    c.type = d[0];
    c.number = LoadU16(d + 5);
    c.var_index = LoadU16(d + 7);
    c.display_index = LoadU16(d + 9);
    if (c.type == kTypeDecimal) {
      c.precision = d[11];
      c.scale = d[12];
    } else {
      c.collation = LoadU16(d + 11);
      c.collation_version = d[14];
    }
    c.flags = d[15];
    c.extra_flags = d[16];
    c.fixed_offset = LoadU16(d + 21);
    c.length = LoadU16(d + 23);
    *offset += kColumnDescriptorSize;
  }
  for (Column& c : def->columns) c.name = in.Name(offset);
  for (const Column& c : def->columns) {
    if (c.number >= def->max_columns) {
      throw Error(in.Where() + "column " + c.name + " has number " + std::to_string(c.number) +
                  " but the table has at most " + std::to_string(def->max_columns) + " columns");
    }
  }
}

// The real-index definitions from `*offset`, which moves past them.
void ReadRealIndexes(const Reader& in, const std::vector<uint32_t>& unique_entries, size_t* offset,
                     TableDef* def) {
  def->real_indexes.resize(unique_entries.size());
  for (uint32_t i = 0; i < unique_entries.size(); ++i) {
    RealIndex& r = def->real_indexes[i];
    const uint8_t* d = in.At(*offset, kRealIndexSize);
    r.number = i;
    r.unique_entries = unique_entries[i];
    for (size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
      uint16_t number = LoadU16(d + 4 + 3 * slot);
      if (number == 0xFFFF) continue;
      IndexColumn column;
      column.column_number = number;
      column.ascending = (d[4 + 3 * slot + 2] & 0x01) != 0;
      if (const Column* c = def->ColumnByNumber(number)) {
        column.name = c->name;
      } else {
        throw Error(in.Where() + "index " + std::to_string(i) + " refers to column number " +
                    std::to_string(number) + ", which the table does not have");
      }
      r.columns.push_back(std::move(column));
    }
    r.usage_map = RowPointer::FromWord(LoadU32(d + 34));
    r.root = LoadU32(d + 38);
    r.flags = d[46];
    *offset += kRealIndexSize;
  }
}

// The logical-index definitions and names from `*offset`, which moves past them; in the order of
// their numbers.
void ReadLogicalIndexes(const Reader& in, uint32_t count, size_t* offset, TableDef* def) {
  def->indexes.resize(count);
  for (Index& x : def->indexes) {
    const uint8_t* d = in.At(*offset, kLogicalIndexSize);
    x.number = LoadU32(d + 4);
    x.real_index = LoadU32(d + 8);
    x.related_index = static_cast<int32_t>(LoadU32(d + 13));
    x.related_table = LoadU32(d + 17);
    uint8_t type = d[23];
    x.primary_key = type == 1;
    x.foreign_key = type == 2;
    if (x.real_index >= def->real_indexes.size()) {
      throw Error(in.Where() + "logical index " + std::to_string(x.number) +
                  " refers to real index " + std::to_string(x.real_index) + " of " +
                  std::to_string(def->real_indexes.size()));
    }
    const RealIndex& r = def->real_indexes[x.real_index];
    x.columns = r.columns;
    x.unique = r.unique() || x.primary_key;
    x.ignore_nulls = r.ignore_nulls();
    x.required = r.required();
    *offset += kLogicalIndexSize;
  }
  for (Index& x : def->indexes) x.name = in.Name(offset);
  std::stable_sort(def->indexes.begin(), def->indexes.end(),
                   [](const Index& a, const Index& b) { return a.number < b.number; });
}

// Long-value column maps from `offset`, ended by 0xFFFF. Files written by old tools may omit them.
void ReadLongValueMaps(const Reader& in, uint16_t column_count, size_t offset, TableDef* def) {
  while (offset + 2 <= in.size()) {
    uint16_t number = in.U16(offset);
    if (number == 0xFFFF || offset + 10 > in.size()) break;
    LongValueMaps maps;
    maps.column_number = number;
    maps.owned_pages = RowPointer::FromWord(in.U32(offset + 2));
    maps.free_space = RowPointer::FromWord(in.U32(offset + 6));
    def->long_value_maps.push_back(maps);
    offset += 10;
    if (def->long_value_maps.size() > column_count) break;
  }
}

}  // namespace

std::string TypeName(uint8_t type) {
  switch (type) {
    case kTypeBoolean:
      return "Yes/No";
    case kTypeByte:
      return "Byte";
    case kTypeInteger:
      return "Integer";
    case kTypeLong:
      return "Long Integer";
    case kTypeCurrency:
      return "Currency";
    case kTypeSingle:
      return "Single";
    case kTypeDouble:
      return "Double";
    case kTypeDateTime:
      return "Date/Time";
    case kTypeBinary:
      return "Binary";
    case kTypeText:
      return "Text";
    case kTypeOle:
      return "OLE Object";
    case kTypeMemo:
      return "Memo";
    case kTypeGuid:
      return "Replication ID";
    case kTypeDecimal:
      return "Decimal";
    default: {
      char buffer[24];
      std::snprintf(buffer, sizeof buffer, "Unknown 0x%02X", type);
      return buffer;
    }
  }
}

const Column* TableDef::FindColumn(std::string_view name) const {
  for (const Column& c : columns) {
    if (NamesEqual(c.name, name)) return &c;
  }
  return nullptr;
}

int TableDef::ColumnIndex(std::string_view name) const {
  const Column* c = FindColumn(name);
  return c == nullptr ? -1 : static_cast<int>(c - columns.data());
}

const Column* TableDef::ColumnByNumber(uint16_t number) const {
  for (const Column& c : columns) {
    if (c.number == number) return &c;
  }
  return nullptr;
}

const Column& RequireColumn(const TableDef& def, std::string_view name, const std::string& table,
                            const std::string& file_name) {
  const Column* c = def.FindColumn(name);
  if (c == nullptr) throw Error(file_name + ": " + table + " has no column " + std::string(name));
  return *c;
}

TableDef ReadTableDef(PageCache& cache, PageNumber page) {
  if (page == 0 || page >= cache.page_count()) {
    throw Error(cache.file_name() + ": table definition page " + std::to_string(page) +
                " lies outside the file");
  }
  std::vector<uint8_t> bytes = LoadDefinitionBytes(cache, page);
  Reader in(bytes, cache, page);
  TableDef def;
  def.page = page;
  const Counts counts = ReadHeader(in, &def);
  size_t offset = kTableDefHeader;
  std::vector<uint32_t> unique_entries(counts.real);
  for (uint32_t i = 0; i < counts.real; ++i, offset += kTableDefRealIndexHeader) {
    unique_entries[i] = in.U32(offset + kTableDefUniqueEntries);
  }
  ReadColumns(in, counts.columns, &offset, &def);
  ReadRealIndexes(in, unique_entries, &offset, &def);
  ReadLogicalIndexes(in, counts.logical, &offset, &def);
  ReadLongValueMaps(in, counts.columns, offset, &def);
  return def;
}

}  // namespace jet
