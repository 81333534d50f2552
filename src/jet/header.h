#ifndef MDBTOMYSQL_JET_HEADER_H_
#define MDBTOMYSQL_JET_HEADER_H_

#include <cstdint>
#include <string>

#include "jet/page_cache.h"

namespace jet {

// The database header (page 0) of a Jet 4 file, with the masked region already unmasked.
struct Header {
  uint32_t version = 0;         // 1 = Jet 4
  uint16_t code_page = 0;       // 1252 in every sample; Jet 4 text is Unicode anyway
  uint32_t encryption_key = 0;  // non-zero: pages are RC4-encrypted ("Encrypt Database")
  uint16_t sort_order = 0;      // collation LCID, 1033 = General
  uint8_t sort_order_version = 0;
  double creation_date = 0;  // Jet date (days since 1899-12-30)
  std::u16string password;   // empty when the database has none
};

// Reads and checks the header of `cache`'s file. Throws jet::Error when the file is not a Jet 4
// database (too short, Jet 3, ACE, another engine) or uses page encryption, which this engine
// does not read.
Header ReadHeader(PageCache& cache);

// Throws jet::Error("wrong database password") unless the database has no password or `password`
// equals the stored one exactly (Jet 4 passwords are case-sensitive).
void CheckPassword(const Header& header, const std::string& password, const std::string& file_name);

// The 128-byte RC4 key stream that masks header bytes 0x18..0x97 (key C7 DA 39 6B).
const uint8_t* HeaderMask();

}  // namespace jet

#endif  // MDBTOMYSQL_JET_HEADER_H_
