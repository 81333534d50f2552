#include "cli/table_export.h"

#include <vector>

#include "cli/export_text.h"
#include "jet/error.h"

namespace cli {

void ExportTable(jet::Database& db, const std::string& table, std::ostream& out) {
  jet::TableCursor rows = db.OpenTable(table);
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
    const std::vector<jet::Value>& values = rows.values();
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) buffer.push_back('\t');
      try {
        AppendExportValue(values[i], &buffer);
      } catch (const jet::Error& e) {
        throw jet::Error(db.file_name() + ": table " + table + ", row " + std::to_string(row_number) +
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

}  // namespace cli
