#ifndef MDBTOMYSQL_TESTS_LINKS_SCRIPTED_FILE_H_
#define MDBTOMYSQL_TESTS_LINKS_SCRIPTED_FILE_H_

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "db/dao.h"
#include "db/error.h"
#include "db/session.h"

namespace links {

// One .mdb file as the link refresh sees it through both of its openings: the source session
// (DROP TABLE) and DAO (table definitions, links). Both write the same definitions, as they
// would in the real file; every statement and link operation is logged.
struct ScriptedFile {
  std::vector<db::dao::TableDef> defs;
  std::vector<std::string> log;
  std::set<std::string> refuse_drop;    // names whose DROP the engine refuses
  std::set<std::string> refuse_link;    // names whose Append or RefreshLink the engine refuses
  std::set<std::string> fail_drop;      // names whose DROP the file fails (an I/O error)
  std::set<std::string> fail_link;      // names whose Append the file fails
  bool can_link = true;
  bool open_fails = false;
  int opens = 0;

  static bool Same(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) ==
             std::tolower(static_cast<unsigned char>(y));
    });
  }
  db::dao::TableDef* Find(const std::string& name) {
    for (auto& def : defs)
      if (Same(def.name, name)) return &def;
    return nullptr;
  }
  const db::dao::TableDef* Find(const std::string& name) const {
    return const_cast<ScriptedFile*>(this)->Find(name);
  }
};

class ScriptedSourceSession : public db::Session {
 public:
  explicit ScriptedSourceSession(std::shared_ptr<ScriptedFile> file) : file_(std::move(file)) {}
  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    file_->log.push_back(text);
    const std::string drop = "DROP TABLE ";
    if (text.rfind(drop, 0) == 0) {
      const std::string name = text.substr(drop.size());
      if (file_->fail_drop.count(name) != 0) {
        throw db::Error(db::kDiskOrNetworkError, "velda.mdb: write error at page 12 (EIO)");
      }
      if (file_->refuse_drop.count(name) == 0) {
        for (auto it = file_->defs.begin(); it != file_->defs.end(); ++it) {
          if (!ScriptedFile::Same(it->name, name)) continue;
          file_->defs.erase(it);
          return nullptr;
        }
      }
      throw db::Error(db::kProviderError, "Table '" + name + "' does not exist.");
    }
    throw db::Error(db::kProviderError, "not in the script: " + text);
  }

 private:
  std::shared_ptr<ScriptedFile> file_;
};

class ScriptedDaoDatabase : public db::dao::Database {
 public:
  explicit ScriptedDaoDatabase(std::shared_ptr<ScriptedFile> file) : file_(std::move(file)) {}
  std::vector<db::dao::TableDef> TableDefs() override { return file_->defs; }
  bool CanLinkTables() const override { return file_->can_link; }
  void AppendTableDef(const db::dao::TableDef& def) override {
    file_->log.push_back("Append " + def.name + " | " + def.connect + " | " +
                         def.source_table_name);
    if (file_->fail_link.count(def.name) != 0) {
      throw db::Error(db::kDiskOrNetworkError, "velda.mdb: the written pages could not be made "
                                               "durable (No space left on device)");
    }
    if (file_->refuse_link.count(def.name) || file_->Find(def.name))
      throw db::Error(3010, "Table '" + def.name + "' already exists.");
    file_->defs.push_back(def);
  }
  void RefreshLink(const db::dao::TableDef& def) override {
    file_->log.push_back("RefreshLink " + def.name + " | " + def.connect + " | " +
                         def.source_table_name);
    db::dao::TableDef* existing = file_->Find(def.name);
    if (file_->refuse_link.count(def.name) || !existing)
      throw db::Error(3151, "ODBC--connection to '" + def.connect + "' failed.");
    existing->connect = def.connect;
    existing->source_table_name = def.source_table_name;
  }

 private:
  std::shared_ptr<ScriptedFile> file_;
};

// A DAO opener over `file`: every opening sees the file as the last one left it.
inline auto ScriptedDao(std::shared_ptr<ScriptedFile> file) {
  return [file](const std::string& name, bool, bool,
                const std::string& connect) -> std::unique_ptr<db::dao::Database> {
    ++file->opens;
    if (file->open_fails) throw db::Error(db::kProviderError, "Cannot open " + name);
    if (connect != ";pwd=qarnivel") throw db::Error(3031, "Not a valid password.");
    return std::make_unique<ScriptedDaoDatabase>(file);
  };
}

inline db::dao::TableDef Local(const std::string& name) { return {name, "", "", false}; }
inline db::dao::TableDef Link(const std::string& name, const std::string& connect,
                              const std::string& source) {
  return {name, connect, source, false};
}

}  // namespace links

#endif  // MDBTOMYSQL_TESTS_LINKS_SCRIPTED_FILE_H_
