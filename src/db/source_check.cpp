#include "db/source_check.h"

#include "db/engine_call.h"
#include "jet/check.h"
#include "jet/database.h"

namespace db {

std::optional<std::string> FirstDamageOf(const std::string& path, const std::string& password) {
  return EngineCall([&] {
    jet::Database database = jet::Database::Open(path, password);
    return jet::FirstDamage(database);
  });
}

}  // namespace db
