#include "db/jet_field.h"

#include <cstdio>
#include <type_traits>

#include "db/error.h"
#include "jet/date_time.h"

namespace db {
namespace {

// DefinedSize of the long types: Jet's largest Memo in characters and OLE object in bytes.
constexpr long kMemoDefinedSize = 536870910;
constexpr long kOleDefinedSize = 1073741823;
// DefinedSize of adNumeric: the size of OLE DB's DB_NUMERIC structure.
constexpr long kDecimalDefinedSize = 19;

struct TypeView {
  int type;
  long defined_size;
  bool fixed;
};

TypeView ViewOf(const jet::Column& c) {
  switch (c.type) {
    case jet::kTypeBoolean: return {ado_type::kBoolean, 2, true};
    case jet::kTypeByte: return {ado_type::kUnsignedTinyInt, 1, true};
    case jet::kTypeInteger: return {ado_type::kSmallInt, 2, true};
    case jet::kTypeLong: return {ado_type::kInteger, 4, true};
    case jet::kTypeCurrency: return {ado_type::kCurrency, 8, true};
    case jet::kTypeSingle: return {ado_type::kSingle, 4, true};
    case jet::kTypeDouble: return {ado_type::kDouble, 8, true};
    case jet::kTypeDateTime: return {ado_type::kDate, 8, true};
    case jet::kTypeGuid: return {ado_type::kGuid, 16, true};
    case jet::kTypeDecimal: return {ado_type::kNumeric, kDecimalDefinedSize, true};
    case jet::kTypeText:
      if (c.fixed()) return {ado_type::kWChar, c.max_characters(), true};
      return {ado_type::kVarWChar, c.max_characters(), false};
    case jet::kTypeMemo: return {ado_type::kLongVarWChar, kMemoDefinedSize, false};
    case jet::kTypeOle: return {ado_type::kLongVarBinary, kOleDefinedSize, false};
    case jet::kTypeBinary:
      if (c.fixed()) return {ado_type::kBinary, c.length, true};
      return {ado_type::kVarBinary, c.length, false};
    default:
      // Types Jet 4 leaves undocumented (0x0D, 0x11) hold bytes; the engine reads them as such.
      if (c.length == 0) return {ado_type::kLongVarBinary, kOleDefinedSize, false};
      return {ado_type::kVarBinary, c.length, false};
  }
}

}  // namespace

FieldInfo DescribeJetColumn(const jet::Column& column, bool required) {
  const TypeView view = ViewOf(column);
  FieldInfo info;
  info.name = column.name;
  info.type = view.type;
  info.defined_size = view.defined_size;
  long attributes = ado_attr::kMayDefer | ado_attr::kMayBeNull;
  if (view.fixed) attributes |= ado_attr::kFixed;
  if (column.long_value() || view.type == ado_type::kLongVarBinary) attributes |= ado_attr::kLong;
  if (column.autonumber() || column.autonumber_guid()) {
    attributes |= ado_attr::kUnknownUpdatable;
  } else {
    attributes |= ado_attr::kUpdatable;
    if (!required && column.type != jet::kTypeBoolean) attributes |= ado_attr::kIsNullable;
  }
  info.attributes = attributes;
  if (column.type == jet::kTypeDecimal) {
    info.precision = column.precision;
    info.numeric_scale = column.scale;
  }
  return info;
}

Value ConvertJetValue(const jet::Value& value, const jet::Column& column) {
  return std::visit(
      [&column](const auto& v) -> Value {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return Value::Null();
        } else if constexpr (std::is_same_v<T, bool>) {
          return Value::Boolean(v);
        } else if constexpr (std::is_same_v<T, int64_t>) {
          return Value::Integer(v);
        } else if constexpr (std::is_same_v<T, float>) {
          return Value::Double(static_cast<double>(v));
        } else if constexpr (std::is_same_v<T, double>) {
          return Value::Double(v);
        } else if constexpr (std::is_same_v<T, jet::Currency>) {
          return Value::Money(Currency{v.ten_thousandths});
        } else if constexpr (std::is_same_v<T, jet::Decimal>) {
          return Value::Number(Decimal{v.text});
        } else if constexpr (std::is_same_v<T, jet::Date>) {
          jet::DateTime t;
          if (!jet::JetDateToDateTime(v.days, &t)) {
            char days[40];
            std::snprintf(days, sizeof days, "%.17g", v.days);
            throw Error(kProviderError, "The value " + std::string(days) + " of column " +
                                            column.name + " is not a valid date.");
          }
          return Value::Date(DateTime{t.year, t.month, t.day, t.hour, t.minute, t.second,
                                      t.millisecond * 1000000});
        } else if constexpr (std::is_same_v<T, std::string>) {
          return Value::Text(v);
        } else if constexpr (std::is_same_v<T, jet::Binary>) {
          return Value::Binary(Bytes(v.bytes.begin(), v.bytes.end()));
        } else {
          static_assert(std::is_same_v<T, jet::Guid>);
          return Value::Text(v.text);
        }
      },
      value);
}

}  // namespace db
