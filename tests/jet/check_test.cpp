// The full check over real files, and over copies damaged in one place each: every kind of damage
// must be named, and files Access wrote must pass.
#include "cli/file_commands.h"
#include "jet/check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "check_damage.h"
#include "jet/byte_order.h"
#include "jet/index_page.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;
constexpr size_t kPage = jet::kPageSize;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// ASCII text as UTF-16LE, the way Jet stores uncompressed text.
std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

jet::CheckReport CheckBytes(std::string bytes) {
  jet::Database db = jet::Database::OpenMemory("VELDA.mdb", std::move(bytes), "qarnivel");
  return jet::CheckDatabase(db);
}

// Jet 4 files only: Jet 3 and ACE files, and files that are no database at all, do not open.
std::vector<std::string> Jet4Files(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".mdb") continue;
    std::string bytes = FileBytes(entry.path().string());
    if (bytes.size() < kPage || bytes[0x14] != 1) continue;
    files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(Check, PassesOnEveryJet4Fixture) {
  std::vector<std::string> files = Jet4Files(testenv::FixturePath(""));
  if (auto shared = testenv::SharedDir()) {
    for (const std::string& sub : {std::string("/fixtures"), std::string("/fixtures/real")}) {
      if (fs::is_directory(*shared + sub)) {
        for (const std::string& f : Jet4Files(*shared + sub)) files.push_back(f);
      }
    }
  }
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    std::ostringstream out, err;
    const std::string name = fs::path(file).filename().string();
    const std::string password = name == "other_password.mdb"                      ? "otherpass"
                                 : name.find("with-password") != std::string::npos ? "password"
                                                                                   : "qarnivel";
    int status = cli::RunCheckCommand(file, password, out, err);
    EXPECT_EQ(status, 0) << file << "\n" << out.str() << err.str();
    // Every page of these files is accounted for: in use by something, or free.
    EXPECT_NE(out.str().find(" 0 unreachable pages"), std::string::npos) << out.str();
  }
}

// The velda sample with one thing changed in its bytes.
class CheckDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = FileBytes(testenv::FixturePath("velda_sample.mdb"));
    ASSERT_GT(bytes_.size(), 3 * kPage);
    jet::Database db = jet::Database::OpenMemory("VELDA.mdb", bytes_, "qarnivel");
    const jet::TableDef& def = db.GetTableDef("tblEmployee");
    employee_def_ = def.page;
    ASSERT_FALSE(def.real_indexes.empty());
    primary_key_ = def.real_indexes[0];
    ASSERT_TRUE(jet::CheckDatabase(db).ok());
  }

  // The first leaf page of tblEmployee's first index, decoded.
  jet::IndexPage FirstLeaf() {
    jet::Database db = jet::Database::OpenMemory("VELDA.mdb", bytes_, "qarnivel");
    jet::IndexTree tree = jet::ReadIndexTree(db.cache(), primary_key_, employee_def_);
    jet::PageRef page = db.cache().Read(tree.leaves.front());
    return jet::DecodeIndexPage(*page, db.cache());
  }

  void Store(const jet::IndexPage& page) {
    jet::EncodeIndexPage(page, reinterpret_cast<uint8_t*>(&bytes_[page.number * kPage]));
  }

  std::string Errors() { return Joined(CheckBytes(bytes_).errors); }

  std::string bytes_;
  jet::PageNumber employee_def_ = 0;
  jet::RealIndex primary_key_;
};

TEST_F(CheckDamage, ReencodedIndexPageReadsTheSame) {
  // The sample's pages use no prefix; the encoder shares the common key bytes.
  jet::IndexPage leaf = FirstLeaf();
  Store(leaf);
  jet::IndexPage again = FirstLeaf();
  ASSERT_EQ(again.entries.size(), leaf.entries.size());
  for (size_t i = 0; i < leaf.entries.size(); ++i) {
    EXPECT_TRUE(again.entries[i].bytes == leaf.entries[i].bytes) << "entry " << i;
  }
  EXPECT_EQ(jet::LoadU16(reinterpret_cast<const uint8_t*>(&bytes_[leaf.number * kPage + 24])), 4)
      << "prefix: the key bytes 7F 80 00 00 are common to all entries";
  EXPECT_TRUE(CheckBytes(bytes_).ok());
}

TEST_F(CheckDamage, NamesAnIndexEntryRemoved) {
  jet::IndexPage leaf = FirstLeaf();
  ASSERT_GE(leaf.entries.size(), 2u);
  const jet::RowPointer row = leaf.entries.front().row;
  leaf.entries.erase(leaf.entries.begin());
  Store(leaf);
  EXPECT_NE(
      Errors().find("table tblEmployee: index PrimaryKey: row page " + std::to_string(row.page) +
                    " slot " + std::to_string(row.row) + " has no entry in the index"),
      std::string::npos)
      << Errors();
}

