#include "db/jet_provider.h"

#include "db/error.h"

namespace db {

std::unique_ptr<Session> OpenJetSession(const std::string&) {
  throw Error(3706, "Provider cannot be found. It may not be properly installed.");
}

}  // namespace db
