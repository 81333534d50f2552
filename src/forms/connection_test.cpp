#include "forms/frm_convert_to_mysql.h"

#include <exception>
#include <string>
#include <utility>

#include "base/error.h"
#include "base/trim.h"
#include "db/connection_strings.h"

namespace forms {
namespace {

constexpr const char* kTestResult = "Test Result";

// The driver manager's answers when the MySQL driver is not installed: the name is not
// registered at all, or it is registered but its library is gone ("Can't open lib 'x' : file not
// found", SQLSTATE 01000, from unixODBC).
bool DriverMissing(const std::string& description) {
  if (description.find("Data source name not found and no default driver specified") !=
      std::string::npos) {
    return true;
  }
  const size_t open_lib = description.find("Can't open lib '");
  return open_lib != std::string::npos &&
         description.find("' : file not found", open_lib) != std::string::npos;
}

}  // namespace

void frmConvert_To_MySQL::cmdTest_Click() {
  screen_.SetPointer(ui::Pointer::kHourglass);
  TestConnection("YES");
  screen_.SetPointer(ui::Pointer::kArrow);
}

std::string frmConvert_To_MySQL::TestConnection(const std::string& PromptMessage) {
  const bool prompt = PromptMessage == "YES";
  try {
    EnableWorkButtons(false);
    if (prompt) {
      const std::pair<input::TextField*, const char*> required[] = {
          {&txtTCP_IP_Server, "TCP/IP Server is required."},
          {&txtPort, "Port is required."},
          {&txtDatabase, "Database is required."},
          {&txtUser, "User is required."},
      };
      for (const auto& [field, message] : required) {
        if (base::TrimSpaces(field->Text()).empty()) {
          Say(message, "Required");
          field->SetFocus();
          return {};
        }
      }
    }
    // A connection of its own, closed again when it goes: the window's session is not touched.
    db::Connection test;
    test.SetCursorLocation(db::kAdUseClient);
    test.Open(db::MySqlConnectionString(Settings()), "", "", db::kAdConnectUnspecified);
    if (prompt) {
      Say("Connection successful", kTestResult);
      EnableWorkButtons(true);
    }
    return "SUCCESS";
  } catch (const std::exception& e) {
    EnableWorkButtons(false);
    if (prompt) {
      const std::string description = base::DescriptionOf(e);
      Say(DriverMissing(description) ? "Please intall MySQL_Connector_ODBC" : description,
          kTestResult);
    }
    return "FAIL";
  }
}

}  // namespace forms
