#include "db/jet_sql.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "db/error.h"

namespace db {
namespace {

[[noreturn]] void Refuse(const std::string& description) {
  throw Error(kProviderError, description);
}

// Reads a statement from left to right: blanks, keywords, names, literals. What a fault is
// called is the statement's business, so the reader only says what it found.
class SqlReader {
 public:
  enum class Name { kRead, kMissing, kEmpty, kUnclosed };

  explicit SqlReader(std::string_view text) : text_(text) {}

  std::string_view text() const { return text_; }
  size_t pos() const { return pos_; }
  bool AtEndOfText() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEndOfText() ? '\0' : text_[pos_]; }
  void Advance(size_t n = 1) { pos_ += n; }
  void Seek(size_t pos) { pos_ = pos; }

  // A character Jet SQL accepts in a name written without brackets.
  static bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
  }

  void SkipBlanks() {
    while (!AtEndOfText() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  // Blanks, an optional ";" and blanks, then nothing.
  bool AtEnd() {
    SkipBlanks();
    if (Peek() == ';') ++pos_;
    SkipBlanks();
    return AtEndOfText();
  }

  // `word` (upper case; the text in any case) after blanks, standing as a word of its own.
  bool TakeKeyword(std::string_view word) {
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
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  // A name after blanks: "[any text but ]]" or a bare name.
  Name ReadName(std::string* name) {
    SkipBlanks();
    if (Peek() == '[') {
      const size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos) return Name::kUnclosed;
      *name = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
      return name->empty() ? Name::kEmpty : Name::kRead;
    }
    const size_t start = pos_;
    while (!AtEndOfText() && IsNameChar(text_[pos_])) ++pos_;
    *name = std::string(text_.substr(start, pos_ - start));
    return name->empty() ? Name::kMissing : Name::kRead;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// What follows a bare table name in a SELECT, when it is more than the statement's end: a name
// with blanks or signs, which Jet reads only between brackets (or a clause the provider does not
// read).
void RefuseTextAfterBareName(std::string_view text, size_t start) {
  std::string written(text.substr(start));
  while (!written.empty() && (std::isspace(static_cast<unsigned char>(written.back())) ||
                              written.back() == ';'))
    written.pop_back();
  Refuse("Syntax error in FROM clause near '" + written +
         "': a table name with blanks or signs must be written in brackets, as [" + written +
         "], and the Jet provider reads nothing but SELECT * FROM table.");
}

}  // namespace

std::optional<std::string> ParseSelectAll(std::string_view text) {
  SqlReader in(text);
  if (!in.TakeKeyword("SELECT")) return std::nullopt;
  const std::string statement(text);
  if (!in.TakeChar('*')) {
    Refuse("The Jet provider reads whole tables only (SELECT * FROM table): " + statement);
  }
  if (!in.TakeKeyword("FROM")) Refuse("Syntax error: FROM expected after SELECT * in: " + statement);
  in.SkipBlanks();
  const bool bracketed = in.Peek() == '[';
  const size_t start = in.pos();
  std::string name;
  switch (in.ReadName(&name)) {
    case SqlReader::Name::kUnclosed:
      Refuse("Syntax error in FROM clause: the bracket after FROM is not closed in: " + statement);
    case SqlReader::Name::kEmpty:
      Refuse("Syntax error in FROM clause: empty table name in: " + statement);
    case SqlReader::Name::kMissing:
      Refuse("Syntax error in FROM clause: table name expected in: " + statement);
    case SqlReader::Name::kRead:
      break;
  }
  if (!bracketed) {
    SqlReader rest(text);
    rest.Seek(in.pos());
    rest.SkipBlanks();
    if (!rest.AtEndOfText() && rest.Peek() != ';') RefuseTextAfterBareName(text, start);
  }
  if (!in.AtEnd()) {
    Refuse("The Jet provider reads whole tables only; unexpected text after table '" + name +
           "' in: " + statement);
  }
  return name;
}

std::optional<std::string> ParseDropTable(std::string_view text) {
  SqlReader in(text);
  if (!in.TakeKeyword("DROP")) return std::nullopt;
  const std::string statement(text);
  if (!in.TakeKeyword("TABLE")) {
    Refuse("The Jet provider drops tables only (DROP TABLE table): " + statement);
  }
  std::string name;
  switch (in.ReadName(&name)) {
    case SqlReader::Name::kUnclosed:
      Refuse("Syntax error in DROP TABLE statement: the bracket is not closed in: " + statement);
    case SqlReader::Name::kEmpty:
      Refuse("Syntax error in DROP TABLE statement: empty table name in: " + statement);
    case SqlReader::Name::kMissing:
      Refuse("Syntax error in DROP TABLE statement: table name expected in: " + statement);
    case SqlReader::Name::kRead:
      break;
  }
  if (!in.AtEnd()) {
    Refuse("Syntax error in DROP TABLE statement near '" + std::string(text.substr(0, in.pos())) +
           "': a table name with blanks or signs must be written in brackets, and nothing may "
           "follow it: " +
           statement);
  }
  return name;
}

namespace {

// The parts of an UPDATE; every fault raises kProviderError with "Syntax error in UPDATE
// statement: ..." and the statement.
class UpdateReader {
 public:
  explicit UpdateReader(std::string_view text) : in_(text) {}

  SqlReader& in() { return in_; }

  [[noreturn]] void Fail(const std::string& what) const {
    Refuse("Syntax error in UPDATE statement: " + what + " in: " + std::string(in_.text()));
  }

  std::string Name(const std::string& what) {
    std::string name;
    switch (in_.ReadName(&name)) {
      case SqlReader::Name::kUnclosed:
        Fail("the bracket around the " + what + " is not closed");
      case SqlReader::Name::kEmpty:
        Fail("empty " + what);
      case SqlReader::Name::kMissing:
        Fail(what + " expected");
      case SqlReader::Name::kRead:
        break;
    }
    return name;
  }

  jet::Value Literal() {
    in_.SkipBlanks();
    if (in_.AtEndOfText()) Fail("a value expected");
    const char c = in_.Peek();
    if (c == '\'' || c == '"') return QuotedText(c);
    if (in_.TakeKeyword("NULL")) return std::monostate{};
    if (in_.TakeKeyword("TRUE")) return true;
    if (in_.TakeKeyword("FALSE")) return false;
    return Number();
  }

  jet::ColumnValue Assignment() {
    jet::ColumnValue out;
    out.column = Name("column name");
    if (!in_.TakeChar('=')) Fail("'=' expected after " + out.column);
    out.value = Literal();
    return out;
  }

 private:
  jet::Value QuotedText(char quote) {
    const std::string_view text = in_.text();
    std::string out;
    for (size_t i = in_.pos() + 1; i < text.size(); ++i) {
      if (text[i] != quote) {
        out += text[i];
      } else if (i + 1 < text.size() && text[i + 1] == quote) {
        out += quote;
        ++i;
      } else {
        in_.Seek(i + 1);
        return out;
      }
    }
    Fail("a text value is not closed");
  }

  jet::Value Number() {
    const std::string_view text = in_.text();
    const size_t start = in_.pos();
    if (in_.Peek() == '-' || in_.Peek() == '+') in_.Advance();
    bool whole = true;
    size_t digits = 0;
    while (!in_.AtEndOfText()) {
      const char d = in_.Peek();
      const char before = text[in_.pos() - 1];
      if (std::isdigit(static_cast<unsigned char>(d))) {
        ++digits;
      } else if (d == '.' || d == 'e' || d == 'E' ||
                 ((d == '-' || d == '+') && (before == 'e' || before == 'E'))) {
        whole = false;
      } else {
        break;
      }
      in_.Advance();
    }
    const std::string number(text.substr(start, in_.pos() - start));
    if (digits == 0 || (!in_.AtEndOfText() && SqlReader::IsNameChar(in_.Peek()))) {
      in_.Seek(start);
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

  SqlReader in_;
};

}  // namespace

std::optional<UpdateStatement> ParseUpdate(std::string_view text) {
  UpdateReader reader(text);
  if (!reader.in().TakeKeyword("UPDATE")) return std::nullopt;
  UpdateStatement out;
  out.table = reader.Name("table name");
  if (!reader.in().TakeKeyword("SET")) reader.Fail("SET expected after the table name");
  do {
    out.set.push_back(reader.Assignment());
  } while (reader.in().TakeChar(','));
  if (reader.in().TakeKeyword("WHERE")) out.where = reader.Assignment();
  if (!reader.in().AtEnd()) {
    reader.Fail("unexpected text after the last value (only WHERE column = value)");
  }
  return out;
}

}  // namespace db
