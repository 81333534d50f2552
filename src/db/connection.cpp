#include "db/connection.h"

#include "db/error.h"
#include "db/providers.h"

namespace db {

void Connection::Open(const std::string& connection_string, const std::string& user_id,
                      const std::string& password, long /*options*/) {
  if (session_) throw Error(3705, "Operation is not allowed when the object is open.");
  if (!connection_string.empty()) connection_string_ = connection_string;
  std::string text = connection_string_;
  if (!user_id.empty() || !password.empty()) {
    if (!text.empty() && text.back() != ';') text += ';';
    if (!user_id.empty()) text += "User ID=" + user_id + ";";
    if (!password.empty()) text += "Password=" + password + ";";
  }
  session_ = OpenSession(text);
}

void Connection::Attach(std::unique_ptr<Session> session) {
  if (session_) throw Error(3705, "Operation is not allowed when the object is open.");
  session_ = std::move(session);
}

void Connection::Close() {
  if (!session_) throw Error(3704, "Operation is not allowed when the object is closed.");
  session_.reset();
}

std::unique_ptr<Recordset> Connection::Execute(const std::string& text) {
  if (!session_)
    throw Error(3709,
                "The connection cannot be used to perform this operation. It is either closed or "
                "invalid in this context.");
  std::unique_ptr<Cursor> cursor = session_->Execute(text);
  if (!cursor) return std::make_unique<Recordset>();
  return std::make_unique<Recordset>(std::move(cursor));
}

}  // namespace db
