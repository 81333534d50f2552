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
//   Jet column        Type  DefinedSize       Attributes (nullable / Required)
//   Text              202   characters        102 / 70
//   Text, fixed       130   characters        118 / 86
//   Memo, Hyperlink   203   536870910         230 / 198
//   Yes/No            11    2                 86 (Jet stores no Null for Yes/No)
//   Byte, Integer     17, 2 1, 2              118 / 86
//   Long              3     4                 118 / 86; AutoNumber exactly 90
//   Single, Double    4, 5  4, 8              118 / 86
//   Currency, Date    6, 7  8                 118 / 86
//   Decimal           131   19 (+ precision, scale)   118 / 86
//   Replication ID    72    16                118 / 86; AutoNumber 90
//   Binary            204   bytes (fixed: 128)        102 / 70 (fixed: 118 / 86)
//   OLE Object        205   1073741823        230 / 198
//
// The bits: MayDefer and MayBeNull always; Fixed for fixed-length types; Long for Memo and OLE;
// an AutoNumber is UnknownUpdatable and not IsNullable; any other column is Updatable, and
// IsNullable unless Required. So no column but an AutoNumber can report 90, the value the
// migration takes for AUTO_INCREMENT.
FieldInfo DescribeJetColumn(const jet::Column& column, bool required);

// The engine's value as the provider hands it out. Byte/Integer/Long become Integer, Single the
// float's exact value as a Double, dates calendar fields to the millisecond, a GUID its "{...}"
// text. Raises db::Error (kProviderError) for a date outside Jet's range, naming `column`.
Value ConvertJetValue(const jet::Value& value, const jet::Column& column);

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_FIELD_H_
