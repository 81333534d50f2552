#include "jet/table_def_writer.h"

#include <algorithm>
#include <cstring>

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/error.h"
#include "jet/index_page.h"
#include "jet/page_allocator.h"
#include "jet/stored_value.h"
#include "jet/table_def_layout.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

constexpr uint32_t kFormatMagic = 1625;      // in the header, descriptors and logical indexes
constexpr uint32_t kRealIndexMagic = 1923;
// The pages an Access-sized inline map row covers.
constexpr PageNumber kMapWindow = (kAccessMapRowSize - kInlineMapHeader) * 8;

// The definition's bytes are all little-endian numbers.
void Put(std::string* out, uint64_t v, int bytes) { AppendLittleEndian(out, v, bytes); }

void PutName(std::string* out, const std::string& name) {
  const std::u16string units = base::Utf8ToUtf16(name);
  Put(out, units.size() * 2, 2);
  for (char16_t u : units) Put(out, u, 2);
}

// An inline usage map row holding `page` (none when 0). Access starts inline maps at a multiple
// of 8, at 0 while the window reaches.
std::string MapRow(PageNumber page) {
  std::string row(kAccessMapRowSize, '\0');
  if (page == 0) return row;
  const PageNumber start = page < kMapWindow ? 0 : page - page % 8;
  StoreU32(reinterpret_cast<uint8_t*>(row.data()) + 1, start);
  const PageNumber bit = page - start;
  row[kInlineMapHeader + bit / 8] = static_cast<char>(1u << (bit % 8));
  return row;
}

// Numbers the columns in order and lays out the fixed area and the variable-column table.
std::vector<Column> LayOut(const NewTableDef& def) {
  std::vector<Column> columns = def.columns;
  uint16_t fixed = 0, variable = 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    Column& c = columns[i];
    c.number = static_cast<uint16_t>(i);
    c.display_index = static_cast<uint16_t>(i + 1);  // as Access writes it for link columns
    if (c.type == kTypeBoolean) {
      c.fixed_offset = 0;
    } else if (c.fixed()) {
      c.fixed_offset = fixed;
      fixed = static_cast<uint16_t>(fixed + StoredSize(c));
    } else {
      c.fixed_offset = 0;
      c.var_index = variable++;
    }
  }
  return columns;
}

// The header: counts, the table's own maps (rows 0 and 1 of page `maps`), and the per-real-index
// blocks, whose unique-entry counts are 0 for now.
void EncodeHeader(const NewTableDef& def, const std::vector<Column>& columns, PageNumber maps,
                  std::string* out) {
  size_t variable = 0;
  for (const Column& c : columns) variable += !c.fixed() && c.type != kTypeBoolean ? 1 : 0;
  Put(out, 0x0102, 2);  // type, 0x01
  Put(out, 0, 2);       // free space, set by the caller
  Put(out, 0, 4);       // next page
  Put(out, 0, 4);       // length, set at the end
  Put(out, kFormatMagic, 4);
  Put(out, 0, 4);  // rows
  Put(out, 0, 4);  // last AutoNumber
  Put(out, 1, 1);
  out->append(15, '\0');
  Put(out, 'N', 1);
  Put(out, columns.size(), 2);  // max column count
  Put(out, variable, 2);
  Put(out, columns.size(), 2);
  Put(out, def.indexes.size(), 4);  // logical
  Put(out, def.indexes.size(), 4);  // real
  Put(out, RowPointer{maps, 0}.Word(), 4);
  Put(out, RowPointer{maps, 1}.Word(), 4);
  out->append(kTableDefRealIndexHeader * def.indexes.size(), '\0');
}

