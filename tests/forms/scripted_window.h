// A main window without Qt for the tests of its handlers: the six fields with their start
// values, a recording screen and a view that records what the handlers ask of it.
#ifndef MDBTOMYSQL_TESTS_APP_SCRIPTED_WINDOW_H_
#define MDBTOMYSQL_TESTS_APP_SCRIPTED_WINDOW_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "db/connection_strings.h"
#include "filedialog/file_chooser.h"
#include "forms/frm_convert_to_mysql.h"
#include "forms/start_values.h"
#include "input/memory_field.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace forms {

class ScriptedView : public MainWindowView {
 public:
  void SetEnabled(Button button, bool enabled) override { enabled_[button] = enabled; }
  void ShowPasswordPrompt(std::string& migrate_password_success) override {
    ++prompts;
    if (on_prompt) on_prompt(migrate_password_success);
  }
  void EndProgram() override { ++ends; }
  filedialog::FileChooser* OpenFileChooser() override { return chooser; }

  bool Enabled(Button button) const {
    const auto it = enabled_.find(button);
    return it != enabled_.end() && it->second;
  }
  bool BothEnabled() const {
    return Enabled(Button::kConfirm) && Enabled(Button::kCreateMySqlConnection);
  }
  bool BothDisabled() const {
    return !Enabled(Button::kConfirm) && !Enabled(Button::kCreateMySqlConnection);
  }

  int prompts = 0;
  int ends = 0;
  std::function<void(std::string&)> on_prompt;
  filedialog::FileChooser* chooser = nullptr;

 private:
  std::map<Button, bool> enabled_;
};

// A connection as root to a test server (the run's first, unless another port is given), for
// setting up and looking at databases.
class TestServerAdmin {
 public:
  explicit TestServerAdmin(int port = testenv::TestServer()->port) {
    connection_.Open(
        db::MySqlConnectionString({"127.0.0.1", std::to_string(port), "", "root", ""}));
  }
  void FreshDatabase(const std::string& name) {
    connection_.Execute("DROP DATABASE IF EXISTS " + name);
    connection_.Execute("CREATE DATABASE " + name + " CHARACTER SET utf8mb4");
  }
  long TableCount(const std::string& name) {
    return std::stol(Value("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" +
                           name + "'"));
  }
  // "table=creation time" of every table of database `name`, by name: a table dropped and made
  // again shows a later time.
  std::string CreationTimes(const std::string& name) {
    return Value(
        "SELECT GROUP_CONCAT(table_name, '=', create_time ORDER BY table_name) FROM "
        "information_schema.tables WHERE table_schema = '" +
        name + "'");
  }
  // The first column of the first row of `query`, as text.
  std::string Value(const std::string& query) {
    auto rows = connection_.Execute(query);
    return rows->Fields().Item(0).GetValue().ToString();
  }
  db::Connection& connection() { return connection_; }

 private:
  db::Connection connection_;
};

// A main window with its start values.
struct ScriptedWindow {
  input::MemoryField source{"txtSource_Path_MDB", StartValues::kSourcePath};
  input::MemoryField server{"txtTCP_IP_Server", StartValues::kServer};
  input::MemoryField port{"txtPort", StartValues::kPort};
  input::MemoryField database{"txtDatabase", StartValues::kDatabase};
  input::MemoryField user{"txtUser", StartValues::kUser};
  input::MemoryField password{"txtPassword", StartValues::kPassword};
  ui::RecordingScreen screen;
  ScriptedView view;
  frmConvert_To_MySQL form{{source, server, port, database, user, password}, screen, view};

  // Points the connection fields at the test server and database `db_name`.
  void PointAtTestServer(const std::string& db_name) {
    server.SetText("127.0.0.1");
    port.SetText(std::to_string(testenv::TestServer()->port));
    database.SetText(db_name);
  }
  // "title: text" of each message shown so far.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : screen.messages()) texts.push_back(m.title + ": " + m.text);
    return texts;
  }
};

}  // namespace forms

#endif  // MDBTOMYSQL_TESTS_APP_SCRIPTED_WINDOW_H_
