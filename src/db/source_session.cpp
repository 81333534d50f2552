#include "db/source_session.h"

namespace db {
namespace {

Connection& Global() {
  static Connection session;
  return session;
}

bool HasOuterBlank(const std::string& value) {
  return !value.empty() && (value.front() == ' ' || value.back() == ' ');
}

// Whether the provider would read `value` as a braced value ("{...}").
bool OpensBrace(const std::string& value) {
  const size_t first = value.find_first_not_of(' ');
  return first != std::string::npos && value[first] == '{';
}

// A value that the provider would split (";") or misread ('"', a leading "{") goes in double
// quotes with '"' doubled, so that it reads back unchanged. `keep_blanks` quotes a value with
// outer blanks too, which the provider would otherwise trim.
std::string QuoteJetValue(const std::string& value, bool keep_blanks) {
  if (value.find_first_of(";\"") == std::string::npos && !OpensBrace(value) &&
      !(keep_blanks && HasOuterBlank(value)))
    return value;
  std::string out = "\"";
  for (char c : value) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

}  // namespace

std::string SourceConnectionString(const std::string& path, const std::string& password) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QuoteJetValue(path, false) +
         ";Jet OLEDB:Database Password= " + QuoteJetValue(password, true) + ";";
}

Connection& SourceSession() { return Global(); }

void OpenSourceSession(std::string path, const std::string& password) {
  try {
    // A new connection, in effect: the one object is closed and all its properties set afresh,
    // so that a caller still holding SourceSession() holds the new session, not a dangling one.
    Connection& session = Global();
    if (session.State() == kAdStateOpen) session.Close();
    session.SetCursorLocation(kAdUseClient);
    session.SetConnectionString(SourceConnectionString(path, password));
    session.Open(session.ConnectionString(), "", "", kAdConnectUnspecified);
  } catch (...) {
    // Silent by design, whatever was raised: callers read State().
  }
}

}  // namespace db
