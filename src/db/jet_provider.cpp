#include "db/jet_provider.h"

#include <filesystem>
#include <map>
#include <optional>

#include <sys/stat.h>

#include "db/connection_string_syntax.h"
#include "db/engine_call.h"
#include "db/error.h"
#include "db/jet_cursor.h"
#include "db/jet_properties.h"
#include "db/jet_sql.h"
#include "db/link_passthrough.h"
#include "jet/database.h"
#include "jet/drop_table.h"
#include "jet/update_rows.h"

namespace db {
namespace {

// A link may point at a file whose table is itself a link; Access follows such chains, but a
// chain this long can only be a loop.
constexpr int kMaxLinkHops = 8;

const char kPasswordKey[] = "Jet OLEDB:Database Password";

[[noreturn]] void Refuse(const std::string& description) {
  throw Error(kProviderError, description);
}

[[noreturn]] void RaiseNoSuchTable(const std::string& name) {
  Refuse("The Microsoft Jet database engine cannot find the input table or query '" + name +
         "'. Make sure it exists and that its name is spelled correctly.");
}

std::shared_ptr<jet::Database> OpenDatabaseFile(const std::string& path,
                                                const std::string& password) {
  return EngineCall(
      [&] { return std::make_shared<jet::Database>(jet::Database::Open(path, password)); });
}

// The path of an Access link's file: as stored when absolute, otherwise beside the linking file.
std::string LinkedFilePath(const std::string& linking_file, const std::string& stored) {
  const std::filesystem::path path(stored);
  if (path.is_absolute()) return stored;
  return (std::filesystem::path(linking_file).parent_path() / path).string();
}

// Jet opens a file nobody may write read-only. An account that may write anyway (root) must not
// change that: a read-only copy is often one a person means to keep as it is.
void RequireWritableFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
    Refuse("Cannot update. Database or object is read-only.");
  }
}

