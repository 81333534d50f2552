// The column descriptors of a table definition, judged by what each type allows. A reader of the
// rows takes every byte of them on trust: a zeroed type byte or length makes every value of the
// column garbage, an offset into another column's bytes makes two columns share them.
#include <algorithm>
#include <vector>

#include "jet/check_parts.h"
#include "jet/row.h"
#include "jet/text.h"

namespace jet {
namespace {

// Types of the Jet 4 files Access writes, other than the named ones: 0x0D and 0x11 (3992 bytes,
// always fixed) occur in Access's own tables; no reader but Jackcess and ours gives them a name.
constexpr uint8_t kTypeUnknown0D = 0x0D;
constexpr uint8_t kTypeUnknown11 = 0x11;
constexpr uint16_t kUnknown11Length = 3992;
// Jet 4 Text and Binary columns hold at most 255 characters (510 bytes) and 510 bytes.
constexpr uint16_t kMaxTextOrBinaryLength = 510;
// The longest row a data page takes (4096 - 14 header bytes - a 2-byte slot, rounded as Jet does).
constexpr size_t kMaxRowLength = 4060;
constexpr uint8_t kMaxDecimalPrecision = 28;

// Access names hold at most 64 characters, none of them a control character or . ! ` [ ], and
// neither start nor end with a space.
constexpr size_t kMaxNameCharacters = 64;

// What makes `name` (UTF-8) one Access does not give, or "".
std::string NameFlaw(const std::string& name) {
  if (name.empty()) return "has no name";
  size_t characters = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if ((c & 0xC0) != 0x80) ++characters;
    if (c < 0x20 || c == 0x7F) return "has a control character in its name";
    if (c == '.' || c == '!' || c == '`' || c == '[' || c == ']')
      return "has the character " + std::string(1, static_cast<char>(c)) + " in its name";
    // U+FFFD stands for half a surrogate pair; U+FFFE and U+FFFF are no characters.
    if (c == 0xEF && i + 2 < name.size() && static_cast<unsigned char>(name[i + 1]) == 0xBF &&
        static_cast<unsigned char>(name[i + 2]) >= 0xBD) {
      return "has a broken character in its name";
    }
  }
  if (name.front() == ' ' || name.back() == ' ')
    return "has a name that starts or ends with a space";
  if (characters > kMaxNameCharacters) return "has a name of more than 64 characters";
  return "";
}

bool KnownType(uint8_t type) {
  return (type >= kTypeBoolean && type <= kTypeMemo) || type == kTypeGuid || type == kTypeDecimal ||
         type == kTypeUnknown0D || type == kTypeUnknown11;
}

// What is wrong with column `c` taken alone, or "".
std::string ColumnFlaw(const Column& c, const TableDef& def) {
  if (!KnownType(c.type))
    return "has the type code " + std::to_string(c.type) + ", which Jet 4 does not have";
  if (std::string flaw = NameFlaw(c.name); !flaw.empty()) return flaw;
  const size_t size = FixedSize(c.type);
  if (size != 0 && c.length != size) {
    return "is a " + TypeName(c.type) + " column of " + std::to_string(c.length) +
           " bytes; that type takes " + std::to_string(size);
  }
  switch (c.type) {
    case kTypeBoolean:
      if (!c.fixed()) return "is a Yes/No column not marked fixed";
      break;
    case kTypeText:
      if (c.length == 0 || c.length > kMaxTextOrBinaryLength || c.length % 2 != 0)
        return "is a Text column of " + std::to_string(c.length) + " bytes";
      break;
    case kTypeBinary:
      if (c.length == 0 || c.length > kMaxTextOrBinaryLength)
        return "is a Binary column of " + std::to_string(c.length) + " bytes";
      break;
    case kTypeMemo:
    case kTypeOle:
      if (c.fixed()) return "is a " + TypeName(c.type) + " column marked fixed";
      break;
    case kTypeDecimal:
      if (c.precision == 0 || c.precision > kMaxDecimalPrecision || c.scale > c.precision)
        return "is a Decimal column of precision " + std::to_string(c.precision) + " and scale " +
               std::to_string(c.scale);
      break;
    case kTypeUnknown11:
      if (!c.fixed() || c.length != kUnknown11Length)
        return "has the type code 17 with " + std::to_string(c.length) + " bytes";
      break;
    default:
      break;
  }
  if (c.compressed_unicode() && c.type != kTypeText && c.type != kTypeMemo)
    return "is a " + TypeName(c.type) + " column that allows compressed text";
  if (c.autonumber() && c.type != kTypeLong) return "is an AutoNumber but not a Long Integer";
  if (c.autonumber_guid() && c.type != kTypeGuid)
    return "is a GUID AutoNumber but not a Replication ID";
  if (c.hyperlink() && c.type != kTypeMemo) return "is a Hyperlink but not a Memo";
  if (c.fixed() && c.type != kTypeBoolean) {
    const size_t bytes = size != 0 ? size : c.length;
    if (2 + static_cast<size_t>(c.fixed_offset) + bytes > kMaxRowLength)
      return "lies at fixed offset " + std::to_string(c.fixed_offset) + ", past the longest row";
  }
  if (!c.fixed() && c.var_index >= def.variable_columns) {
    return "has variable column index " + std::to_string(c.var_index) + " but the table has " +
           std::to_string(def.variable_columns) + " variable columns";
  }
  return "";
}

}  // namespace

void CheckColumns(const TableDef& def, const std::string& table, CheckReport* report) {
  const std::string where = table + ": definition page " + std::to_string(def.page) + ": column ";
  struct Span {
    size_t from, to;
    const Column* column;
  };
  std::vector<Span> fixed;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const Column& c = def.columns[i];
    const std::string flaw = ColumnFlaw(c, def);
    if (!flaw.empty()) report->errors.push_back(where + c.name + " " + flaw);
    for (size_t j = 0; j < i; ++j) {
      const Column& other = def.columns[j];
      if (other.number == c.number) {
        report->errors.push_back(where + c.name + " has the number " + std::to_string(c.number) +
                                 " of column " + other.name);
      } else if (NamesEqual(other.name, c.name)) {
        report->errors.push_back(where + c.name + " has the name of another column");
      } else if (!c.fixed() && !other.fixed() && other.var_index == c.var_index) {
        report->errors.push_back(where + c.name + " has the variable column index of column " +
                                 other.name);
      }
    }
    if (c.fixed() && c.type != kTypeBoolean && flaw.empty()) {
      const size_t size = FixedSize(c.type) != 0 ? FixedSize(c.type) : c.length;
      fixed.push_back({c.fixed_offset, c.fixed_offset + size, &c});
    }
  }
  std::sort(fixed.begin(), fixed.end(),
            [](const Span& a, const Span& b) { return a.from < b.from; });
  for (size_t i = 1; i < fixed.size(); ++i) {
    if (fixed[i].from < fixed[i - 1].to) {
      report->errors.push_back(where + fixed[i].column->name + " shares bytes " +
                               std::to_string(fixed[i].from) + ".." +
                               std::to_string(std::min(fixed[i].to, fixed[i - 1].to)) +
                               " of the fixed area with column " + fixed[i - 1].column->name);
    }
  }
}

}  // namespace jet
