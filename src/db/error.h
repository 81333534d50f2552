#ifndef MDBTOMYSQL_DB_ERROR_H_
#define MDBTOMYSQL_DB_ERROR_H_

#include "base/error.h"

namespace db {

// The data access services raise the system's one error type.
using Error = base::Error;

// The number every provider raises when the database refuses a statement or a connection
// (E_FAIL as a signed 32-bit value); the system's traps test for it.
inline constexpr long kProviderError = -2147467259;

}  // namespace db

#endif  // MDBTOMYSQL_DB_ERROR_H_
