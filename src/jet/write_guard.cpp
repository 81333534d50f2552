#include "jet/write_guard.h"

namespace jet {
namespace {

std::string SortOrderName(uint16_t lcid, uint8_t version) {
  return "sort order " + std::to_string(lcid) + " version " + std::to_string(version);
}

}  // namespace

WriteGuard::WriteGuard(Database& db) : db_(db) {
  const Header& header = db.header();
  if (header.sort_order != kGeneralSortOrder || header.sort_order_version != 0) {
    throw Error(db.file_name() + ": the database uses " +
                SortOrderName(header.sort_order, header.sort_order_version) +
                "; only General (1033, version 0) indexes can be kept correct, so nothing was "
                "written");
  }
  db.cache().file().BeginWriting();
}

WriteGuard::~WriteGuard() {
  db_.cache().Discard();
  db_.cache().file().EndWriting();
}

void AbandonWrite(Database& db) {
  const bool began = db.cache().file().pages_written() > 0;
  db.cache().Discard();
  try {
    db.Reload();
  } catch (const Error&) {
  }
  try {
    throw;
  } catch (const WriteFailure&) {
    throw;
  } catch (const std::exception& e) {
    if (began) throw WriteFailure(e.what());
    throw;
  }
}

void RequireWritableSortOrder(const Column& column, const std::string& what,
                              const std::string& file_name) {
  if (column.collation != kGeneralSortOrder || column.collation_version != 0) {
    throw Error(file_name + ": " + what + " uses " +
                SortOrderName(column.collation, column.collation_version) +
                "; only General (1033, version 0) indexes can be kept correct, so nothing was "
                "written");
  }
}

}  // namespace jet
