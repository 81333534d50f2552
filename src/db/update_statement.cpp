#include "db/update_statement.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "db/error.h"

namespace db {
namespace {

// Reads one UPDATE statement from left to right; every fault raises kProviderError.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw Error(kProviderError, "Syntax error in UPDATE statement: " + what + " in: " +
                                    std::string(text_));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  bool AtEnd() {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == ';') ++pos_;
    SkipBlanks();
    return pos_ == text_.size();
  }

  // A keyword (case-insensitive) standing as a word of its own.
  bool TakeWord(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      if (std::toupper(static_cast<unsigned char>(text_[pos_ + i])) != word[i]) return false;
    }
    if (pos_ + word.size() < text_.size() && IsNameChar(text_[pos_ + word.size()])) return false;
    pos_ += word.size();
    return true;
  }

  bool TakeChar(char c) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  std::string Name(const char* what) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '[') {
      const size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos) Fail(std::string("the bracket around the ") + what + " is not closed");
      std::string name(text_.substr(pos_ + 1, close - pos_ - 1));
      if (name.empty()) Fail(std::string("empty ") + what);
      pos_ = close + 1;
      return name;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    if (pos_ == start) Fail(std::string(what) + " expected");
    return std::string(text_.substr(start, pos_ - start));
  }

  jet::Value Literal() {
    SkipBlanks();
    if (pos_ >= text_.size()) Fail("a value expected");
    const char c = text_[pos_];
    if (c == '\'' || c == '"') {
      std::string out;
      for (size_t i = pos_ + 1; i < text_.size(); ++i) {
        if (text_[i] != c) {
          out += text_[i];
        } else if (i + 1 < text_.size() && text_[i + 1] == c) {
          out += c;
          ++i;
        } else {
          pos_ = i + 1;
          return out;
        }
      }
      Fail("a text value is not closed");
    }
    if (TakeWord("NULL")) return std::monostate{};
    if (TakeWord("TRUE")) return true;
    if (TakeWord("FALSE")) return false;
    const size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    bool whole = true;
    size_t digits = 0;
    while (pos_ < text_.size()) {
      const char d = text_[pos_];
      if (std::isdigit(static_cast<unsigned char>(d))) {
        ++digits;
      } else if (d == '.' || d == 'e' || d == 'E' ||
                 ((d == '-' || d == '+') && (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E'))) {
        whole = false;
      } else {
        break;
      }
      ++pos_;
    }
    const std::string number(text_.substr(start, pos_ - start));
    if (digits == 0 || (pos_ < text_.size() && IsNameChar(text_[pos_]))) {
      pos_ = start;
      Fail("a value expected (text in quotes, a number or NULL)");
    }
    errno = 0;
    char* end = nullptr;
    if (whole) {
      const long long v = std::strtoll(number.c_str(), &end, 10);
      if (errno == 0 && *end == '\0') return int64_t{v};
    }
    errno = 0;
    const double v = std::strtod(number.c_str(), &end);
    if (errno != 0 || *end != '\0') Fail("'" + number + "' is not a number");
    return v;
  }

  jet::ColumnValue Assignment() {
    jet::ColumnValue out;
    out.column = Name("column name");
    if (!TakeChar('=')) Fail("'=' expected after " + out.column);
    out.value = Literal();
    return out;
  }

 private:
  static bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<UpdateStatement> ParseUpdate(std::string_view text) {
  Reader in(text);
  if (!in.TakeWord("UPDATE")) return std::nullopt;
  UpdateStatement out;
  out.table = in.Name("table name");
  if (!in.TakeWord("SET")) in.Fail("SET expected after the table name");
  do {
    out.set.push_back(in.Assignment());
  } while (in.TakeChar(','));
  if (in.TakeWord("WHERE")) out.where = in.Assignment();
  if (!in.AtEnd()) in.Fail("unexpected text after the last value (only WHERE column = value)");
  return out;
}

}  // namespace db
