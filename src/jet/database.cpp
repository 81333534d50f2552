#include "jet/database.h"

#include "jet/text.h"

namespace jet {

Database::Database(std::unique_ptr<PageFile> file, const std::string& password)
    : cache_(std::make_unique<PageCache>(std::move(file))) {
  header_ = ReadHeader(*cache_);
  CheckPassword(header_, password, cache_->file_name());
  tables_ = ReadCatalogue(*cache_);
}

Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Database Database::Open(const std::string& path, const std::string& password) {
  return Database(PageFile::OpenReadOnly(path), password);
}

Database Database::OpenMemory(std::string name, std::string bytes, const std::string& password) {
  return Database(PageFile::FromMemory(std::move(name), std::move(bytes)), password);
}

void Database::Reload() {
  tables_ = ReadCatalogue(*cache_);
  definitions_.clear();
}

const std::string& Database::file_name() const { return cache_->file_name(); }

void Database::Refresh() const {
  if (!cache_->ForgetIfChangedOutside()) return;
  tables_ = ReadCatalogue(*cache_);
  definitions_.clear();
}

const std::vector<CatalogueEntry>& Database::Tables() const {
  Refresh();
  return tables_;
}

const CatalogueEntry* Database::FindTable(std::string_view name) const {
  Refresh();
  for (const CatalogueEntry& e : tables_) {
    if (NamesEqual(e.name, name)) return &e;
  }
  return nullptr;
}

const CatalogueEntry& Database::Require(std::string_view name) const {
  const CatalogueEntry* entry = FindTable(name);
  if (entry == nullptr) {
    throw Error(file_name() + ": no table named " + std::string(name));
  }
  return *entry;
}

std::shared_ptr<const TableDef> Database::Definition(const CatalogueEntry& entry) {
  if (entry.table_def == 0) {
    throw Error(file_name() + ": table " + entry.name + " is linked to another database (" +
                entry.database + "); its definition is not in this file");
  }
  auto found = definitions_.find(entry.table_def);
  if (found != definitions_.end()) return found->second;
  auto def = std::make_shared<const TableDef>(ReadTableDef(*cache_, entry.table_def));
  definitions_.emplace(entry.table_def, def);
  return def;
}

const TableDef& Database::GetTableDef(std::string_view name) { return *Definition(Require(name)); }

TableCursor Database::OpenTable(std::string_view name) {
  const CatalogueEntry& entry = Require(name);
  if (entry.kind == TableKind::kLinkedOdbc || entry.kind == TableKind::kLinkedAccess) {
    throw Error(file_name() + ": table " + entry.name + " is a " + KindName(entry.kind) +
                " table; its rows are not in this file");
  }
  return TableCursor(*cache_, Definition(entry));
}

}  // namespace jet
