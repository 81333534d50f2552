#include "cli/export_text.h"

#include <charconv>
#include <cstdio>

#include "jet/date_time.h"
#include "jet/error.h"

namespace cli {
namespace {

template <typename Number>
void AppendNumber(Number n, std::string* out) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
  out->append(buffer, result.ptr);
}

void AppendCurrency(int64_t ten_thousandths, std::string* out) {
  uint64_t magnitude = ten_thousandths < 0 ? 0 - static_cast<uint64_t>(ten_thousandths)
                                           : static_cast<uint64_t>(ten_thousandths);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", ten_thousandths < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000),
                static_cast<unsigned long long>(magnitude % 10000));
  out->append(buffer);
}

}  // namespace

void AppendEscaped(std::string_view text, std::string* out) {
  for (char c : text) {
    switch (c) {
      case '\\':
        out->append("\\\\");
        break;
      case '\t':
        out->append("\\t");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      default:
        out->push_back(c);
    }
  }
}

void AppendExportValue(const jet::Value& value, std::string* out) {
  struct Visitor {
    std::string* out;
    void operator()(std::monostate) const { out->append("\\N"); }
    void operator()(bool b) const { out->push_back(b ? '1' : '0'); }
    void operator()(int64_t i) const { AppendNumber(i, out); }
    void operator()(float f) const { AppendNumber(f, out); }
    void operator()(double d) const { AppendNumber(d, out); }
    void operator()(const jet::Currency& c) const { AppendCurrency(c.ten_thousandths, out); }
    void operator()(const jet::Decimal& d) const { out->append(d.text); }
    void operator()(const jet::Date& d) const {
      jet::DateTime t;
      if (!jet::JetDateToDateTime(d.days, &t, /*round_to_second=*/true)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", d.days);
        throw jet::Error(std::string("date value ") + buffer + " lies outside the years 100 to 9999");
      }
      out->append(jet::FormatDateTime(t));
    }
    void operator()(const std::string& s) const { AppendEscaped(s, out); }
    void operator()(const jet::Binary& b) const {
      static const char kHex[] = "0123456789ABCDEF";
      out->append("0x");
      for (unsigned char c : b.bytes) {
        out->push_back(kHex[c >> 4]);
        out->push_back(kHex[c & 15]);
      }
    }
    void operator()(const jet::Guid& g) const { out->append(g.text); }
  };
  std::visit(Visitor{out}, value);
}

}  // namespace cli