std::vector<CatalogTable> DescribeTables(jet::Database& database) {
  std::vector<CatalogTable> tables;
  for (const jet::CatalogueEntry& entry : database.Tables()) {
    CatalogTable table;
    table.name = entry.name;
    // A link to another Access file has no definition here; ADOX shows it without indexes.
    if (entry.kind != jet::TableKind::kLinkedAccess) {
      for (const jet::Index& index : database.GetTableDef(entry.name).indexes) {
        CatalogIndex out;
        out.name = index.name;
        out.primary_key = index.primary_key;
        out.unique = index.unique;
        for (const jet::IndexColumn& column : index.columns)
          out.columns.push_back(CatalogColumn{column.name});
        table.indexes.push_back(std::move(out));
      }
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

class JetSession : public Session {
 public:
  JetSession(std::shared_ptr<jet::Database> database, std::string path, std::string password)
      : database_(std::move(database)), path_(std::move(path)), password_(std::move(password)) {}

  std::unique_ptr<Cursor> Execute(const std::string& text) override {
    if (const std::optional<std::string> dropped = ParseDropTable(text)) {
      Drop(*dropped);
      return nullptr;
    }
    if (const std::optional<UpdateStatement> update = ParseUpdate(text)) {
      Update(*update);
      return nullptr;
    }
    const std::optional<std::string> table = ParseSelectAll(text);
    if (!table) {
      Refuse("The Jet provider does not run this statement: " + text);
    }
    return Select(database_, path_, *table, 0);
  }

  std::vector<CatalogTable> ReadCatalog() override {
    return EngineCall([&] { return DescribeTables(*database_); });
  }

 private:
  // Drops a table of the session's own file, through the engine (its refusals become errors).
  void Drop(const std::string& name) {
    if (database_->FindTable(name) == nullptr) Refuse("Table '" + name + "' does not exist.");
    EngineCall([&] { jet::DropTable(*database_, name); });
    required_.reset();
  }

  // UPDATE on a local table changes the file; on an ODBC link it runs on the link's data
  // source, and the file is not touched.
  void Update(const UpdateStatement& update) {
    const jet::CatalogueEntry* entry = database_->FindTable(update.table);
    if (entry == nullptr) RaiseNoSuchTable(update.table);
    if (entry->kind == jet::TableKind::kLinkedOdbc) {
      UpdateThroughLink(*database_, *entry, update);
      return;
    }
    if (entry->kind == jet::TableKind::kLinkedAccess) {
      Refuse("Table '" + entry->name + "' is linked to " + entry->database +
             "; the Jet provider updates its own file only.");
    }
    RequireWritableFile(path_);
    EngineCall([&] { jet::UpdateRows(*database_, entry->name, update.set, update.where); });
    required_.reset();
  }

  // `path` is the file `database` was opened from. A table linked to another Access file is
  // read from that file, with the session's password.
  std::unique_ptr<Cursor> Select(const std::shared_ptr<jet::Database>& database,
                                 const std::string& path, const std::string& name, int hops) {
    const jet::CatalogueEntry* entry = database->FindTable(name);
    if (entry == nullptr) RaiseNoSuchTable(name);
    switch (entry->kind) {
      case jet::TableKind::kLinkedOdbc:
        return SelectThroughLink(*database, *entry);
      case jet::TableKind::kLinkedAccess: {
        if (hops >= kMaxLinkHops) {
          Refuse("Table '" + entry->name + "' is linked in a loop of Access files.");
        }
        const std::string linked_path = LinkedFilePath(path, entry->database);
        std::shared_ptr<jet::Database> linked;
        try {
          linked = OpenDatabaseFile(linked_path, password_);
        } catch (const std::exception& e) {
          Refuse("Table '" + entry->name + "' is linked to " + entry->database +
                 ", which cannot be opened: " + e.what());
        }
        return Select(linked, linked_path, entry->foreign_name, hops + 1);
      }
      case jet::TableKind::kLocal:
      case jet::TableKind::kSystem:
        break;
    }
    return EngineCall([&]() -> std::unique_ptr<Cursor> {
      static const std::vector<std::string> kNone;
      const auto& required = RequiredColumnsOf(database);
      auto found = required.find(entry->id);
      return std::make_unique<JetCursor>(database, database->OpenTable(entry->name),
                                         found == required.end() ? kNone : found->second);
    });
  }

  // The Required columns of every table of `database`, read once per session for its own file.
  const std::map<int32_t, std::vector<std::string>>& RequiredColumnsOf(
      const std::shared_ptr<jet::Database>& database) {
    if (database != database_) {
      linked_required_ = ReadRequiredColumns(*database);
      return linked_required_;
    }
    if (!required_) required_ = ReadRequiredColumns(*database_);
    return *required_;
  }

  std::shared_ptr<jet::Database> database_;
  std::string path_;
  std::string password_;
  std::optional<std::map<int32_t, std::vector<std::string>>> required_;
  std::map<int32_t, std::vector<std::string>> linked_required_;
};

}  // namespace

std::unique_ptr<Session> OpenJetSession(const std::string& connection_string) {
  const std::vector<ConnectionAttribute> attributes = ParseConnectionString(connection_string);
  const std::optional<std::string> path = FindAttribute(attributes, "Data Source");
  if (!path || path->empty()) {
    Refuse("The Jet provider needs a database file (Data Source=...).");
  }
  // An unquoted value loses its outer blanks, among them the one the system writes after
  // "Password="; a password with blanks of its own must be quoted.
  const std::string password = FindAttribute(attributes, kPasswordKey).value_or("");
  try {
    return std::make_unique<JetSession>(OpenDatabaseFile(*path, password), *path, password);
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    // Anything else the engine meets on a damaged file (allocation, filesystem) is a refusal too.
    Refuse("Cannot open " + *path + ": " + e.what());
  }
}

}  // namespace db
