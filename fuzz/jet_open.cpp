// Opens a byte buffer as a database, reads the catalogue, every table definition and every row of
// every table, and formats every value as the export would. Anything but jet::Error is a bug.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/database.h"
#include "cli/export_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    jet::Database db = jet::Database::OpenMemory(
        "fuzz.mdb", std::string(reinterpret_cast<const char*>(data), size), "qarnivel");
    for (const jet::CatalogueEntry& table : db.Tables()) {
      try {
        if (table.table_def == 0) continue;
        db.GetTableDef(table.name);
        if (table.kind == jet::TableKind::kLinkedOdbc) continue;
        jet::TableCursor rows = db.OpenTable(table.name);
        std::string text;
        // A damaged file may hold far more rows than a seed; a few thousand exercise everything.
        for (int n = 0; n < 5000 && rows.Next(); ++n) {
          for (const jet::Value& value : rows.values()) {
            text.clear();
            try {
              cli::AppendExportValue(value, &text);
            } catch (const jet::Error&) {
            }
          }
        }
      } catch (const jet::Error&) {
      }
    }
  } catch (const jet::Error&) {
  }
  return 0;
}
