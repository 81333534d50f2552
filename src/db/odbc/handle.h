#ifndef MDBTOMYSQL_DB_ODBC_HANDLE_H_
#define MDBTOMYSQL_DB_ODBC_HANDLE_H_

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <string>

namespace db::odbc {

// Owns one ODBC handle and frees it with its type on destruction.
class Handle {
 public:
  Handle(SQLSMALLINT type, SQLHANDLE parent);
  ~Handle();
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The process's one ODBC environment (ODBC 3 behaviour), made on first use.
SQLHENV Environment();

// The first diagnostic record of `handle`, as "[SQLSTATE] native: text" is not what the system
// shows; this gives the text alone, as the driver wrote it, plus its SQLSTATE and native code.
struct Diagnostic {
  std::string sqlstate;
  long native = 0;
  std::string text;
};
Diagnostic FirstDiagnostic(SQLSMALLINT type, SQLHANDLE handle);

// Raises db::Error(kProviderError, driver's text) when `rc` is not a success.
void Check(SQLRETURN rc, const Handle& handle);
void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle);

}  // namespace db::odbc

#endif  // MDBTOMYSQL_DB_ODBC_HANDLE_H_
