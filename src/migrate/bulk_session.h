#ifndef MDBTOMYSQL_MIGRATE_BULK_SESSION_H_
#define MDBTOMYSQL_MIGRATE_BULK_SESSION_H_

#include <string>

#include "db/connection.h"

namespace migrate {

// Whether the server `version_text` (its VERSION(), "10.11.19-MariaDB-0+deb12u1") loads an empty
// InnoDB table in bulk mode soundly: MariaDB 10.11.11 or later in 10.11, 11.4.5 or later in 11.4,
// 11.7.2 or later, and every series after 11.7. Earlier MariaDB versions can abort such a LOAD
// DATA (MariaDB's MDEV-34703); MySQL servers, whose bulk loading is another matter, never
// qualify, nor does a text this function cannot read.
bool BulkModeQualifies(const std::string& version_text);

// What the migration's session needs to load a table in bulk mode: read once when a migration
// starts.
struct BulkSession {
  // The server qualifies (BulkModeQualifies) and the session's checks could be read.
  bool qualifies = false;
  // Bulk mode needs unique_checks and foreign_key_checks off; these statements turn them off for
  // one table's load and put the session's own values back afterwards.
  std::string checks_off;
  std::string checks_back;
};

// Reads the server's version, unless `version_text` stands in for it (a run that must behave as
// against another server), and the session's unique_checks and foreign_key_checks. A server
// that will not say is taken not to qualify.
BulkSession ReadBulkSession(db::Connection& mysql, const std::string& version_text = "");

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_BULK_SESSION_H_
