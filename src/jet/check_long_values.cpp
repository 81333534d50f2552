// Long values read piece by piece. Our reader takes the pieces a definition points to and stops at
// its length; other readers stop differently (mdb-reader drops a last piece longer than the rest
// of the length, and reads a slot's offset with its flags), so every piece must be exactly where
// and what a sound file has.
#include <cstring>

#include "jet/byte_order.h"
#include "jet/check_parts.h"
#include "jet/data_page.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

constexpr size_t kDefinitionSize = 12;
constexpr uint8_t kInline = 0x80;
constexpr uint8_t kSingleRow = 0x40;
constexpr uint8_t kChain = 0x00;
constexpr size_t kNextPointer = 4;

std::string Pointer(RowPointer p) {
  return "page " + std::to_string(p.page) + " slot " + std::to_string(p.row);
}

}  // namespace

LongValueCheck::LongValueCheck(PageCache& cache, const TableDef& def) : cache_(cache) {
  for (const LongValueMaps& maps : def.long_value_maps) {
    if (maps.owned_pages.IsNull()) continue;
    try {
      const UsageMap map = UsageMap::Load(cache, maps.owned_pages);
      std::set<PageNumber>& pages = column_pages_[maps.column_number];
      for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1))
        pages.insert(*p);
    } catch (const Error&) {
      column_pages_.erase(maps.column_number);  // the map itself is reported by the table's check
    }
  }
}

std::string LongValueCheck::Piece(const Column& c, RowPointer where, const uint8_t** data,
                                  size_t* length) {
  if (where.page == 0 || where.page >= cache_.page_count())
    return "points to " + Pointer(where) + ", outside the file";
  page_ = cache_.Read(where.page);
  if (page_->type() != kPageData || DataPageOwner(*page_) != kLongValueOwner) {
    return "points to " + Pointer(where) + ", which is not a long-value page";
  }
  auto pages = column_pages_.find(c.number);
  if (pages != column_pages_.end() && pages->second.count(where.page) == 0) {
    return "points to " + Pointer(where) + ", a page its column's page map does not list";
  }
  if (!pieces_.insert(where.page << 8 | where.row).second) {
    return "points to " + Pointer(where) + ", which another value uses too";
  }
  RowSlot slot;
  try {
    slot = ReadSlot(*page_, where.row, cache_);
  } catch (const Error& e) {
    return "points to " + Pointer(where) + ": " + e.what();
  }
  if (slot.deleted || slot.overflow)
    return "points to " + Pointer(where) + ", a deleted or moved row";
  // mdb-reader reads a long-value row's offset with the slot's flags, the unused one too.
  if ((LoadU16(page_->data() + 14 + 2 * where.row) & 0x2000) != 0)
    return "points to " + Pointer(where) + ", a row whose slot carries a flag";
  *data = page_->data() + slot.offset;
  *length = slot.length;
  return "";
}

std::string LongValueCheck::Read(const Column& c, const uint8_t* definition, size_t length,
                                 std::string* out) {
  out->clear();
  if (length < kDefinitionSize) return "its long value definition is too short";
  const uint32_t size = LoadU32(definition) & 0xFFFFFF;
  const uint8_t kind = definition[3];
  const RowPointer first = RowPointer::FromWord(LoadU32(definition + 4));
  if (kind == kInline) {
    if (size > length - kDefinitionSize) return "its inline long value overruns the row";
    out->assign(reinterpret_cast<const char*>(definition + kDefinitionSize), size);
    return "";
  }
  if (kind != kSingleRow && kind != kChain)
    return "its long value has the unknown kind " + std::to_string(kind);
  const uint8_t* data = nullptr;
  size_t piece = 0;
  if (kind == kSingleRow) {
    std::string flaw = Piece(c, first, &data, &piece);
    if (!flaw.empty()) return "its long value " + flaw;
    if (piece < size) return "its long value's row holds fewer bytes than its length";
    out->assign(reinterpret_cast<const char*>(data), size);
    return "";
  }
  for (RowPointer next = first; out->size() < size || !next.IsNull();) {
    if (out->size() >= size) return "its long value's chain goes on past its length";
    if (next.IsNull()) return "its long value's chain ends before its length";
    std::string flaw = Piece(c, next, &data, &piece);
    if (!flaw.empty()) return "its long value " + flaw;
    if (piece <= kNextPointer || piece - kNextPointer > size - out->size()) {
      return "its long value's piece at " + Pointer(next) + " does not fit its length";
    }
    out->append(reinterpret_cast<const char*>(data + kNextPointer), piece - kNextPointer);
    next = RowPointer::FromWord(LoadU32(data));
  }
  return "";
}

}  // namespace jet
