// Opening: the password rule and the refusal of everything that is not a Jet 4 database.
#include "jet/header.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "jet/database.h"
#include "support/test_env.h"

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The message of the jet::Error that opening `bytes` raises, or "" when it opens.
std::string OpenError(std::string bytes, const std::string& password = "qarnivel") {
  try {
    jet::Database::OpenMemory("VELDA.mdb", std::move(bytes), password);
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "";
}

std::string OpenFileError(const std::string& path, const std::string& password) {
  try {
    jet::Database::Open(path, password);
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "";
}

TEST(HeaderMask, IsTheRc4StreamOfTheFixedKey) {
  const uint8_t* mask = jet::HeaderMask();
  EXPECT_EQ(mask[0], 0xB5);
  EXPECT_EQ(mask[1], 0x6F);
  EXPECT_EQ(mask[2], 0x03);
  EXPECT_EQ(mask[3], 0x62);
  EXPECT_EQ(mask[124], 0xE9);
  EXPECT_EQ(mask[125], 0x2D);
  EXPECT_EQ(mask[126], 0x62);
  EXPECT_EQ(mask[127], 0xD4);
}

TEST(Password, ThePasswordOfEachFixtureOpensItAndNoOtherDoes) {
  const std::string velda = testenv::FixturePath("velda_sample.mdb");
  EXPECT_EQ(OpenFileError(velda, "qarnivel"), "");
  EXPECT_EQ(OpenFileError(velda, "Qarnivel"), "velda_sample.mdb: wrong database password")
      << "Jet 4 passwords are case-sensitive";
  EXPECT_EQ(OpenFileError(velda, ""), "velda_sample.mdb: wrong database password");
  EXPECT_EQ(OpenFileError(velda, "qarnivel "), "velda_sample.mdb: wrong database password");

  const std::string other = testenv::FixturePath("other_password.mdb");
  EXPECT_EQ(OpenFileError(other, "qarnivel"), "other_password.mdb: wrong database password");
  EXPECT_EQ(OpenFileError(other, "otherpass"), "");

  const std::string none = testenv::FixturePath("no_password.mdb");
  EXPECT_EQ(OpenFileError(none, "qarnivel"), "");
  EXPECT_EQ(OpenFileError(none, ""), "");
  EXPECT_EQ(OpenFileError(none, "anything at all"), "");
}

TEST(Password, HeaderFieldsOfTheSample) {
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  EXPECT_EQ(db.header().version, 1u);
  EXPECT_EQ(db.header().code_page, 1252);
  EXPECT_EQ(db.header().sort_order, 1033);
  EXPECT_EQ(db.header().password, u"qarnivel");
  EXPECT_NEAR(db.header().creation_date, 42450.3859, 1e-4);  // 2016-03-21 09:15:42
}

TEST(Password, AccessWrittenFilesWithAPassword) {
  MDB_REQUIRE_SHARED();
  for (const char* name : {"V2000_with-password.mdb", "V2003_with-password.mdb"}) {
    const std::string path = *testenv::SharedDir() + "/fixtures/real/" + name;
    EXPECT_EQ(OpenFileError(path, "password"), "") << name;
    EXPECT_EQ(OpenFileError(path, "qarnivel"), std::string(name) + ": wrong database password");
  }
}

TEST(Refusal, FilesThatAreNotJet4DatabasesGiveAClearError) {
  EXPECT_EQ(OpenFileError(testenv::FixturePath("not_a_database.mdb"), "qarnivel"),
            "not_a_database.mdb: not a Jet 4 database (the file is only 47 bytes long)");
  EXPECT_EQ(OpenError(""), "VELDA.mdb: not a Jet 4 database (the file is empty)");
  EXPECT_NE(OpenFileError("/nonexistent/VELDA.mdb", "qarnivel").find("cannot open the file"),
            std::string::npos);

  const std::string good = ReadBytes(testenv::FixturePath("velda_sample.mdb"));
  ASSERT_EQ(good.size(), 397312u);

  std::string jet3 = good;
  jet3[0x14] = 0;
  EXPECT_EQ(OpenError(jet3),
            "VELDA.mdb: not a Jet 4 database (version byte 0x00: a Jet 3 (Access 97) database)");

  std::string ace = good;
  ace.replace(4, 15, "Standard ACE DB");
  ace[0x14] = 2;
  EXPECT_EQ(OpenError(ace),
            "VELDA.mdb: not a Jet 4 database (version byte 0x02: an Access 2007 or later .accdb "
            "database)");

  std::string text = good;
  text.replace(0, 16, "just some text..");
  EXPECT_EQ(OpenError(text), "VELDA.mdb: not a Jet 4 database (no database header)");

  // Cut in the middle of a page, and cut at a page boundary before the catalogue's data pages.
  EXPECT_NE(OpenError(good.substr(0, 10000)).find("not a whole number of 4096-byte pages"),
            std::string::npos);
  EXPECT_EQ(OpenError(good.substr(0, 3 * 4096)),
            "VELDA.mdb: usage map at page 6 lies outside the file");

  // Encrypted pages (a non-zero key at 0x3E once unmasked) cannot be read without decrypting.
  std::string encrypted = good;
  encrypted[0x3E] = static_cast<char>(encrypted[0x3E] ^ 0x5A);
  EXPECT_NE(OpenError(encrypted).find("encrypted"), std::string::npos);
}

TEST(Refusal, AccdbFilesAreRefused) {
  MDB_REQUIRE_SHARED();
  const std::string path = *testenv::SharedDir() + "/fixtures/real/linkerTestV2007.accdb";
  EXPECT_EQ(OpenFileError(path, "qarnivel"),
            "linkerTestV2007.accdb: not a Jet 4 database (version byte 0x02: an Access 2007 or "
            "later .accdb database)");
}

}  // namespace
