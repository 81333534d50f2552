#include "db/value.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace db {

std::string Value::ToString() const {
  char buffer[64];
  switch (kind()) {
    case Kind::kNull: return "";
    case Kind::kBoolean: return AsBoolean() ? "True" : "False";
    case Kind::kInteger: return std::to_string(AsInteger());
    case Kind::kDouble: {
      std::snprintf(buffer, sizeof buffer, "%.15g", AsDouble());
      return buffer;
    }
    case Kind::kCurrency: {
      const int64_t v = AsCurrency().ten_thousandths;
      const uint64_t magnitude = v < 0 ? 0 - uint64_t(v) : uint64_t(v);
      std::snprintf(buffer, sizeof buffer, "%s%" PRIu64 ".%04" PRIu64, v < 0 ? "-" : "",
                    magnitude / 10000, magnitude % 10000);
      return buffer;
    }
    case Kind::kDecimal: return AsDecimal().text;
    case Kind::kDate: {
      const DateTime& t = AsDate();
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                    t.hour, t.minute, t.second);
      return buffer;
    }
    case Kind::kText: return AsText();
    case Kind::kBytes: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string out;
      for (uint8_t b : AsBytes()) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
      }
      return out;
    }
  }
  return "";
}

}  // namespace db
