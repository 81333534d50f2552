#ifndef MDBTOMYSQL_JET_LONG_VALUE_H_
#define MDBTOMYSQL_JET_LONG_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/page_cache.h"

namespace jet {

// Reads the data of a Memo or OLE value from its definition in a row (at least 12 bytes: 3-byte
// length, a kind byte, the row pointer of the first long-value row, then inline data). The data
// is inline (kind 0x80), one long-value row (0x40) or a chain of rows, each starting with the
// pointer to the next (0x00). Throws jet::Error if the definition or the chain is damaged; the
// length is checked against the file size before anything is allocated.
void ReadLongValue(PageCache& cache, const uint8_t* definition, size_t length, std::string* out);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_LONG_VALUE_H_
