#include "jet/tools.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>

#include "jet/date_time.h"
#include "jet/error.h"

namespace jet {
namespace {

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

std::string ColumnDescription(const Column& c) {
  std::string text = TypeName(c.type);
  auto size = [&text](int n) {
    text.append("(");
    text.append(std::to_string(n));
    text.append(")");
  };
  if (c.type == kTypeText) size(c.max_characters());
  if (c.type == kTypeBinary) size(c.length);
  if (c.type == kTypeDecimal) {
    text.append("(");
    text.append(std::to_string(c.precision));
    text.append(",");
    text.append(std::to_string(c.scale));
    text.append(")");
  }
  if (c.fixed() && (c.type == kTypeText || c.type == kTypeBinary)) text.append(" fixed");
  if (c.autonumber() || c.autonumber_guid()) text.append(" autonumber");
  if (c.hyperlink()) text.append(" hyperlink");
  return text;
}

void WriteTable(Database& db, const CatalogueEntry& t, std::string* out) {
  AppendEscaped(t.name, out);
  out->append("\t");
  out->append(KindName(t.kind));
  if (t.kind == TableKind::kLinkedOdbc) {
    out->append("\tconnect=ODBC;");  // as DAO shows it; the file stores it without the prefix
    AppendEscaped(t.connect, out);
    out->append("\tforeign name=");
    AppendEscaped(t.foreign_name, out);
  } else if (t.kind == TableKind::kLinkedAccess) {
    out->append("\tdatabase=");
    AppendEscaped(t.database, out);
    out->append("\tforeign name=");
    AppendEscaped(t.foreign_name, out);
  }
  if (t.table_def == 0) {
    out->append("\n");
    return;
  }
  const TableDef& def = db.GetTableDef(t.name);
  if (t.kind == TableKind::kLocal || t.kind == TableKind::kSystem) {
    out->append("\trows=");
    out->append(std::to_string(def.row_count));
  }
  out->append("\n");
  for (const Column& c : def.columns) {
    out->append("\tcolumn\t");
    AppendEscaped(c.name, out);
    out->append("\t");
    out->append(ColumnDescription(c));
    out->append("\n");
  }
  for (const Index& x : def.indexes) {
    out->append("\tindex\t");
    AppendEscaped(x.name, out);
    out->append(x.primary_key   ? "\tprimary key"
                : x.foreign_key ? "\tforeign key"
                : x.unique      ? "\tunique"
                                : "\t");
    out->append("\t");
    for (size_t i = 0; i < x.columns.size(); ++i) {
      if (i > 0) out->append(", ");
      AppendEscaped(x.columns[i].name, out);
      if (!x.columns[i].ascending) out->append(" DESC");
    }
    out->append("\n");
  }
}

}  // namespace

void AppendExportValue(const Value& value, std::string* out) {
  struct Visitor {
    std::string* out;
    void operator()(std::monostate) const { out->append("\\N"); }
    void operator()(bool b) const { out->push_back(b ? '1' : '0'); }
    void operator()(int64_t i) const { AppendNumber(i, out); }
    void operator()(float f) const { AppendNumber(f, out); }
    void operator()(double d) const { AppendNumber(d, out); }
    void operator()(const Currency& c) const { AppendCurrency(c.ten_thousandths, out); }
    void operator()(const Decimal& d) const { out->append(d.text); }
    void operator()(const Date& d) const {
      DateTime t;
      if (!JetDateToDateTime(d.days, &t, /*round_to_second=*/true)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", d.days);
        throw Error(std::string("date value ") + buffer + " lies outside the years 100 to 9999");
      }
      out->append(FormatDateTime(t));
    }
    void operator()(const std::string& s) const { AppendEscaped(s, out); }
    void operator()(const Binary& b) const {
      static const char kHex[] = "0123456789ABCDEF";
      out->append("0x");
      for (unsigned char c : b.bytes) {
        out->push_back(kHex[c >> 4]);
        out->push_back(kHex[c & 15]);
      }
    }
    void operator()(const Guid& g) const { out->append(g.text); }
  };
  std::visit(Visitor{out}, value);
}

void ExportTable(Database& db, const std::string& table, std::ostream& out) {
  TableCursor rows = db.OpenTable(table);
  std::string line;
  for (size_t i = 0; i < rows.def().columns.size(); ++i) {
    if (i > 0) line.push_back('\t');
    AppendEscaped(rows.def().columns[i].name, &line);
  }
  line.push_back('\n');
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
  std::string buffer;
  size_t row_number = 0;
  while (rows.Next()) {
    ++row_number;
    const std::vector<Value>& values = rows.values();
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) buffer.push_back('\t');
      try {
        AppendExportValue(values[i], &buffer);
      } catch (const Error& e) {
        throw Error(db.file_name() + ": table " + table + ", row " + std::to_string(row_number) +
                    ", column " + rows.def().columns[i].name + ": " + e.what());
      }
    }
    buffer.push_back('\n');
    if (buffer.size() >= 1 << 16) {
      out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      buffer.clear();
    }
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

int RunTablesCommand(const std::string& file, const std::string& password, std::ostream& out,
                     std::ostream& err) {
  try {
    Database db = Database::Open(file, password);
    std::string text;
    for (const CatalogueEntry& t : db.Tables()) WriteTable(db, t, &text);
    out << text;
    out.flush();
    if (!out) {
      err << "cannot write the table list\n";
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return 1;
  }
}

int RunExportCommand(const std::string& file, const std::string& table, const std::string& password,
                     std::ostream& out, std::ostream& err) {
  try {
    Database db = Database::Open(file, password);
    ExportTable(db, table, out);
    out.flush();
    if (!out) {
      err << "cannot write the exported rows\n";
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return 1;
  }
}

}  // namespace jet
