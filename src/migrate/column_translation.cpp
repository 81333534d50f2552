#include "migrate/column_translation.h"

#include "base/ascii_case.h"

namespace migrate {

bool IsSelectedTable(const std::string& name) {
  const std::string upper = base::ToUpperAscii(name);
  return upper.rfind("TBL", 0) == 0 || upper.rfind("W_", 0) == 0;
}

std::string ColumnDefinition(const std::string& mysql_table, const db::FieldInfo& column,
                             bool* auto_increment) {
  *auto_increment = false;
  const std::string& name = column.name;
  const std::string quoted = "`" + name + "`";
  const std::string size = std::to_string(column.defined_size);
  switch (column.type) {
    case db::ado_type::kVarWChar:
      // Leave periods are typed freely in the application; they get room beyond their design.
      if (mysql_table == "tblleave_header" && (name == "Period_From" || name == "Period_To"))
        return quoted + " varchar (100), ";
      return quoted + " varchar (" + size + "), ";
    case db::ado_type::kBoolean:
      return quoted + " tinyint (" + size + ") DEFAULT 0 NULL, ";
    case db::ado_type::kDouble:
      return quoted + " double DEFAULT 0 NULL, ";
    case db::ado_type::kInteger:
      // 90 = MayDefer | UnknownUpdatable | Fixed | MayBeNull: what an AutoNumber reports.
      if (column.attributes == 90) {
        *auto_increment = true;
        return quoted + " int NOT NULL AUTO_INCREMENT, INDEX(" + name + "), ";
      }
      return quoted + " int DEFAULT 0 NULL, ";
    case db::ado_type::kLongVarWChar:
      return quoted + " longtext, ";
    case db::ado_type::kWChar:
      if (mysql_table == "tblschedule_intelligent" &&
          (name == "Schedule_Type" || name == "Schedule_Code" || name == "Sequence_No"))
        return quoted + " varchar (100), ";
      return quoted + " varchar (" + size + "), ";
    case db::ado_type::kDate:
      return quoted + " datetime, ";
    default:
      return "";
  }
}

}  // namespace migrate
