#include "db/odbc/odbc_session.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <cstdio>

#include "db/error.h"
#include "db/field.h"
#include "db/odbc/handle.h"
#include "base/utf16.h"

namespace db::odbc {
namespace {

SQLWCHAR* Wide(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }

// What ADO reports for an ODBC column type.
int AdoType(SQLSMALLINT sql_type, bool is_unsigned) {
  switch (sql_type) {
    case SQL_BIT: return ado_type::kBoolean;
    case SQL_TINYINT: return is_unsigned ? ado_type::kUnsignedTinyInt : ado_type::kTinyInt;
    case SQL_SMALLINT: return ado_type::kSmallInt;
    case SQL_INTEGER: return ado_type::kInteger;
    case SQL_BIGINT: return is_unsigned ? ado_type::kUnsignedBigInt : ado_type::kBigInt;
    case SQL_REAL: return ado_type::kSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE: return ado_type::kDouble;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return ado_type::kNumeric;
    case SQL_TYPE_DATE: return ado_type::kDBDate;
    case SQL_TYPE_TIME: return ado_type::kDBTime;
    case SQL_TYPE_TIMESTAMP: return ado_type::kDBTimeStamp;
    case SQL_CHAR: return ado_type::kChar;
    case SQL_VARCHAR: return ado_type::kVarChar;
    case SQL_LONGVARCHAR: return ado_type::kLongVarChar;
    case SQL_WCHAR: return ado_type::kWChar;
    case SQL_WVARCHAR: return ado_type::kVarWChar;
    case SQL_WLONGVARCHAR: return ado_type::kLongVarWChar;
    case SQL_BINARY: return ado_type::kBinary;
    case SQL_VARBINARY: return ado_type::kVarBinary;
    case SQL_LONGVARBINARY: return ado_type::kLongVarBinary;
    case SQL_GUID: return ado_type::kGuid;
    default: return ado_type::kVarWChar;
  }
}

enum class Fetch { kBoolean, kInteger, kUnsigned, kDouble, kDecimal, kDate, kTime, kTimestamp, kText, kBytes };

Fetch FetchKind(SQLSMALLINT sql_type, bool is_unsigned) {
  switch (sql_type) {
    case SQL_BIT: return Fetch::kBoolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER: return Fetch::kInteger;
    case SQL_BIGINT: return is_unsigned ? Fetch::kUnsigned : Fetch::kInteger;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return Fetch::kDouble;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return Fetch::kDecimal;
    case SQL_TYPE_DATE: return Fetch::kDate;
    case SQL_TYPE_TIME: return Fetch::kTime;
    case SQL_TYPE_TIMESTAMP: return Fetch::kTimestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return Fetch::kBytes;
    default: return Fetch::kText;
  }
}

class OdbcCursor : public Cursor {
 public:
  explicit OdbcCursor(std::unique_ptr<Handle> stmt, SQLSMALLINT column_count)
      : stmt_(std::move(stmt)) {
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(column_count); ++c) {
      std::u16string name(256, u'\0');
      SQLSMALLINT name_length = 0, sql_type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      Check(SQLDescribeColW(stmt_->get(), c, Wide(name), SQLSMALLINT(name.size()), &name_length,
                            &sql_type, &size, &digits, &nullable),
            *stmt_);
      name.resize(std::min(size_t(name_length), name.size()));
      SQLLEN is_unsigned = SQL_FALSE;
      SQLColAttributeW(stmt_->get(), c, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &is_unsigned);
      FieldInfo info;
      info.name = base::Utf16ToUtf8(name);
      info.type = AdoType(sql_type, is_unsigned == SQL_TRUE);
      info.defined_size = long(size);
      info.precision = int(size);
      info.numeric_scale = digits;
      const Fetch fetch = FetchKind(sql_type, is_unsigned == SQL_TRUE);
      if (nullable != SQL_NO_NULLS) info.attributes |= ado_attr::kIsNullable | ado_attr::kMayBeNull;
      if (fetch == Fetch::kText || fetch == Fetch::kBytes) {
        if (sql_type == SQL_LONGVARCHAR || sql_type == SQL_WLONGVARCHAR ||
            sql_type == SQL_LONGVARBINARY)
          info.attributes |= ado_attr::kLong;
      } else {
        info.attributes |= ado_attr::kFixed;
      }
      columns_.push_back(info);
      fetch_.push_back(fetch);
    }
  }

  const std::vector<FieldInfo>& Columns() const override { return columns_; }

  bool Next(std::vector<Value>& row) override {
    SQLRETURN rc = SQLFetch(stmt_->get());
    if (rc == SQL_NO_DATA) return false;
    Check(rc, *stmt_);
    row.resize(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i) row[i] = Read(SQLUSMALLINT(i + 1), fetch_[i]);
    return true;
  }

