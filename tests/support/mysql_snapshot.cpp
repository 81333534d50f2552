#include "support/mysql_snapshot.h"

#include <algorithm>
#include <utility>

namespace testenv {

std::vector<std::string> Snapshot(db::Connection& admin, const std::string& database) {
  std::vector<std::string> out;
  auto tables = admin.Execute(
      "SELECT table_name, COALESCE(auto_increment, 0) FROM "
      "information_schema.tables WHERE table_schema = '" +
      database + "' ORDER BY table_name");
  std::vector<std::pair<std::string, std::string>> names;
  while (!tables->Eof()) {
    names.emplace_back(tables->Fields().Item(0).GetValue().ToString(),
                       tables->Fields().Item(1).GetValue().ToString());
    tables->MoveNext();
  }
  for (const auto& [name, next] : names) {
    out.push_back("table " + name + " next " + next);
    std::vector<std::string> rows;
    auto rs = admin.Execute("SELECT * FROM `" + database + "`.`" + name + "`");
    while (!rs->Eof()) {
      std::string line;
      for (int i = 0; i < rs->Fields().Count(); ++i) {
        const db::Value& v = rs->Fields().Item(i).GetValue();
        line += (v.IsNull() ? "NULL" : v.ToString()) + "|";
      }
      rows.push_back(line);
      rs->MoveNext();
    }
    std::sort(rows.begin(), rows.end());
    out.insert(out.end(), rows.begin(), rows.end());
  }
  return out;
}

}  // namespace testenv
