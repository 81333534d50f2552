#include "db/odbc/remote_table.h"

#include <optional>

#include "base/utf16.h"
#include "db/error.h"
#include "db/mysql_quoting.h"
#include "db/odbc/handle.h"

namespace db::odbc {
namespace {

// The engine's "could not find the object" error number.
constexpr long kObjectNotFound = 3011;

SQLWCHAR* Wide(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }

std::optional<std::string> Text(const Handle& stmt, SQLUSMALLINT column) {
  char16_t buffer[512];
  SQLLEN indicator = 0;
  Check(SQLGetData(stmt.get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator), stmt);
  if (indicator == SQL_NULL_DATA) return std::nullopt;
  const size_t units = indicator == SQL_NO_TOTAL ? 0 : static_cast<size_t>(indicator) / 2;
  return base::Utf16ToUtf8(std::u16string(buffer, std::min(units, sizeof buffer / 2 - 1)));
}

std::optional<long> Number(const Handle& stmt, SQLUSMALLINT column) {
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  Check(SQLGetData(stmt.get(), column, SQL_C_SLONG, &value, 0, &indicator), stmt);
  if (indicator == SQL_NULL_DATA) return std::nullopt;
  return value;
}

}  // namespace

RemoteTable DescribeRemoteTable(const std::string& connection_string,
                                     const std::string& table) {
  Handle dbc(SQL_HANDLE_DBC, Environment());
  std::u16string in = base::Utf8ToUtf16(connection_string);
  Check(SQLDriverConnectW(dbc.get(), nullptr, Wide(in), SQLSMALLINT(in.size()), nullptr, 0,
                          nullptr, SQL_DRIVER_NOPROMPT),
        dbc);
  struct Disconnect {
    SQLHDBC dbc;
    ~Disconnect() { SQLDisconnect(dbc); }
  } disconnect{dbc.get()};

  RemoteTable remote;
  std::u16string name = base::Utf8ToUtf16(table);
  {
    Handle stmt(SQL_HANDLE_STMT, dbc.get());
    Check(SQLColumnsW(stmt.get(), nullptr, 0, nullptr, 0, Wide(name), SQLSMALLINT(name.size()),
                      nullptr, 0),
          stmt);
    while (true) {
      const SQLRETURN rc = SQLFetch(stmt.get());
      if (rc == SQL_NO_DATA) break;
      Check(rc, stmt);
      // A pattern match may bring tables whose names differ only in case or by a wildcard.
      if (Text(stmt, 3).value_or("") != table) continue;
      RemoteColumn column;
      column.name = Text(stmt, 4).value_or("");
      column.sql_type = static_cast<int16_t>(Number(stmt, 5).value_or(0));
      column.size = static_cast<uint32_t>(std::max(0L, Number(stmt, 7).value_or(0)));
      column.digits = static_cast<int16_t>(Number(stmt, 9).value_or(0));
      remote.columns.push_back(column);
    }
  }
  if (remote.columns.empty()) {
    throw Error(kObjectNotFound, "The ODBC source has no table '" + table + "'.");
  }
  {
    // Auto-increment and unsigned are attributes of a result's columns, not of SQLColumns. The
    // name is back-quoted for MySQL, which is what the links point to.
    Handle stmt(SQL_HANDLE_STMT, dbc.get());
    std::u16string query = base::Utf8ToUtf16("SELECT * FROM " + QuoteMySqlName(table) + " WHERE 1=0");
    if (SQL_SUCCEEDED(SQLExecDirectW(stmt.get(), Wide(query), SQLINTEGER(query.size())))) {
      SQLSMALLINT count = 0;
      SQLNumResultCols(stmt.get(), &count);
      for (SQLSMALLINT c = 1; c <= count && size_t(c) <= remote.columns.size(); ++c) {
        SQLLEN automatic = SQL_FALSE, is_unsigned = SQL_FALSE;
        SQLColAttributeW(stmt.get(), c, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr,
                         &automatic);
        SQLColAttributeW(stmt.get(), c, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &is_unsigned);
        remote.columns[c - 1].auto_increment = automatic == SQL_TRUE;
        remote.columns[c - 1].is_unsigned = is_unsigned == SQL_TRUE;
      }
    }
  }
  {
    Handle stmt(SQL_HANDLE_STMT, dbc.get());
    Check(SQLStatisticsW(stmt.get(), nullptr, 0, nullptr, 0, Wide(name), SQLSMALLINT(name.size()),
                         SQL_INDEX_ALL, SQL_QUICK),
          stmt);
    while (true) {
      const SQLRETURN rc = SQLFetch(stmt.get());
      if (rc == SQL_NO_DATA) break;
      Check(rc, stmt);
      if (Number(stmt, 7).value_or(SQL_TABLE_STAT) == SQL_TABLE_STAT) continue;
      const std::string index_name = Text(stmt, 6).value_or("");
      const std::string column = Text(stmt, 9).value_or("");
      if (index_name.empty() || column.empty()) continue;
      if (remote.indexes.empty() || remote.indexes.back().name != index_name) {
        RemoteIndex index;
        index.name = index_name;
        index.unique = Number(stmt, 4).value_or(1) == SQL_FALSE;
        remote.indexes.push_back(index);
      }
      remote.indexes.back().columns.push_back(column);
    }
  }
  return remote;
}

}  // namespace db::odbc
