#ifndef MDBTOMYSQL_DB_ENGINE_CALL_H_
#define MDBTOMYSQL_DB_ENGINE_CALL_H_

#include <utility>

#include "db/error.h"
#include "jet/error.h"

namespace db {

// Runs `action` on the file engine. The engine's own error (a damaged page, a refused write)
// reaches the system's traps as the provider's refusal, with the engine's description, as the
// Jet provider reports such a failure; a write that failed after it began is
// kDiskOrNetworkError.
template <typename Action>
decltype(auto) EngineCall(Action&& action) {
  try {
    return std::forward<Action>(action)();
  } catch (const jet::WriteFailure& e) {
    throw Error(kDiskOrNetworkError, e.what());
  } catch (const jet::Error& e) {
    throw Error(kProviderError, e.what());
  }
}

}  // namespace db

#endif  // MDBTOMYSQL_DB_ENGINE_CALL_H_
