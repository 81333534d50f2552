#include "db/mysql_quoting.h"

namespace db {
namespace {

// `text` between `quote`s, with every character of `doubled` written twice.
std::string Quoted(std::string_view text, char quote, std::string_view doubled) {
  std::string out(1, quote);
  out.reserve(text.size() + 2);
  for (char c : text) {
    out += c;
    if (doubled.find(c) != std::string_view::npos) out += c;
  }
  out += quote;
  return out;
}

}  // namespace

std::string QuoteMySqlName(std::string_view name) { return Quoted(name, '`', "`"); }

std::string QuoteMySqlText(std::string_view text) { return Quoted(text, '\'', "'"); }

std::string QuoteMySqlTextAndBackslashes(std::string_view text) {
  return Quoted(text, '\'', "'\\");
}

}  // namespace db
