// The check as the gate of the commands that copy a file or write into it.
#include "jet/check.h"

namespace jet {

std::optional<std::string> FirstDamage(Database& db) {
  CheckReport report = CheckDatabase(db);
  if (report.ok()) return std::nullopt;
  return std::move(report.errors.front());
}

}  // namespace jet