// The column descriptors, then the column names.
void EncodeColumns(const std::vector<Column>& columns, std::string* out) {
  for (const Column& c : columns) {
    const size_t at = out->size();
    Put(out, c.type, 1);
    Put(out, kFormatMagic, 4);
    Put(out, c.number, 2);
    Put(out, c.var_index, 2);
    Put(out, c.display_index, 2);
    if (c.type == kTypeDecimal) {
      Put(out, c.precision, 1);
      Put(out, c.scale, 1);
      Put(out, 0, 2);
    } else {
      Put(out, kGeneralSortOrder, 2);  // version 0
      Put(out, 0, 2);
    }
    Put(out, c.flags, 1);
    Put(out, c.extra_flags, 1);
    Put(out, 0, 4);
    Put(out, c.fixed_offset, 2);
    Put(out, c.length, 2);
    if (out->size() - at != kColumnDescriptorSize) throw Error("column descriptor size");
  }
  for (const Column& c : columns) PutName(out, c.name);
}

// One real index per index of `def`: its key columns, its map (row `first_map_row` + i of page
// `maps`) and its root.
void EncodeRealIndexes(const NewTableDef& def, size_t column_count, PageNumber maps,
                       size_t first_map_row, const std::vector<PageNumber>& roots,
                       std::string* out) {
  for (size_t i = 0; i < def.indexes.size(); ++i) {
    const NewIndex& index = def.indexes[i];
    if (index.columns.empty() || index.columns.size() > kIndexColumnSlots) {
      throw Error("index " + index.name + " has " + std::to_string(index.columns.size()) +
                  " key columns; an index takes 1 to 10");
    }
    Put(out, kRealIndexMagic, 4);
    for (size_t k = 0; k < kIndexColumnSlots; ++k) {
      if (k < index.columns.size()) {
        if (index.columns[k] >= column_count) throw Error("index " + index.name + ": no column");
        Put(out, index.columns[k], 2);
        Put(out, 1, 1);  // ascending
      } else {
        Put(out, 0xFFFF, 2);
        Put(out, 0, 1);
      }
    }
    Put(out, RowPointer{maps, static_cast<uint8_t>(first_map_row + i)}.Word(), 4);
    Put(out, roots[i], 4);
    Put(out, 0, 4);
    Put(out, index.primary_key ? 0x89 : index.unique ? 0x81 : 0x80, 1);
    out->append(5, '\0');
  }
}

// One logical index per real index, then their names.
void EncodeLogicalIndexes(const NewTableDef& def, std::string* out) {
  for (size_t i = 0; i < def.indexes.size(); ++i) {
    Put(out, kFormatMagic, 4);
    Put(out, i, 4);  // logical number
    Put(out, i, 4);  // its real index
    Put(out, 0, 1);
    Put(out, 0xFFFFFFFF, 4);  // no related index
    Put(out, 0, 4);           // no related table
    Put(out, 4, 1);           // what Access writes on indexes that are not foreign keys
    Put(out, 4, 1);
    Put(out, def.indexes[i].primary_key ? 1 : 0, 1);
    Put(out, 0, 4);
  }
  for (const NewIndex& index : def.indexes) PutName(out, index.name);
}

// The logical TDEF buffer. `maps` holds the map rows: 0 owned, 1 free space, then two per
// long-value column, then one per index.
std::string Encode(const NewTableDef& def, const std::vector<Column>& columns, PageNumber maps,
                   const std::vector<PageNumber>& roots) {
  std::vector<const Column*> long_values;
  for (const Column& c : columns) {
    if (c.long_value()) long_values.push_back(&c);
  }
  std::string out;
  EncodeHeader(def, columns, maps, &out);
  EncodeColumns(columns, &out);
  EncodeRealIndexes(def, columns.size(), maps, 2 + 2 * long_values.size(), roots, &out);
  EncodeLogicalIndexes(def, &out);
  for (size_t i = 0; i < long_values.size(); ++i) {
    Put(&out, long_values[i]->number, 2);
    Put(&out, RowPointer{maps, static_cast<uint8_t>(2 + 2 * i)}.Word(), 4);
    Put(&out, RowPointer{maps, static_cast<uint8_t>(3 + 2 * i)}.Word(), 4);
  }
  Put(&out, 0xFFFF, 2);
  StoreU32(reinterpret_cast<uint8_t*>(out.data()) + 8, static_cast<uint32_t>(out.size()));
  return out;
}

}  // namespace

