#include "migrate/bulk_session.h"

#include <cctype>
#include <memory>

#include "db/error.h"

namespace migrate {
namespace {

// Reads a decimal number at `*at`, moving past it; -1 when there is none.
long ReadNumber(const std::string& text, size_t* at) {
  long n = -1;
  while (*at < text.size() && std::isdigit(static_cast<unsigned char>(text[*at])) && n < 100000) {
    n = (n < 0 ? 0 : n * 10) + (text[*at] - '0');
    ++*at;
  }
  return n;
}

// "0" or "1" as the server gave it; anything else is not a value to put back.
bool IsSwitch(const std::string& value) { return value == "0" || value == "1"; }

}  // namespace

bool BulkModeQualifies(const std::string& version_text) {
  if (version_text.find("-MariaDB") == std::string::npos) return false;
  // A MariaDB server behind an old client's eyes is "5.5.5-" followed by its own version.
  size_t at = version_text.rfind("5.5.5-", 0) == 0 ? 6 : 0;
  const long major = ReadNumber(version_text, &at);
  if (at >= version_text.size() || version_text[at++] != '.') return false;
  const long minor = ReadNumber(version_text, &at);
  if (at >= version_text.size() || version_text[at++] != '.') return false;
  const long patch = ReadNumber(version_text, &at);
  if (major < 0 || minor < 0 || patch < 0) return false;
  // The series that had the fault got the fix in these releases; 11.8 has it from 11.8.1, its
  // first release made after the fix.
  if (major == 10) return minor == 11 && patch >= 11;
  if (major == 11) {
    if (minor == 4) return patch >= 5;
    if (minor == 7) return patch >= 2;
    if (minor == 8) return patch >= 1;
    return minor > 8;
  }
  return major > 11;
}

BulkSession ReadBulkSession(db::Connection& mysql, const std::string& version_text) {
  BulkSession bulk;
  std::unique_ptr<db::Recordset> rs;
  try {
    rs = mysql.Execute("SELECT VERSION(), @@SESSION.unique_checks, @@SESSION.foreign_key_checks");
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError) throw;
    return bulk;
  }
  if (rs->Eof()) return bulk;
  const db::Fields& f = rs->Fields();
  const std::string version = version_text.empty() ? f.Item(0).GetValue().ToString() : version_text;
  const std::string unique_checks = f.Item(1).GetValue().ToString();
  const std::string foreign_key_checks = f.Item(2).GetValue().ToString();
  if (!BulkModeQualifies(version) || !IsSwitch(unique_checks) || !IsSwitch(foreign_key_checks))
    return bulk;
  bulk.qualifies = true;
  bulk.checks_off = "SET SESSION unique_checks = 0, foreign_key_checks = 0";
  bulk.checks_back = "SET SESSION unique_checks = " + unique_checks +
                     ", foreign_key_checks = " + foreign_key_checks;
  return bulk;
}

}  // namespace migrate
