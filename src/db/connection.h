#ifndef MDBTOMYSQL_DB_CONNECTION_H_
#define MDBTOMYSQL_DB_CONNECTION_H_

#include <memory>
#include <string>

#include "db/recordset.h"
#include "db/session.h"

namespace db {

inline constexpr long kAdUseServer = 2;
inline constexpr long kAdUseClient = 3;
inline constexpr long kAdConnectUnspecified = -1;
inline constexpr int kAdStateClosed = 0;
inline constexpr int kAdStateOpen = 1;

// An ADO-shaped connection: set its properties, Open it, Execute statements on it, Close it.
// Releasing the object closes an open connection.
class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  long CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(long location) { cursor_location_ = location; }
  const std::string& ConnectionString() const { return connection_string_; }
  void SetConnectionString(std::string text) { connection_string_ = std::move(text); }

  // Opens the connection with `connection_string` (or, when it is empty, the ConnectionString
  // property). A non-empty user or password is added to the string as ADO does ("User ID=",
  // "Password="). Raises db::Error when the provider refuses; raises 3705 when already open.
  void Open(const std::string& connection_string = {}, const std::string& user_id = {},
            const std::string& password = {}, long options = kAdConnectUnspecified);
  // 0 closed, 1 open.
  int State() const { return session_ ? kAdStateOpen : kAdStateClosed; }
  // Raises 3704 when the connection is not open.
  void Close();
  // Runs one statement; for a statement that gives rows, the recordset holds them. Raises 3709 on
  // a closed connection and the provider's error when the statement is refused.
  std::unique_ptr<Recordset> Execute(const std::string& text);

  // Opens the connection on a session made elsewhere (a provider of the caller's own, such as a
  // recording one in tests). Raises 3705 when already open.
  void Attach(std::unique_ptr<Session> session);

  // The provider's session, for the operations beyond ADO's (catalogue, bulk copy); null while
  // closed.
  Session* session() const { return session_.get(); }

 private:
  long cursor_location_ = kAdUseServer;
  std::string connection_string_;
  std::unique_ptr<Session> session_;
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_CONNECTION_H_
