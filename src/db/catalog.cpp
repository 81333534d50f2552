#include "db/catalog.h"

#include "db/connection.h"
#include "db/error.h"

namespace db {

void Catalog::SetActiveConnection(Connection& connection) {
  if (!connection.session())
    throw Error(3709,
                "The connection cannot be used to perform this operation. It is either closed or "
                "invalid in this context.");
  tables_ = connection.session()->ReadCatalog();
}

}  // namespace db
