// Inputs that once crashed the engine under the fuzzer: each must now give jet::Error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "jet/database.h"
#include "cli/export_text.h"
#include "support/test_env.h"

namespace {

// Reads everything the fuzzer reads; returns the first jet::Error's message, or "".
std::string ReadEverything(std::string bytes) {
  std::string first_error;
  try {
    jet::Database db = jet::Database::OpenMemory("damaged.mdb", std::move(bytes), "qarnivel");
    for (const jet::CatalogueEntry& table : db.Tables()) {
      try {
        if (table.table_def == 0) continue;
        db.GetTableDef(table.name);
        if (table.kind == jet::TableKind::kLinkedOdbc) continue;
        jet::TableCursor rows = db.OpenTable(table.name);
        std::string text;
        while (rows.Next()) {
          for (const jet::Value& v : rows.values()) cli::AppendExportValue(v, &text);
        }
      } catch (const jet::Error& e) {
        if (first_error.empty()) first_error = e.what();
      }
    }
  } catch (const jet::Error& e) {
    if (first_error.empty()) first_error = e.what();
  }
  return first_error;
}

TEST(FuzzRegression, EveryKnownCrasherNowGivesAnError) {
  const std::filesystem::path folder = testenv::FixturePath("fuzz");
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ReadEverything(std::move(bytes)), "") << entry.path().filename();
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

}  // namespace
