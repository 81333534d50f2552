#include "db/connection_string_syntax.h"

#include <cctype>

#include "base/ascii_case.h"

namespace db {
namespace {

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

bool HasOuterBlank(const std::string& value) {
  return !value.empty() && (value.front() == ' ' || value.back() == ' ');
}

// Whether an OLE DB provider would read `value` as a braced value ("{...}").
bool OpensBrace(const std::string& value) {
  const size_t first = value.find_first_not_of(' ');
  return first != std::string::npos && value[first] == '{';
}

}  // namespace

std::vector<ConnectionAttribute> ParseConnectionString(std::string_view text) {
  std::vector<ConnectionAttribute> out;
  size_t i = 0;
  while (i < text.size()) {
    size_t eq = text.find('=', i);
    size_t semi = text.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      // A piece without "=": nothing to keep.
      if (semi == std::string_view::npos) break;
      i = semi + 1;
      continue;
    }
    std::string key = Trim(text.substr(i, eq - i));
    size_t j = eq + 1;
    while (j < text.size() && text[j] == ' ') ++j;
    std::string value;
    if (j < text.size() && (text[j] == '{' || text[j] == '"')) {
      const char close = text[j] == '{' ? '}' : '"';
      size_t k = j + 1;
      bool closed = false;
      while (k < text.size()) {
        if (text[k] == close) {
          if (k + 1 < text.size() && text[k + 1] == close) {
            value += close;
            k += 2;
            continue;
          }
          closed = true;
          ++k;
          break;
        }
        value += text[k++];
      }
      if (!closed) value.insert(value.begin(), text[j]);
      size_t end = text.find(';', k);
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      size_t end = text.find(';', j);
      if (end == std::string_view::npos) end = text.size();
      value = Trim(text.substr(j, end - j));
      i = end + 1;
    }
    if (!key.empty()) out.emplace_back(std::move(key), std::move(value));
  }
  return out;
}

std::optional<std::string> FindAttribute(const std::vector<ConnectionAttribute>& attributes,
                                         std::string_view key) {
  for (const auto& [k, v] : attributes)
    if (base::EqualsIgnoringCase(k, key)) return v;
  return std::nullopt;
}

std::string QuoteOdbcValue(const std::string& value) {
  if (value.find_first_of(";{}") == std::string::npos) return value;
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  out += '}';
  return out;
}

std::string QuoteOleDbValue(const std::string& value, bool keep_blanks) {
  if (value.find_first_of(";\"") == std::string::npos && !OpensBrace(value) &&
      !(keep_blanks && HasOuterBlank(value)))
    return value;
  std::string out = "\"";
  for (char c : value) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

}  // namespace db
