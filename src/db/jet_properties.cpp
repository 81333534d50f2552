#include "db/jet_properties.h"

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/text.h"

namespace db {
namespace {

constexpr uint16_t kNameListChunk = 0x0080;
constexpr uint16_t kColumnChunk = 0x0001;

// A bounds-checked reader over the blob.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(size_t n, size_t at) const { return at <= bytes_.size() && n <= bytes_.size() - at; }
  uint16_t U16(size_t at) const { return jet::LoadU16(Data(at)); }
  uint32_t U32(size_t at) const { return jet::LoadU32(Data(at)); }
  uint8_t U8(size_t at) const { return static_cast<uint8_t>(bytes_[at]); }
  std::string Utf16(size_t at, size_t byte_length) const {
    std::u16string text;
    for (size_t i = 0; i + 1 < byte_length; i += 2) text.push_back(char16_t(U16(at + i)));
    return base::Utf16ToUtf8(text);
  }

 private:
  const uint8_t* Data(size_t at) const {
    return reinterpret_cast<const uint8_t*>(bytes_.data() + at);
  }
  std::string_view bytes_;
};

}  // namespace

std::vector<std::string> RequiredColumns(std::string_view blob) {
  std::vector<std::string> required;
  const Reader r(blob);
  if (!r.Has(4, 0) || blob.substr(0, 4) != std::string_view("MR2\0", 4)) return required;
  std::vector<std::string> names;
  size_t chunk = 4;
  while (r.Has(6, chunk)) {
    const uint32_t chunk_length = r.U32(chunk);
    const uint16_t type = r.U16(chunk + 4);
    if (chunk_length < 6 || !r.Has(chunk_length, chunk)) break;
    const size_t end = chunk + chunk_length;
    if (type == kNameListChunk) {
      for (size_t at = chunk + 6; r.Has(2, at) && at + 2 <= end;) {
        const uint16_t length = r.U16(at);
        if (at + 2 + length > end) break;
        names.push_back(r.Utf16(at + 2, length));
        at += 2 + length;
      }
    } else if (type == kColumnChunk && r.Has(6, chunk + 6)) {
      // The column's block: its own length (counting itself and the name), the name, then
      // values of (total length, DDL flag, type, name index, data length, data).
      const uint32_t header = r.U32(chunk + 6);
      const uint16_t name_length = r.U16(chunk + 10);
      if (header < 6u + name_length || chunk + 6 + header > end) break;
      const std::string column = r.Utf16(chunk + 12, name_length);
      for (size_t at = chunk + 6 + header; r.Has(8, at) && at + 8 <= end;) {
        const uint16_t length = r.U16(at);
        if (length < 8 || at + length > end) break;
        const uint8_t value_type = r.U8(at + 3);
        const uint16_t name_index = r.U16(at + 4);
        const uint16_t data_length = r.U16(at + 6);
        if (name_index < names.size() && jet::NamesEqual(names[name_index], "Required") &&
            value_type == jet::kTypeBoolean && data_length >= 1 && 8u + data_length <= length &&
            r.U8(at + 8) != 0) {
          required.push_back(column);
        }
        at += length;
      }
    }
    chunk = end;
  }
  return required;
}

std::map<int32_t, std::vector<std::string>> ReadRequiredColumns(jet::Database& database) {
  std::map<int32_t, std::vector<std::string>> required;
  const jet::TableDef& def = database.GetTableDef("MSysObjects");
  const jet::Column* id = def.FindColumn("Id");
  const jet::Column* properties = def.FindColumn("LvProp");
  if (id == nullptr || properties == nullptr) return required;
  const size_t id_at = static_cast<size_t>(id - def.columns.data());
  const size_t properties_at = static_cast<size_t>(properties - def.columns.data());
  std::vector<bool> wanted(def.columns.size(), false);
  wanted[id_at] = true;
  wanted[properties_at] = true;
  jet::TableCursor rows = database.OpenTable("MSysObjects");
  rows.SelectColumns(std::move(wanted));
  while (rows.Next()) {
    const jet::Value& row_id = rows.values()[id_at];
    const jet::Value& blob = rows.values()[properties_at];
    if (!std::holds_alternative<int64_t>(row_id) || !std::holds_alternative<jet::Binary>(blob))
      continue;
    std::vector<std::string> columns = RequiredColumns(std::get<jet::Binary>(blob).bytes);
    if (!columns.empty())
      required[static_cast<int32_t>(std::get<int64_t>(row_id))] = std::move(columns);
  }
  return required;
}

}  // namespace db
