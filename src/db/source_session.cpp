#include "db/source_session.h"

#include "db/connection_strings.h"

namespace db {
namespace {

Connection& Global() {
  static Connection session;
  return session;
}

}  // namespace

Connection& SourceSession() { return Global(); }

void OpenSourceSession(std::string path, const std::string& password) {
  OpenSourceSession(Global(), path, password);
}

void OpenSourceSession(Connection& session, const std::string& path, const std::string& password) {
  try {
    // A new connection, in effect: the one object is closed and all its properties set afresh,
    // so that a caller still holding the object holds the new session, not a dangling one.
    if (session.State() == kAdStateOpen) session.Close();
    session.SetCursorLocation(kAdUseClient);
    session.SetConnectionString(SourceConnectionString(path, password));
    session.Open(session.ConnectionString(), "", "", kAdConnectUnspecified);
  } catch (...) {
    // Silent by design, whatever was raised: callers read State().
  }
}

}  // namespace db
