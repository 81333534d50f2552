#ifndef MDBTOMYSQL_DB_ERROR_H_
#define MDBTOMYSQL_DB_ERROR_H_

#include "base/error.h"

namespace db {

// The data access services raise the system's one error type.
using Error = base::Error;

// The number every provider raises when the database refuses a statement or a connection
// (E_FAIL as a signed 32-bit value); the system's traps test for it.
inline constexpr long kProviderError = -2147467259;

// Jet's "Disk or network error.": a write of the file failed after it began (a write, a sync,
// no space). Unlike a refused statement, no later statement may write the file before a person
// has looked at it.
inline constexpr long kDiskOrNetworkError = 3043;

}  // namespace db

#endif  // MDBTOMYSQL_DB_ERROR_H_
