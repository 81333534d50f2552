// The rows' text form for LOAD DATA, and the private file that carries it.
#include <sys/stat.h>

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/error.h"
#include "db/field.h"
#include "migrate/tab_file.h"
#include "migrate/value_rendering.h"
#include "support/test_env.h"

namespace migrate {
namespace {

std::string Field(int type, const db::Value& value) {
  std::string out;
  EXPECT_TRUE(AppendTabField(type, value, &out));
  return out;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(TabField, EscapesWhatWouldSplitAFieldOrALineAndTrimsOnlySpaces) {
  const int text = db::ado_type::kVarWChar;
  static constexpr char kTricky[] = "  a\tb\nc\rd\\e\0f 'g' \"h\"  ";
  EXPECT_EQ(Field(text, db::Value::Text(std::string(kTricky, sizeof kTricky - 1))),
            std::string("a\\tb\\nc\\rd\\\\e\\0f 'g' \"h\""));
  // \N alone would be read as NULL, and a final backslash would escape the separator.
  EXPECT_EQ(Field(text, db::Value::Text("\\N")), "\\\\N");
  EXPECT_EQ(Field(db::ado_type::kLongVarWChar, db::Value::Text("end\\")), "end\\\\");
  EXPECT_EQ(Field(text, db::Value::Text("\t tab kept \t")), "\\t tab kept \\t");
  EXPECT_EQ(Field(db::ado_type::kWChar, db::Value::Null()), "");
  EXPECT_EQ(Field(text, db::Value::Text("NULL")), "NULL");
  EXPECT_EQ(Field(text, db::Value::Text("caf\xC3\xA9 \xF0\x9F\x98\x80")), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST(ValueRendering, TextWithANulTravelsAsHex) {
  // Outer spaces trimmed, the quote not doubled: hex digits need no escaping.
  std::string out;
  AppendLiteral(db::ado_type::kVarWChar, db::Value::Text(std::string(" a'\0b ", 6)), &out);
  EXPECT_EQ(out, "_utf8mb4 X'61270062'");
}

// Where the file behind a descriptor path lives: the folder of "/dir/#123 (deleted)".
std::string FolderOf(const std::string& descriptor_path) {
  char target[4096];
  const ssize_t n = ::readlink(descriptor_path.c_str(), target, sizeof target - 1);
  if (n <= 0) return "";
  return std::filesystem::path(std::string(target, size_t(n))).parent_path().string();
}

TEST(TabFile, PrivateToItsOwnerNamelessAndGoneWithTheObject) {
  const std::string dir = testenv::ScratchDir("tab_file");
  const char* saved = std::getenv("TMPDIR");
  const std::string saved_value = saved ? saved : "";
  setenv("TMPDIR", dir.c_str(), 1);
  std::string path;
  try {
    TabFile file;
    path = file.path();
    EXPECT_EQ(path.rfind("/proc/self/fd/", 0), 0u) << path;
    EXPECT_EQ(FolderOf(path), dir);
    // Payroll rows never have a name: a kill of any kind leaves nothing in the folder.
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    file.Append("1\tone\n");
    file.Append("2\ttwo\n");
    EXPECT_EQ(file.bytes(), 12u);
    file.Flush();
    EXPECT_EQ(Contents(path), "1\tone\n2\ttwo\n");
    file.Clear();
    file.Append("3\tthree\n");
    file.Flush();
    EXPECT_EQ(Contents(path), "3\tthree\n");
    throw std::runtime_error("copy stopped");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir));

  // A folder the LOAD DATA statement could not quote is not used.
  const std::string quoted = dir + "/it's";
  std::filesystem::create_directories(quoted);
  setenv("TMPDIR", quoted.c_str(), 1);
  {
    TabFile file;
    EXPECT_EQ(FolderOf(file.path()), "/tmp");
    EXPECT_EQ(file.path().find('\''), std::string::npos);
  }
  if (saved)
    setenv("TMPDIR", saved_value.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

}  // namespace
}  // namespace migrate
