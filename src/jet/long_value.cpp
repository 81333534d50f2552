#include "jet/long_value.h"

#include <set>

#include "jet/byte_order.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/row_placement.h"

namespace jet {
namespace {

constexpr uint8_t kInline = 0x80;
constexpr uint8_t kSingleRow = 0x40;
constexpr uint32_t kLengthMask = 0x3FFFFFFF;

// The bytes of long-value row `where`, checked.
const uint8_t* LongValueRow(PageCache& cache, RowPointer where, PageRef* holder, size_t* length) {
  if (where.page == 0 || where.page >= cache.page_count()) {
    throw Error(cache.file_name() + ": long value points to page " + std::to_string(where.page) +
                ", outside the file");
  }
  *holder = cache.Read(where.page);
  if ((*holder)->type() != kPageData) {
    throw Error(cache.Where(where.page) + "long value points to a page of type " +
                std::to_string((*holder)->type()) + ", not a data page");
  }
  RowSlot slot = ReadSlot(**holder, where.row, cache);
  *length = slot.length;
  return (*holder)->data() + slot.offset;
}

}  // namespace

void ReadLongValue(PageCache& cache, const uint8_t* definition, size_t length, std::string* out) {
  out->clear();
  if (length < kLongValueDefinitionSize) {
    throw Error(cache.file_name() + ": long value definition of " + std::to_string(length) +
                " bytes is shorter than 12");
  }
  uint32_t size = LoadU32(definition) & kLengthMask;
  uint8_t kind = definition[3] & 0xC0;
  RowPointer first = RowPointer::FromWord(LoadU32(definition + 4));
  if (kind == kInline) {
    if (size > length - kLongValueDefinitionSize) {
      throw Error(cache.file_name() + ": inline long value of " + std::to_string(size) +
                  " bytes overruns its row");
    }
    out->assign(reinterpret_cast<const char*>(definition + kLongValueDefinitionSize), size);
    return;
  }
  if (size > cache.file_size()) {
    throw Error(cache.file_name() + ": long value claims " + std::to_string(size) +
                " bytes, more than the whole file");
  }
  PageRef page;
  size_t row_length = 0;
  if (kind == kSingleRow) {
    const uint8_t* row = LongValueRow(cache, first, &page, &row_length);
    if (row_length < size) {
      throw Error(cache.Where(first.page) + "long value row " + std::to_string(first.row) +
                  " holds " + std::to_string(row_length) + " bytes, not the " +
                  std::to_string(size) + " its definition claims");
    }
    out->assign(reinterpret_cast<const char*>(row), size);
    return;
  }
  if (kind != 0) {
    throw Error(cache.file_name() + ": unknown long value kind " + std::to_string(kind));
  }
  // Grow with the data actually found rather than with the length the definition claims.
  out->reserve(size < (1u << 20) ? size : (1u << 20));
  RowPointer next = first;
  std::set<uint32_t> visited;  // a chain that comes back to a row is a loop
  while (out->size() < size) {
    if (next.IsNull()) {
      throw Error(cache.file_name() + ": long value chain ends after " +
                  std::to_string(out->size()) + " of " + std::to_string(size) + " bytes");
    }
    if (!visited.insert(next.Word()).second) {
      throw Error(cache.Where(next.page) + "long value chain comes back to row " +
                  std::to_string(next.row) + " (a loop)");
    }
    const uint8_t* row = LongValueRow(cache, next, &page, &row_length);
    if (row_length <= 4) {
      throw Error(cache.Where(next.page) + "long value row " + std::to_string(next.row) +
                  " holds no data");
    }
    size_t piece = row_length - 4;
    if (piece > size - out->size()) piece = size - out->size();
    out->append(reinterpret_cast<const char*>(row + 4), piece);
    next = RowPointer::FromWord(LoadU32(row));
  }
}

std::string StoreLongValue(PageCache& cache, const TableDef& def, const Column& column,
                           std::string_view data) {
  std::string definition;
  if (data.size() <= kMaxInlineLongValue) {
    AppendLittleEndian(&definition, data.size() | static_cast<uint32_t>(kInline) << 24, 4);
    definition.append(8, '\0');
    definition.append(data);
    return definition;
  }
  if (data.size() > kMaxSingleRowLongValue) {
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
  const RowPointer where = PlaceRow(cache, kLongValueOwner, owned, free_space, data);
  AppendLittleEndian(&definition, data.size() | static_cast<uint32_t>(kSingleRow) << 24, 4);
  AppendLittleEndian(&definition, where.Word(), 4);
  definition.append(4, '\0');
  return definition;
}

}  // namespace jet
