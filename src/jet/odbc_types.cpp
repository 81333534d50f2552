#include "jet/odbc_types.h"

#include <algorithm>

#include "jet/byte_order.h"
#include "jet/table_def_layout.h"
#include "jet/text.h"

namespace jet {
namespace {

constexpr uint16_t kFixed = 0x01;
constexpr uint16_t kUpdatable = 0x02;

Column Fixed(uint8_t type, uint16_t length) {
  Column c;
  c.type = type;
  c.length = length;
  c.flags = kFixed | kUpdatable;
  return c;
}

Column Variable(uint8_t type, uint16_t length) {
  Column c;
  c.type = type;
  c.length = length;
  c.flags = kUpdatable;
  return c;
}

Column MapColumn(const RemoteColumn& r) {
  Column c;
  switch (r.sql_type) {
    case kSqlBit:
      c = Fixed(kTypeBoolean, 1);
      break;
    case kSqlTinyInt:
      c = r.is_unsigned ? Fixed(kTypeByte, 1) : Fixed(kTypeInteger, 2);
      break;
    case kSqlSmallInt:
      c = Fixed(kTypeInteger, 2);
      break;
    case kSqlInteger:
      c = Fixed(kTypeLong, 4);
      break;
    case kSqlReal:
      c = Fixed(kTypeSingle, 4);
      break;
    case kSqlFloat:
    case kSqlDouble:
      c = Fixed(kTypeDouble, 8);
      break;
    case kSqlDecimal:
    case kSqlNumeric:
      if (r.size <= 28) {
        c = Fixed(kTypeDecimal, 17);
        c.precision = static_cast<uint8_t>(r.size);
        c.scale = static_cast<uint8_t>(std::clamp<int16_t>(r.digits, 0, 28));
      } else {
        c = Variable(kTypeText, 2 * 255);
      }
      break;
    case kSqlChar:
    case kSqlVarChar:
    case kSqlWChar:
    case kSqlWVarChar:
      c = r.size >= 1 && r.size <= 255 ? Variable(kTypeText, static_cast<uint16_t>(2 * r.size))
                                       : Variable(kTypeMemo, 0);
      break;
    case kSqlLongVarChar:
    case kSqlWLongVarChar:
      c = Variable(kTypeMemo, 0);
      break;
    case kSqlDate:
    case kSqlTime:
    case kSqlTimestamp:
    case kSqlDateV2:
    case kSqlTimeV2:
    case kSqlTimestampV2:
      c = Fixed(kTypeDateTime, 8);
      break;
    case kSqlBinary:
    case kSqlVarBinary:
      c = r.size >= 1 && r.size <= 510 ? Variable(kTypeBinary, static_cast<uint16_t>(r.size))
                                       : Variable(kTypeOle, 0);
      break;
    case kSqlLongVarBinary:
      c = Variable(kTypeOle, 0);
      break;
    case kSqlGuid:
      c = Fixed(kTypeGuid, 16);
      break;
    case kSqlBigInt:  // Jet 4 has no 64-bit integer: the digits as text
      c = Variable(kTypeText, 2 * 20);
      break;
    default:  // an unknown type: what the driver can give as text
      c = Variable(kTypeMemo, 0);
      break;
  }
  c.name = r.name;
  c.collation = kGeneralSortOrder;
  if (r.auto_increment) c.flags = static_cast<uint8_t>(c.flags & ~kUpdatable);
  return c;
}

}  // namespace

NewTableDef LinkStructure(const RemoteTable& remote) {
  NewTableDef def;
  for (const RemoteColumn& r : remote.columns) def.columns.push_back(MapColumn(r));
  bool have_primary = false;
  for (const RemoteIndex& r : remote.indexes) {
    NewIndex index;
    index.name = r.name;
    index.unique = r.unique;
    for (const std::string& name : r.columns) {
      for (const Column& c : def.columns) {
        if (NamesEqual(c.name, name)) {
          index.columns.push_back(static_cast<uint16_t>(&c - def.columns.data()));
          break;
        }
      }
    }
    if (index.columns.size() != r.columns.size() || index.columns.empty() ||
        index.columns.size() > kIndexColumnSlots) {
      continue;
    }
    if (r.unique && !have_primary) index.primary_key = have_primary = true;
    def.indexes.push_back(std::move(index));
  }
  return def;
}

std::string RemoteInfo(const RemoteTable& remote) {
  std::string out;
  for (const RemoteColumn& c : remote.columns) {
    // Jet keeps the ODBC 2 codes of dates and times, as Access writes them.
    int16_t type = c.sql_type;
    if (type == kSqlDate) type = kSqlDateV2;
    if (type == kSqlTime) type = kSqlTimeV2;
    if (type == kSqlTimestamp) type = kSqlTimestampV2;
    AppendLittleEndian(&out, static_cast<uint16_t>(type), 2);
    AppendLittleEndian(&out, std::min<uint32_t>(c.size, 0xFFFF), 2);
    AppendLittleEndian(&out, static_cast<uint16_t>(c.digits), 2);
  }
  return out;
}

}  // namespace jet
