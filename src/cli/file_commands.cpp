#include "cli/file_commands.h"

#include <exception>
#include <functional>
#include <optional>

#include "cli/exit_status.h"
#include "cli/table_export.h"
#include "cli/table_listing.h"
#include "jet/check.h"
#include "jet/database.h"

namespace cli {
namespace {

// Opens `file` and runs `command` on it; an error of either becomes its message on `err` and
// exit status 1. `what` names the output, for a write that fails.
int RunOnFile(const std::string& file, const std::string& password, const char* what,
              std::ostream& out, std::ostream& err,
              const std::function<int(jet::Database&)>& command) {
  std::optional<jet::Database> opened;
  try {
    opened.emplace(jet::Database::Open(file, password));
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitSourceUnreadable;
  }
  try {
    const int status = command(*opened);
    out.flush();
    if (!out) {
      err << "cannot write " << what << "\n";
      return kExitFailure;
    }
    return status;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace

int RunTablesCommand(const std::string& file, const std::string& password, std::ostream& out,
                     std::ostream& err) {
  return RunOnFile(file, password, "the table list", out, err, [&](jet::Database& db) {
    std::string text;
    for (const jet::CatalogueEntry& t : db.Tables()) AppendTableListing(db, t, &text);
    out << text;
    return 0;
  });
}

int RunExportCommand(const std::string& file, const std::string& table,
                     const std::string& password, std::ostream& out, std::ostream& err) {
  return RunOnFile(file, password, "the exported rows", out, err, [&](jet::Database& db) {
    ExportTable(db, table, out);
    return 0;
  });
}

int RunCheckCommand(const std::string& file, const std::string& password, std::ostream& out,
                    std::ostream& err) {
  return RunOnFile(file, password, "the check's report", out, err, [&](jet::Database& db) {
    const jet::CheckReport report = jet::CheckDatabase(db);
    for (const std::string& e : report.errors) out << "error: " << e << "\n";
    for (const std::string& w : report.warnings) out << "warning: " << w << "\n";
    for (const std::string& r : report.unreachable_rows) out << "unreachable: " << r << "\n";
    out << file << ": " << report.tables << " tables, " << report.indexes
        << " indexes: " << report.errors.size() << " errors, " << report.warnings.size()
        << " warnings, " << report.unreachable_rows.size() << " unreachable rows, "
        << report.unreachable_pages.size() << " unreachable pages\n";
    return report.ok() ? 0 : 1;
  });
}

}  // namespace cli