 private:
  Value Read(SQLUSMALLINT column, Fetch fetch) {
    SQLHSTMT s = stmt_->get();
    SQLLEN indicator = 0;
    switch (fetch) {
      case Fetch::kBoolean:
      case Fetch::kInteger: {
        SQLBIGINT v = 0;
        Check(SQLGetData(s, column, SQL_C_SBIGINT, &v, 0, &indicator), *stmt_);
        if (indicator == SQL_NULL_DATA) return Value::Null();
        return fetch == Fetch::kBoolean ? Value::Boolean(v != 0) : Value::Integer(v);
      }
      case Fetch::kUnsigned: {
        SQLUBIGINT v = 0;
        Check(SQLGetData(s, column, SQL_C_UBIGINT, &v, 0, &indicator), *stmt_);
        if (indicator == SQL_NULL_DATA) return Value::Null();
        if (v > SQLUBIGINT(INT64_MAX)) return Value::Number(Decimal{std::to_string(v)});
        return Value::Integer(int64_t(v));
      }
      case Fetch::kDouble: {
        double v = 0;
        Check(SQLGetData(s, column, SQL_C_DOUBLE, &v, 0, &indicator), *stmt_);
        if (indicator == SQL_NULL_DATA) return Value::Null();
        return Value::Double(v);
      }
      case Fetch::kDate:
      case Fetch::kTime:
      case Fetch::kTimestamp: {
        SQL_TIMESTAMP_STRUCT ts{};
        Check(SQLGetData(s, column, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator), *stmt_);
        if (indicator == SQL_NULL_DATA) return Value::Null();
        DateTime t;
        if (fetch != Fetch::kTime) {
          t.year = ts.year;
          t.month = ts.month;
          t.day = ts.day;
        }
        t.hour = ts.hour;
        t.minute = ts.minute;
        t.second = ts.second;
        t.nanosecond = int(ts.fraction);
        return Value::Date(t);
      }
      case Fetch::kDecimal: {
        std::optional<std::string> text = ReadText(column);
        if (!text) return Value::Null();
        return Value::Number(Decimal{*text});
      }
      case Fetch::kText: {
        std::optional<std::string> text = ReadText(column);
        if (!text) return Value::Null();
        return Value::Text(std::move(*text));
      }
      case Fetch::kBytes: {
        Bytes out;
        unsigned char buffer[8192];
        for (;;) {
          SQLRETURN rc = SQLGetData(s, column, SQL_C_BINARY, buffer, sizeof buffer, &indicator);
          if (rc == SQL_NO_DATA) break;
          Check(rc, *stmt_);
          if (indicator == SQL_NULL_DATA) return Value::Null();
          size_t got = (indicator == SQL_NO_TOTAL || size_t(indicator) > sizeof buffer)
                           ? sizeof buffer
                           : size_t(indicator);
          out.insert(out.end(), buffer, buffer + got);
          if (rc == SQL_SUCCESS) break;
        }
        return Value::Binary(std::move(out));
      }
    }
    return Value::Null();
  }

  // Reads a text column in pieces as UTF-16; nullopt for NULL.
  std::optional<std::string> ReadText(SQLUSMALLINT column) {
    std::u16string all;
    char16_t buffer[4096];
    SQLLEN indicator = 0;
    for (;;) {
      SQLRETURN rc =
          SQLGetData(stmt_->get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
      if (rc == SQL_NO_DATA) break;
      Check(rc, *stmt_);
      if (indicator == SQL_NULL_DATA) return std::nullopt;
      // Each piece is NUL-terminated; a full piece holds one unit less than the buffer.
      const size_t room = sizeof buffer / sizeof buffer[0] - 1;
      size_t units = (indicator == SQL_NO_TOTAL || size_t(indicator) / 2 > room)
                         ? room
                         : size_t(indicator) / 2;
      all.append(buffer, units);
      if (rc == SQL_SUCCESS) break;
    }
    return base::Utf16ToUtf8(all);
  }

  std::unique_ptr<Handle> stmt_;
  std::vector<FieldInfo> columns_;
  std::vector<Fetch> fetch_;
};

class OdbcSession : public Session {
 public:
  explicit OdbcSession(const std::string& connection_string)
      : dbc_(SQL_HANDLE_DBC, Environment()) {
    std::u16string in = base::Utf8ToUtf16(connection_string);
    std::u16string out(1024, u'\0');
    SQLSMALLINT out_length = 0;
    Check(SQLDriverConnectW(dbc_.get(), nullptr, Wide(in), SQLSMALLINT(in.size()), Wide(out),
                            SQLSMALLINT(out.size()), &out_length, SQL_DRIVER_NOPROMPT),
          dbc_);
  }

  ~OdbcSession() override { SQLDisconnect(dbc_.get()); }

  std::unique_ptr<Cursor> Execute(const std::string& text) override {
    auto stmt = std::make_unique<Handle>(SQL_HANDLE_STMT, dbc_.get());
    std::u16string wide = base::Utf8ToUtf16(text);
    SQLRETURN rc = SQLExecDirectW(stmt->get(), Wide(wide), SQLINTEGER(wide.size()));
    Check(rc, *stmt);
    SQLSMALLINT columns = 0;
    Check(SQLNumResultCols(stmt->get(), &columns), *stmt);
    if (columns <= 0) return nullptr;
    return std::make_unique<OdbcCursor>(std::move(stmt), columns);
  }

 private:
  Handle dbc_;
};

}  // namespace

std::unique_ptr<Session> OpenDriverSession(const std::string& connection_string) {
  return std::make_unique<OdbcSession>(connection_string);
}

}  // namespace db::odbc
