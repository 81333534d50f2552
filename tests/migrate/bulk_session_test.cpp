// Which servers load an empty table in bulk mode, and what the session needs for it.
#include "migrate/bulk_session.h"

#include <gtest/gtest.h>

#include <memory>

#include "db/connection.h"
#include "scripted_sessions.h"
#include "support/test_env.h"

namespace migrate {
namespace {

TEST(BulkModeQualifies, OnlyMariaDbReleasesWithTheFix) {
  struct Case {
    const char* version;
    bool qualifies;
  };
  for (const Case& c : std::initializer_list<Case>{{"10.11.19-MariaDB-0+deb12u1", true},
                                                   {"10.11.11-MariaDB", true},
                                                   {"10.11.10-MariaDB", false},
                                                   {"10.11.10-MariaDB-log", false},
                                                   {"10.11.100-MariaDB", true},
                                                   {"10.6.21-MariaDB", false},
                                                   {"10.10.7-MariaDB", false},
                                                   {"11.4.4-MariaDB", false},
                                                   {"11.4.5-MariaDB-ubu2404", true},
                                                   {"11.5.2-MariaDB", false},
                                                   {"11.6.2-MariaDB", false},
                                                   {"11.7.1-MariaDB", false},
                                                   {"11.7.2-MariaDB", true},
                                                   {"11.8.0-MariaDB", false},
                                                   {"11.8.3-MariaDB", true},
                                                   {"12.0.2-MariaDB", true},
                                                   {"5.5.5-10.11.11-MariaDB", true},
                                                   {"5.5.5-10.11.9-MariaDB", false},
                                                   // MySQL and its kin, whatever their numbers.
                                                   {"8.0.36", false},
                                                   {"8.4.3-commercial", false},
                                                   {"11.4.5", false},
                                                   {"8.0.35-27", false},
                                                   // Texts that are not a version.
                                                   {"", false},
                                                   {"MariaDB", false},
                                                   {"-MariaDB", false},
                                                   {"10.11-MariaDB", false},
                                                   {"10..11-MariaDB", false},
                                                   {"x10.11.11-MariaDB", false},
                                                   {"99999999999999999999.11.11-MariaDB", false}}) {
    EXPECT_EQ(BulkModeQualifies(c.version), c.qualifies) << c.version;
  }
}

TEST(ReadBulkSession, AServerThatWillNotSayDoesNotQualify) {
  auto log = std::make_shared<RecordingSession::Log>();
  db::Connection mysql;
  mysql.Attach(std::make_unique<RecordingSession>(log));
  EXPECT_FALSE(ReadBulkSession(mysql).qualifies);
  EXPECT_FALSE(ReadBulkSession(mysql, "10.11.19-MariaDB").qualifies);
  const db::Error refusal(db::kProviderError, "Unknown system variable 'unique_checks'");
  log->refuse = [&](const std::string&) { return &refusal; };
  EXPECT_FALSE(ReadBulkSession(mysql, "10.11.19-MariaDB").qualifies);
  // Not the server's refusal: the run cannot go on.
  const db::Error closed(3709, "closed");
  log->refuse = [&](const std::string&) { return &closed; };
  EXPECT_THROW(ReadBulkSession(mysql), db::Error);
}

TEST(ReadBulkSession, PutsTheSessionsOwnChecksBack) {
  MDB_REQUIRE_SERVER();
  db::Connection mysql;
  mysql.Open(testenv::TestServerConnectionString());
  auto version = mysql.Execute("SELECT VERSION()");
  const std::string own = version->Fields().Item(0).GetValue().ToString();
  const BulkSession bulk = ReadBulkSession(mysql);
  EXPECT_EQ(bulk.qualifies, BulkModeQualifies(own)) << own;
  if (!bulk.qualifies) GTEST_SKIP() << own << " does not load in bulk mode";
  EXPECT_EQ(bulk.checks_off, "SET SESSION unique_checks = 0, foreign_key_checks = 0");
  EXPECT_EQ(bulk.checks_back, "SET SESSION unique_checks = 1, foreign_key_checks = 1");
  mysql.Execute("SET SESSION foreign_key_checks = 0");
  EXPECT_EQ(ReadBulkSession(mysql).checks_back,
            "SET SESSION unique_checks = 1, foreign_key_checks = 0");
  // A version fed in stands for the server's own.
  EXPECT_FALSE(ReadBulkSession(mysql, "10.11.10-MariaDB").qualifies);
  EXPECT_FALSE(ReadBulkSession(mysql, "8.0.36").qualifies);
  mysql.Execute(bulk.checks_off);
  auto off = mysql.Execute("SELECT @@unique_checks + 0, @@foreign_key_checks + 0");
  EXPECT_EQ(off->Fields().Item(0).GetValue().ToString(), "0");
  EXPECT_EQ(off->Fields().Item(1).GetValue().ToString(), "0");
}

}  // namespace
}  // namespace migrate