TEST_F(CheckDamage, NamesEntriesOutOfOrderAndEntriesForDeadRows) {
  jet::IndexPage leaf = FirstLeaf();
  ASSERT_GE(leaf.entries.size(), 3u);
  std::swap(leaf.entries[0], leaf.entries[1]);
  Store(leaf);
  EXPECT_NE(Errors().find("index PrimaryKey: entry for row page"), std::string::npos);
  EXPECT_NE(Errors().find("is out of key order"), std::string::npos) << Errors();

  // Delete the row of the third entry in its slot only: the index still points at it.
  SetUp();
  const jet::RowPointer row = FirstLeaf().entries[2].row;
  const size_t slot = row.page * kPage + 14 + 2 * row.row;
  bytes_[slot + 1] = static_cast<char>(bytes_[slot + 1] | 0x80);
  EXPECT_NE(Errors().find("entry for row page " + std::to_string(row.page) + " slot " +
                          std::to_string(row.row) + ", which is not a live row of the table"),
            std::string::npos)
      << Errors();
}

TEST_F(CheckDamage, NamesAChangedRowCount) {
  const size_t count = employee_def_ * kPage + 16;
  const uint32_t rows = jet::LoadU32(reinterpret_cast<const uint8_t*>(&bytes_[count]));
  bytes_[count] = static_cast<char>(rows + 1);
  EXPECT_NE(Errors().find("table tblEmployee: the definition counts " + std::to_string(rows + 1) +
                          " rows, the table holds " + std::to_string(rows)),
            std::string::npos)
      << Errors();
}

TEST_F(CheckDamage, NamesACatalogueRowRenamedWithoutItsIndexEntry) {
  // "tblEmployee" in a catalogue row (compressed or UTF-16), renamed "tblXmployee" in place.
  bool renamed = false;
  for (size_t page = 3; page < bytes_.size() / kPage && !renamed; ++page) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&bytes_[page * kPage]);
    if (p[0] != 0x01 || jet::LoadU32(p + 4) != 2) continue;  // MSysObjects' data pages
    std::string view = bytes_.substr(page * kPage, kPage);
    for (const std::string& stored : {std::string("tblEmployee"), Utf16("tblEmployee")}) {
      size_t at = view.find(stored);
      if (at == std::string::npos) continue;
      bytes_[page * kPage + at + (stored.size() == 11 ? 3 : 6)] = 'X';
      renamed = true;
      break;
    }
  }
  ASSERT_TRUE(renamed);
  EXPECT_NE(Errors().find("system table MSysObjects: index ParentIdName: entry for row"),
            std::string::npos)
      << Errors();
  EXPECT_NE(Errors().find("the row's values give"), std::string::npos);
}

TEST_F(CheckDamage, APageMapThatLosesRowsOrListsAnotherTablesPageIsDamage) {
  // One zeroed byte of tblEmployee's page map: its rows there are lost to every reader.
  const jet::PageNumber rows_page = checktest::FirstRowPage(bytes_, "tblEmployee");
  bytes_[checktest::MapByte(bytes_, "tblEmployee", false, rows_page)] = 0;
  std::string errors = Errors();
  EXPECT_NE(errors.find("table tblEmployee: the definition counts 40 rows, the table holds "),
            std::string::npos)
      << errors;
  jet::Database db = jet::Database::OpenMemory("VELDA.mdb", bytes_, "qarnivel");
  const std::optional<std::string> first = jet::FirstDamage(db);
  ASSERT_TRUE(first.has_value());
  EXPECT_NE(first->find("table tblEmployee"), std::string::npos) << *first;

  // tblEmployee's map also lists a page of tblLeave_Header's rows: mdb-reader refuses the table
  // (another version read the other table's rows as its own).
  SetUp();
  const jet::PageNumber other = checktest::FirstRowPage(bytes_, "tblLeave_Header");
  const size_t byte = checktest::MapByte(bytes_, "tblEmployee", false, other);
  bytes_[byte] = static_cast<char>(bytes_[byte] | (1 << (other % 8)));
  errors = Errors();
  EXPECT_NE(errors.find("table tblEmployee: its page map lists page " + std::to_string(other) +
                        ", which is not one of its data pages"),
            std::string::npos)
      << errors;
}

TEST_F(CheckDamage, TheGateIsQuietOnASoundFileAndNamesTheFirstErrorOtherwise) {
  jet::Database sound = jet::Database::OpenMemory("VELDA.mdb", bytes_, "qarnivel");
  EXPECT_EQ(jet::FirstDamage(sound), std::nullopt);

  const size_t count = employee_def_ * kPage + 16;
  bytes_[count] = static_cast<char>(bytes_[count] + 1);
  jet::Database damaged = jet::Database::OpenMemory("VELDA.mdb", bytes_, "qarnivel");
  EXPECT_EQ(jet::FirstDamage(damaged), CheckBytes(bytes_).errors.front());
}

}  // namespace
