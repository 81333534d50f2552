#ifndef MDBTOMYSQL_DB_FIELD_H_
#define MDBTOMYSQL_DB_FIELD_H_

#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace db {

// ADO's DataTypeEnum, the numbers the system's logic compares Field::Type with.
namespace ado_type {
inline constexpr int kEmpty = 0;
inline constexpr int kSmallInt = 2;
inline constexpr int kInteger = 3;
inline constexpr int kSingle = 4;
inline constexpr int kDouble = 5;
inline constexpr int kCurrency = 6;
inline constexpr int kDate = 7;
inline constexpr int kBoolean = 11;
inline constexpr int kDecimal = 14;
inline constexpr int kTinyInt = 16;
inline constexpr int kUnsignedTinyInt = 17;
inline constexpr int kBigInt = 20;
inline constexpr int kUnsignedBigInt = 21;
inline constexpr int kGuid = 72;
inline constexpr int kBinary = 128;
inline constexpr int kChar = 129;
inline constexpr int kWChar = 130;
inline constexpr int kNumeric = 131;
inline constexpr int kDBDate = 133;
inline constexpr int kDBTime = 134;
inline constexpr int kDBTimeStamp = 135;
inline constexpr int kVarChar = 200;
inline constexpr int kLongVarChar = 201;
inline constexpr int kVarWChar = 202;
inline constexpr int kLongVarWChar = 203;
inline constexpr int kVarBinary = 204;
inline constexpr int kLongVarBinary = 205;
}  // namespace ado_type

// ADO's FieldAttributeEnum bits.
namespace ado_attr {
inline constexpr long kMayDefer = 0x2;
inline constexpr long kUpdatable = 0x4;
inline constexpr long kUnknownUpdatable = 0x8;
inline constexpr long kFixed = 0x10;
inline constexpr long kIsNullable = 0x20;
inline constexpr long kMayBeNull = 0x40;
inline constexpr long kLong = 0x80;
inline constexpr long kRowID = 0x100;
inline constexpr long kKeyColumn = 0x8000;
}  // namespace ado_attr

// What a provider says about one column of a result.
struct FieldInfo {
  std::string name;
  int type = ado_type::kEmpty;
  long defined_size = 0;  // declared length in characters (text) or bytes
  long attributes = 0;    // ado_attr bits
  int precision = 0;      // Decimal / Numeric only
  int numeric_scale = 0;  // Decimal / Numeric only
};

class Recordset;

// One column of a recordset, positioned on the recordset's current row.
class Field {
 public:
  Field(const Recordset& owner, const FieldInfo& info, int index)
      : owner_(&owner), info_(&info), index_(index) {}

  const std::string& Name() const { return info_->name; }
  int Type() const { return info_->type; }
  long DefinedSize() const { return info_->defined_size; }
  long Attributes() const { return info_->attributes; }
  int Precision() const { return info_->precision; }
  int NumericScale() const { return info_->numeric_scale; }
  // The value on the current row. Raises error 3021 when there is no current row.
  const Value& GetValue() const;

 private:
  const Recordset* owner_;
  const FieldInfo* info_;
  int index_;
};

// The fields of a recordset, by position from 0 or by name. Names compare case-insensitively
// (ASCII), as ADO does, so Item("TABLE_NAME") finds MySQL's `table_name`.
class Fields {
 public:
  Fields() = default;
  Fields(const Recordset& owner, const std::vector<FieldInfo>& infos);

  int Count() const { return static_cast<int>(fields_.size()); }
  // Raises error 3265 for a position or name that is not in the collection.
  const Field& Item(int index) const;
  const Field& Item(std::string_view name) const;

 private:
  std::vector<Field> fields_;
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_FIELD_H_
