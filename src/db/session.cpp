#include "db/session.h"

#include "db/error.h"

namespace db {

std::vector<CatalogTable> Session::ReadCatalog() {
  throw Error(3251, "Object or provider is not capable of performing requested operation.");
}

}  // namespace db