WrittenTableDef WriteTableDef(PageCache& cache, const NewTableDef& def, PageNumber at) {
  const std::vector<Column> columns = LayOut(def);
  size_t long_values = 0;
  for (const Column& c : columns) long_values += c.long_value() ? 1 : 0;
  if (2 + 2 * long_values + def.indexes.size() > kMaxSlotsPerPage ||
      (2 + 2 * long_values + def.indexes.size()) * (kAccessMapRowSize + 2) > kEmptyDataPageSpace) {
    throw Error("a table definition with " + std::to_string(columns.size()) + " columns and " +
                std::to_string(def.indexes.size()) + " indexes has too many page maps");
  }
  WrittenTableDef written;
  written.first = at != 0 ? at : AllocatePage(cache);
  written.maps = AllocatePage(cache);
  for (size_t i = 0; i < def.indexes.size(); ++i) written.roots.push_back(AllocatePage(cache));

  std::string buffer = Encode(def, columns, written.maps, written.roots);
  const size_t continuation_space = kPageSize - kTableDefContinuation;
  const size_t extra = buffer.size() <= kPageSize
                           ? 0
                           : (buffer.size() - kPageSize + continuation_space - 1) / continuation_space;
  for (size_t i = 0; i < extra; ++i) written.continuation.push_back(AllocatePage(cache));

  // The usage maps: the table's own (empty: a link keeps no rows), the long-value columns'
  // (empty), one per index holding its root.
  std::vector<SlotRow> rows(2 + 2 * long_values);
  for (SlotRow& row : rows) row.bytes = MapRow(0);
  for (PageNumber root : written.roots) rows.push_back(SlotRow{0, MapRow(root)});
  Page& maps = cache.Modify(written.maps);
  InitDataPage(maps, 0);
  PackSlotRows(maps, rows, cache);

  for (PageNumber root : written.roots) {
    IndexPage leaf;
    leaf.number = root;
    leaf.leaf = true;
    leaf.table_def = written.first;
    Page& page = cache.Modify(root);
    page.bytes.fill(0);
    EncodeIndexPage(leaf, page.bytes.data());
  }
  // Continuation pages before the first page, which links to them.
  std::vector<PageNumber> chain{written.first};
  chain.insert(chain.end(), written.continuation.begin(), written.continuation.end());
  for (size_t i = chain.size(); i-- > 1;) {
    const size_t from = kPageSize + (i - 1) * continuation_space;
    const size_t length = std::min(continuation_space, buffer.size() - from);
    Page& page = cache.Modify(chain[i]);
    page.bytes.fill(0);
    page.bytes[0] = kPageTableDef;
    page.bytes[1] = 0x01;
    StoreU16(page.bytes.data() + kTableDefFreeSpace,
             static_cast<uint16_t>(continuation_space - length));
    StoreU32(page.bytes.data() + kTableDefNextPage, i + 1 < chain.size() ? chain[i + 1] : 0);
    std::memcpy(page.bytes.data() + kTableDefContinuation, buffer.data() + from, length);
  }
  if (at != 0) cache.Flush();  // everything the rewritten TDEF points to exists first
  Page& first = cache.Modify(written.first);
  first.bytes.fill(0);
  const size_t length = std::min(kPageSize, buffer.size());
  std::memcpy(first.bytes.data(), buffer.data(), length);
  // A single page's free space counts 8 bytes fewer, as Access writes it (jet4-notes §3.1).
  StoreU16(first.bytes.data() + kTableDefFreeSpace,
           static_cast<uint16_t>(chain.size() > 1 || buffer.size() + 8 > kPageSize
                                     ? 0
                                     : kPageSize - buffer.size() - 8));
  StoreU32(first.bytes.data() + kTableDefNextPage, chain.size() > 1 ? chain[1] : 0);
  return written;
}

}  // namespace jet
