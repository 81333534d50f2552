#include "db/odbc/handle.h"

#include "db/error.h"
#include "base/utf16.h"

namespace db::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
  SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
  if (!SQL_SUCCEEDED(rc)) {
    handle_ = SQL_NULL_HANDLE;
    throw Error(kProviderError, "ODBC: could not allocate a handle");
  }
}

Handle::~Handle() {
  if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
}

SQLHENV Environment() {
  // Leaked on purpose: freeing it at exit would race with handles still owned by statics.
  static SQLHENV env = [] {
    SQLHENV h = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
      throw Error(kProviderError, "ODBC: the driver manager could not be started");
    SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return h;
  }();
  return env;
}

Diagnostic FirstDiagnostic(SQLSMALLINT type, SQLHANDLE handle) {
  Diagnostic d;
  SQLWCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  std::u16string text(1024, u'\0');
  SQLRETURN rc = SQLGetDiagRecW(type, handle, 1, state, &native,
                                reinterpret_cast<SQLWCHAR*>(text.data()),
                                SQLSMALLINT(text.size()), &length);
  if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
    text.assign(size_t(length) + 1, u'\0');
    rc = SQLGetDiagRecW(type, handle, 1, state, &native, reinterpret_cast<SQLWCHAR*>(text.data()),
                        SQLSMALLINT(text.size()), &length);
  }
  if (!SQL_SUCCEEDED(rc)) {
    d.text = "ODBC call failed without a diagnostic";
    return d;
  }
  // The driver counts a text beyond ASCII in bytes of UTF-8, more than the UTF-16 units it wrote:
  // the text ends at its terminating NUL.
  text.resize(std::min(size_t(length), text.size()));
  text.resize(std::min(text.size(), text.find(u'\0')));
  d.text = base::Utf16ToUtf8(text);
  std::u16string s(reinterpret_cast<const char16_t*>(state), 5);
  d.sqlstate = base::Utf16ToUtf8(s);
  d.native = native;
  return d;
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
  throw Error(kProviderError, FirstDiagnostic(type, handle).text);
}

void Check(SQLRETURN rc, const Handle& handle) { Check(rc, handle.type(), handle.get()); }

}  // namespace db::odbc
