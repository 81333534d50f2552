#ifndef MDBTOMYSQL_DB_JET_FIELD_H_
#define MDBTOMYSQL_DB_JET_FIELD_H_

#include "db/field.h"
#include "db/value.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace db {

// Field.Type, DefinedSize and Attributes of one Jet column as the Jet OLE DB provider reports
// them for `SELECT *`. `required` is the column's Required property (NOT NULL).
//
// Attributes: MayDefer and MayBeNull always; Fixed for fixed-length types; Long for Memo and OLE;
// an AutoNumber column is UnknownUpdatable and not IsNullable (a Long one gives exactly 90, the
// value the migration takes for AUTO_INCREMENT); any other column is Updatable, and IsNullable
// unless it is Required or Yes/No (Jet stores no Null for Yes/No). So no column other than an
// AutoNumber can ever report 90.
FieldInfo DescribeJetColumn(const jet::Column& column, bool required);

// The engine's value as the provider hands it out. Byte/Integer/Long become Integer, Single the
// float's exact value as a Double, dates calendar fields to the millisecond, a GUID its "{...}"
// text. Raises db::Error (kProviderError) for a date outside Jet's range, naming `column`.
Value ConvertJetValue(const jet::Value& value, const jet::Column& column);

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_FIELD_H_
