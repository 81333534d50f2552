#include "verify/cell_text.h"

#include "migrate/value_rendering.h"

namespace verify {

std::string StoredCell(const db::Value& value) {
  switch (value.kind()) {
    case db::Value::Kind::kNull: return "\\N";
    case db::Value::Kind::kBoolean: return value.AsBoolean() ? "1" : "0";
    case db::Value::Kind::kDouble: return migrate::DoubleLiteral(value.AsDouble());
    case db::Value::Kind::kDate: return migrate::FormatDateTime(value.AsDate());
    case db::Value::Kind::kText: {
      std::string cell;
      migrate::AppendTabText(value.AsText(), &cell);
      return cell;
    }
    default: return value.ToString();
  }
}

std::string CellBytes(std::string_view cell) {
  std::string bytes;
  bytes.reserve(cell.size());
  for (size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] != '\\' || i + 1 == cell.size()) {
      bytes += cell[i];
      continue;
    }
    switch (cell[++i]) {
      case 't': bytes += '\t'; break;
      case 'n': bytes += '\n'; break;
      case 'r': bytes += '\r'; break;
      case '0': bytes += '\0'; break;
      default: bytes += cell[i]; break;
    }
  }
  return bytes;
}

std::string ShownCell(std::string_view cell, size_t limit) {
  if (cell == "\\N") return "NULL";
  size_t cut = 0, characters = 0;
  while (cut < cell.size() && characters < limit) {
    ++cut;
    while (cut < cell.size() && (static_cast<unsigned char>(cell[cut]) & 0xC0) == 0x80) ++cut;
    ++characters;
  }
  std::string shown = "'" + std::string(cell.substr(0, cut)) + "'";
  if (cut < cell.size()) shown += "... (" + std::to_string(cell.size()) + " bytes)";
  return shown;
}

}  // namespace verify
