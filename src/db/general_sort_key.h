#ifndef MDBTOMYSQL_DB_GENERAL_SORT_KEY_H_
#define MDBTOMYSQL_DB_GENERAL_SORT_KEY_H_

// The sort key lives in the engine, which needs it to check and maintain text indexes.
#include "jet/general_sort_key.h"

namespace db {

using jet::GeneralSortKey;

}  // namespace db

#endif  // MDBTOMYSQL_DB_GENERAL_SORT_KEY_H_
