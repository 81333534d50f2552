#ifndef MDBTOMYSQL_FORMS_START_VALUES_H_
#define MDBTOMYSQL_FORMS_START_VALUES_H_

namespace forms {

// The texts of the main window's fields when the program opens. Reset writes a set of its own,
// which differs in the database.
struct StartValues {
  static constexpr const char* kSourcePath = "";
  static constexpr const char* kServer = "localhost";
  static constexpr const char* kPort = "3306";
  static constexpr const char* kDatabase = "VELDA_MYSQL";
  static constexpr const char* kUser = "root";
  static constexpr const char* kPassword = "";
};

}  // namespace forms

#endif  // MDBTOMYSQL_FORMS_START_VALUES_H_
