#include "jet/index_key.h"

#include <cstring>

#include "jet/general_sort_key.h"

namespace jet {
namespace {

int Position(const TableDef& def, uint16_t column_number) {
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (def.columns[i].number == column_number) return static_cast<int>(i);
  }
  return -1;
}

// Big-endian with the sign bit flipped, so that signed numbers sort as unsigned bytes.
std::string SignedBigEndian(int64_t v, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i)
    out += static_cast<char>((static_cast<uint64_t>(v) >> (8 * i)) & 0xFF);
  out[0] = static_cast<char>(out[0] ^ 0x80);
  return out;
}

// IEEE bytes big-endian; non-negative: top bit set, negative: every bit inverted.
std::string FloatingBigEndian(uint64_t bits, int bytes) {
  const bool negative = (bits >> (8 * bytes - 1)) & 1;
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) {
    uint8_t b = static_cast<uint8_t>(bits >> (8 * i));
    out += static_cast<char>(negative ? static_cast<uint8_t>(~b) : b);
  }
  if (!negative) out[0] = static_cast<char>(out[0] ^ 0x80);
  return out;
}

// Binary and GUID: 8-byte groups, each followed by 0x09 when more follow; the last one padded
// with zeros and followed by its real length.
std::string Grouped(const std::string& bytes, bool ascending) {
  std::string out;
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(8, bytes.size() - pos);
    std::string group = bytes.substr(pos, n);
    group.resize(8, '\0');
    pos += n;
    const bool last = pos >= bytes.size();
    if (!ascending) {
      for (char& c : group) c = static_cast<char>(~c);
    }
    out += group;
    char marker = last ? static_cast<char>(n) : '\x09';
    if (last && !ascending) marker = static_cast<char>(~marker);
    out += marker;
  } while (pos < bytes.size());
  return out;
}

std::optional<std::string> GuidBytes(const std::string& text) {
  std::string out;
  int high = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else
      continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high << 4 | v);
      high = -1;
    }
  }
  if (out.size() != 16) return std::nullopt;
  return out;
}

// A Double's or a Date's number.
std::optional<double> RealOf(const Value& value) {
  if (const double* d = std::get_if<double>(&value)) return *d;
  if (const Date* date = std::get_if<Date>(&value)) return date->days;
  return std::nullopt;
}

// A text's key in the General sort order (descending: inverted, then a 0x00).
std::optional<std::string> TextSegment(const Column& column, const Value& value, bool ascending) {
  const std::string* s = std::get_if<std::string>(&value);
  if (s == nullptr || column.collation != 1033 || column.collation_version != 0) {
    return std::nullopt;
  }
  std::optional<std::string> key = GeneralTextKey(*s);
  if (!key) return std::nullopt;
  if (!ascending) {
    for (char& c : *key) c = static_cast<char>(~c);
    *key += '\0';
  }
  return key;
}

std::optional<std::string> Segment(const Column& column, const Value& value, bool ascending) {
  std::string bytes;
  bool inverted_whole = true;
  switch (column.type) {
    case kTypeBoolean: {
      const bool* b = std::get_if<bool>(&value);
      bytes = (b != nullptr && *b) ? std::string(1, '\0') : std::string(1, '\xFF');
      break;
    }
    case kTypeByte:
    case kTypeInteger:
    case kTypeLong: {
      const int64_t* i = std::get_if<int64_t>(&value);
      if (i == nullptr) return std::nullopt;
      if (column.type == kTypeByte) {
        bytes = std::string(1, static_cast<char>(*i));
      } else {
        bytes = SignedBigEndian(*i, column.type == kTypeInteger ? 2 : 4);
      }
      break;
    }
    case kTypeCurrency: {
      const Currency* c = std::get_if<Currency>(&value);
      if (c == nullptr) return std::nullopt;
      bytes = SignedBigEndian(c->ten_thousandths, 8);
      break;
    }
    case kTypeSingle: {
      const float* f = std::get_if<float>(&value);
      if (f == nullptr) return std::nullopt;
      uint32_t bits;
      std::memcpy(&bits, f, 4);
      bytes = FloatingBigEndian(bits, 4);
      break;
    }
    case kTypeDouble:
    case kTypeDateTime: {
      const std::optional<double> d = RealOf(value);
      if (!d) return std::nullopt;
      uint64_t bits;
      std::memcpy(&bits, &*d, 8);
      bytes = FloatingBigEndian(bits, 8);
      break;
    }
    case kTypeText:
    case kTypeMemo: {
      std::optional<std::string> text = TextSegment(column, value, ascending);
      if (!text) return std::nullopt;
      bytes = std::move(*text);
      inverted_whole = false;
      break;
    }
    case kTypeBinary:
    case kTypeGuid: {
      std::optional<std::string> raw;
      if (const Binary* b = std::get_if<Binary>(&value)) raw = b->bytes;
      if (const Guid* g = std::get_if<Guid>(&value)) raw = GuidBytes(g->text);
      if (!raw) return std::nullopt;
      bytes = Grouped(*raw, ascending);
      inverted_whole = false;
      break;
    }
    default:
      return std::nullopt;  // Decimal, OLE: not computed here
  }
  if (!ascending && inverted_whole) {
    for (char& c : bytes) c = static_cast<char>(~c);
  }
  return std::string(1, ascending ? '\x7F' : '\x80') + bytes;
}

}  // namespace

std::optional<std::string> EncodeIndexKey(const TableDef& def, const RealIndex& index,
                                          const std::vector<Value>& values) {
  std::string key;
  for (const IndexColumn& ic : index.columns) {
    int position = Position(def, ic.column_number);
    if (position < 0 || static_cast<size_t>(position) >= values.size()) return std::nullopt;
    const Column& column = def.columns[position];
    const Value& value = values[position];
    if (IsNull(value) && column.type != kTypeBoolean) {
      key += ic.ascending ? '\x00' : '\xFF';
      continue;
    }
    std::optional<std::string> segment = Segment(column, value, ic.ascending);
    if (!segment) return std::nullopt;
    key += *segment;
  }
  return key;
}

bool KeyIsNull(const TableDef& def, const RealIndex& index, const std::vector<Value>& values) {
  for (const IndexColumn& ic : index.columns) {
    int position = Position(def, ic.column_number);
    if (position < 0 || static_cast<size_t>(position) >= values.size()) return false;
    if (!IsNull(values[position])) return false;
  }
  return true;
}

}  // namespace jet
