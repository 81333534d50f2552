// The main window's commands and field handlers, driven without a window: memory fields, a
// recording screen and a scripted view.
#include "forms/frm_convert_to_mysql.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/connection_strings.h"
#include "db/source_session.h"
#include "filedialog/file_chooser.h"
#include "input/field_focus.h"
#include "input/memory_field.h"
#include "base/utf16.h"
#include "scripted_window.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace forms {
namespace {

using Button = MainWindowView::Button;
using ui::Pointer;

using Window = ScriptedWindow;
using Admin = TestServerAdmin;

void ExpectOneMessage(const Window& w, const std::string& title, const std::string& text) {
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.messages()[0].title, title);
  EXPECT_EQ(w.screen.messages()[0].text, text);
  EXPECT_EQ(w.screen.messages()[0].icon, ui::Icon::kInformation);
}

TEST(MigrationCommand, ChecksTheSourcePathBeforeAnyConnection) {
  const std::string folder = testenv::ScratchDir("confirm_checks");
  struct Case {
    std::string path;
    std::string title;
    std::string text;
  };
  const std::string missing = "The source path (.mdb) does not exist.";
  const std::string unusable =
      "Unable to connect to the source database (.mdb). Please make sure that the selected file "
      "is the correct database.";
  const std::string sample = testenv::FixturePath("velda_sample.mdb");
  const Case cases[] = {
      {"", "Required", "Source Path (.mdb) is required."},
      {"    ", "Required", "Source Path (.mdb) is required."},
      {folder, "File Not Exist", missing},
      {folder + "/absent.mdb", "File Not Exist", missing},
      // The spaces are part of the name: no such file.
      {" " + sample, "File Not Exist", missing},
      {testenv::FixturePath("not_a_database.mdb"), "Connection Fail", unusable},
      {testenv::FixturePath("other_password.mdb"), "Connection Fail", unusable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("path \"" + c.path + "\"");
    Window w;
    w.source.SetText(c.path);
    w.form.Confirm_Click();
    ExpectOneMessage(w, c.title, c.text);
    EXPECT_EQ(w.source.focus_requests(), 1);
    EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
    EXPECT_EQ(w.screen.pointer_history().front(), Pointer::kHourglass);
    EXPECT_EQ(w.view.prompts, 0);
    EXPECT_EQ(w.form.MySqlSession().State(), db::kAdStateClosed);
    EXPECT_EQ(w.form.MigratePasswordSuccess(), "");
  }
}

TEST(MigrationCommand, RefusedMySqlConnectionShowsTheDriversOwnText) {
  MDB_REQUIRE_SERVER();
  Window w;
  w.source.SetText(testenv::FixturePath("velda_sample.mdb"));
  w.PointAtTestServer("win_refused");
  w.user.SetText("nobody_here");
  w.form.Confirm_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  const auto& m = w.screen.messages()[0];
  EXPECT_EQ(m.title, "Error");
  EXPECT_NE(m.text.find("Access denied for user 'nobody_here'"), std::string::npos) << m.text;
  EXPECT_EQ(w.view.prompts, 0);
  EXPECT_EQ(w.source.focus_requests(), 0);
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
  // The source session was opened before MySQL was tried, and stays open.
  EXPECT_EQ(db::SourceSession().State(), db::kAdStateOpen);
}

TEST(MigrationCommand, PromptComesAfterBothSessionsAndCancelEndsSilently) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("win_cancel");
  Window w;
  w.source.SetText(testenv::FixturePath("velda_sample.mdb"));
  w.PointAtTestServer("win_cancel");
  w.form.SetMigratePasswordSuccess("YES");  // left over from an earlier run
  int source_state = -1, mysql_state = -1;
  std::string value_at_prompt;
  Pointer pointer_at_prompt = Pointer::kHourglass;
  w.view.on_prompt = [&](std::string& answer) {
    source_state = db::SourceSession().State();
    mysql_state = w.form.MySqlSession().State();
    value_at_prompt = answer;
    pointer_at_prompt = w.screen.pointer();
  };
  w.form.Confirm_Click();
  EXPECT_EQ(w.view.prompts, 1);
  EXPECT_EQ(source_state, db::kAdStateOpen);
  EXPECT_EQ(mysql_state, db::kAdStateOpen);
  EXPECT_EQ(value_at_prompt, "NO");
  EXPECT_EQ(pointer_at_prompt, Pointer::kArrow);
  EXPECT_TRUE(w.screen.messages().empty()) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
  EXPECT_EQ(w.form.MigratePasswordSuccess(), "NO");
  EXPECT_EQ(w.form.LastMigrationResult(), "");
  EXPECT_EQ(db::SourceSession().State(), db::kAdStateOpen);
  EXPECT_EQ(w.form.MySqlSession().State(), db::kAdStateOpen);
  EXPECT_EQ(admin.TableCount("win_cancel"), 0);

  // A second run with the same settings goes through the session opened the first time; the
  // fields' outer spaces are no change (the session was opened with the trimmed settings).
  db::Session* first = w.form.MySqlSession().session();
  w.server.SetText("  " + w.server.Text() + " ");
  w.form.Confirm_Click();
  EXPECT_EQ(w.view.prompts, 2);
  EXPECT_TRUE(w.screen.messages().empty()) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.form.MySqlSession().session(), first);
}

TEST(MigrationCommand, MigratesAfterTheRightAnswerAndSaysSo) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("win_migrate");
  Window w;
  w.source.SetText(testenv::FixturePath("velda_sample.mdb"));
  w.PointAtTestServer("win_migrate");
  w.view.on_prompt = [](std::string& answer) { answer = "YES"; };
  w.form.Confirm_Click();
  ExpectOneMessage(w, "Successfully Migrated",
                   "Your database has been successfully migrated to MySQL");
  EXPECT_EQ(w.form.LastMigrationResult(), "OK");
  ASSERT_NE(w.form.LastMigration(), nullptr);
  EXPECT_FALSE(w.form.LastMigration()->MigratedTables().empty());
  EXPECT_EQ(admin.TableCount("win_migrate"),
            static_cast<long>(w.form.LastMigration()->MigratedTables().size()));
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
}

TEST(MigrationCommand, FailureShowsOnlyTheEnginesMessageWithItsDetails) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("win_fail");
  Window w;
  w.source.SetText(testenv::FixturePath("unsupported_with_rows.mdb"));
  w.PointAtTestServer("win_fail");
  w.view.on_prompt = [](std::string& answer) { answer = "YES"; };
  w.form.Confirm_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  const auto& m = w.screen.messages()[0];
  EXPECT_EQ(m.text, "Invalid table column in VELDA.mdb");
  EXPECT_NE(m.details.find("Table: tblRate"), std::string::npos) << m.details;
  EXPECT_EQ(w.form.LastMigrationResult(), "FAIL");
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
}

TEST(ConnectionTest, GatesTheTwoWorkButtons) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("win_gate");
  Window w;
  w.PointAtTestServer("win_gate");
  w.form.cmdTest_Click();
  ExpectOneMessage(w, "Test Result", "Connection successful");
  EXPECT_TRUE(w.view.BothEnabled());
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
  // The test leaves the window's own session alone.
  EXPECT_EQ(w.form.MySqlSession().State(), db::kAdStateClosed);

  // Tabbing through a field, or typing and taking it back, changes nothing.
  w.form.txtUser_GotFocus();
  w.form.txtUser_LostFocus();
  w.form.txtPort_GotFocus();
  w.port.SetText(w.port.Text() + "9");
  w.port.SetText(w.port.Text().substr(0, w.port.Text().size() - 1));
  w.form.txtPort_LostFocus();
  EXPECT_TRUE(w.view.BothEnabled());

  // A changed text disables both as the field is left.
  w.form.txtPassword_GotFocus();
  w.password.SetText("secret");
  w.form.txtPassword_LostFocus();
  EXPECT_TRUE(w.view.BothDisabled());

  // A failing test after a good one leaves them disabled and shows the driver's text.
  w.password.SetText("");
  w.form.cmdTest_Click();
  EXPECT_TRUE(w.view.BothEnabled());
  w.screen.Clear();
  w.database.SetText("win_no_such_database");
  EXPECT_EQ(w.form.TestConnection("YES"), "FAIL");
  ASSERT_EQ(w.screen.messages().size(), 1u);
  EXPECT_EQ(w.screen.messages()[0].title, "Test Result");
  EXPECT_NE(w.screen.messages()[0].text.find("Unknown database 'win_no_such_database'"),
            std::string::npos)
      << w.screen.messages()[0].text;
  EXPECT_TRUE(w.view.BothDisabled());

  // Anything but "YES" opens silently and never enables.
  w.screen.Clear();
  w.database.SetText("win_gate");
  EXPECT_EQ(w.form.TestConnection("yes"), "SUCCESS");
  EXPECT_TRUE(w.screen.messages().empty());
  EXPECT_TRUE(w.view.BothDisabled());
}

TEST(ConnectionTest, RequiredFieldsInOrderWithoutConnecting) {
  Window w;
  w.view.SetEnabled(Button::kConfirm, true);
  w.view.SetEnabled(Button::kCreateMySqlConnection, true);
  for (input::MemoryField* f : {&w.server, &w.port, &w.database, &w.user}) f->SetText("");
  w.server.SetText("   ");
  EXPECT_EQ(w.form.TestConnection("YES"), "");
  ExpectOneMessage(w, "Required", "TCP/IP Server is required.");
  EXPECT_EQ(w.server.focus_requests(), 1);
  EXPECT_TRUE(w.view.BothDisabled());

  const std::pair<input::MemoryField*, std::string> next[] = {
      {&w.port, "Port is required."},
      {&w.database, "Database is required."},
      {&w.user, "User is required."},
  };
  w.server.SetText("localhost");
  for (const auto& [field, text] : next) {
    w.screen.Clear();
    w.form.cmdTest_Click();
    ExpectOneMessage(w, "Required", text);
    EXPECT_EQ(field->focus_requests(), 1);
    field->SetText("x");
  }
}

// The driver manager reads its driver list once per process, so each missing-driver case runs
// in a fresh copy of this program with an ODBC folder of its own; the copy runs the test below.
constexpr const char* kChildFolder = "MDB_APP_TESTS_ODBC_FOLDER";

TEST(ConnectionTest, MissingDriverInAFreshProcess) {
  if (std::getenv(kChildFolder) == nullptr) GTEST_SKIP() << "run by the test after it";
  Window w;
  w.form.cmdTest_Click();
  ExpectOneMessage(w, "Test Result", "Please intall MySQL_Connector_ODBC");
  EXPECT_TRUE(w.view.BothDisabled());
}

TEST(ConnectionTest, EitherDriverMissingAnswerAsksToInstallTheDriver) {
  const std::string registered_but_gone =
      "[MySQL ODBC 5.3 UNICODE Driver]\nDriver=/nonexistent/libmyodbc5w.so\n";
  int n = 0;
  for (const std::string& ini : {std::string(), registered_but_gone}) {
    SCOPED_TRACE(ini.empty() ? "driver not registered" : "driver library gone");
    const std::string folder = testenv::ScratchDir("odbc_missing_" + std::to_string(++n));
    std::ofstream(folder + "/odbcinst.ini") << ini;
    std::ofstream(folder + "/odbc.ini") << "";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = std::string(kChildFolder) + "=1 ODBCSYSINI='" + folder +
                                "' ODBCINI='" + folder + "/odbc.ini' '" + self +
                                "' --gtest_filter=ConnectionTest.MissingDriverInAFreshProcess "
                                "2>&1";
    FILE* child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, child) != nullptr) output += buffer;
    EXPECT_EQ(pclose(child), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
  }
}

TEST(ResetAndFields, ResetWritesItsOwnValuesAndDisables) {
  Window w;
  w.source.SetText("C:\\data\\VELDA.mdb");
  w.server.SetText("db.example");
  w.port.SetText("");
  w.user.SetText("admin");
  w.password.SetText("pw");
  w.view.SetEnabled(Button::kConfirm, true);
  w.view.SetEnabled(Button::kCreateMySqlConnection, true);
  w.form.cmdReset_Click();
  EXPECT_EQ(w.server.Text(), "localhost");
  EXPECT_EQ(w.database.Text(), "ORV_MYSQL");
  EXPECT_EQ(w.user.Text(), "root");
  EXPECT_EQ(w.password.Text(), "");
  EXPECT_EQ(w.port.Text(), "3306");
  EXPECT_EQ(w.source.Text(), "C:\\data\\VELDA.mdb");
  EXPECT_TRUE(w.view.BothDisabled());
  ExpectOneMessage(w, "Reset", "Reset successfully.");
}

TEST(ResetAndFields, PortIsNormalisedOnLeaving) {
  Window w;
  w.view.SetEnabled(Button::kConfirm, true);
  w.view.SetEnabled(Button::kCreateMySqlConnection, true);
  w.form.txtPort_GotFocus();
  EXPECT_EQ(w.port.back_color(), input::kFocusColor);
  w.port.SetText("");
  w.form.txtPort_LostFocus();
  EXPECT_EQ(w.port.Text(), "0");
  EXPECT_EQ(w.port.back_color(), input::kNormalColor);
  EXPECT_TRUE(w.view.BothDisabled());

  w.form.txtPort_GotFocus();
  w.port.SetText("003307");
  w.form.txtPort_LostFocus();
  EXPECT_EQ(w.port.Text(), "3307");

  w.form.txtPort_GotFocus();
  w.port.SetText("33a");
  w.form.txtPort_LostFocus();
  EXPECT_EQ(w.port.Text(), "33a");
  EXPECT_EQ(w.port.focus_requests(), 1);
  EXPECT_TRUE(w.screen.messages().empty());
}

TEST(ResetAndFields, KeyFiltersOfTheConnectionFields) {
  Window w;
  input::KeyCode key = '\'';
  w.form.txtUser_KeyPress(key);
  EXPECT_EQ(key, 0);
  key = 'a';
  w.form.txtPort_KeyPress(key);
  EXPECT_EQ(key, 0);
  key = input::kKeyCtrlV;
  w.form.txtPort_KeyPress(key);
  EXPECT_EQ(key, 0);
  key = '7';
  w.form.txtPort_KeyPress(key);
  EXPECT_EQ(key, '7');
  key = input::kKeyEscape;
  w.form.txtPassword_KeyPress(key);
  EXPECT_EQ(key, input::kKeyUndo);
}

TEST(ExitCommand, EndsWithoutAsking) {
  Window w;
  w.form.cmdExit_Click();
  EXPECT_EQ(w.view.ends, 1);
  EXPECT_TRUE(w.screen.messages().empty());
}

// A file dialog that plays back a list of answers: a path to choose, or nullopt to cancel.
class ScriptedChooser : public filedialog::FileChooser {
 public:
  filedialog::PlatformVersion Version() const override { return {true, 2, 10}; }
  filedialog::ChooserResult Show(filedialog::DialogRecord& record, bool is_save) override {
    filters.push_back(record.filter);
    saves += is_save ? 1 : 0;
    if (fail) return {false, 0xFFFF};
    const std::optional<std::string> answer = answers.at(shown++);
    if (!answer) return {false, 0};
    const std::u16string path = base::Utf8ToUtf16(*answer);
    record.file.assign(static_cast<size_t>(record.file_size), u'\0');
    std::copy(path.begin(), path.end(), record.file.begin());
    record.file_offset = static_cast<uint16_t>(path.rfind(u'/') + 1);
    return {true, 0};
  }

  std::vector<std::optional<std::string>> answers;
  std::vector<std::u16string> filters;
  size_t shown = 0;
  int saves = 0;
  bool fail = false;
};

TEST(BrowseCommand, TakesTheDialogsFileNameEvenOnCancel) {
  Window w;
  ScriptedChooser chooser;
  chooser.answers = {std::nullopt, "/data/VELDA.mdb", std::nullopt};
  w.view.chooser = &chooser;

  // A cancel before any choice empties the field.
  w.source.SetText("/typed/by/hand.mdb");
  w.form.cmdSourcePath_Click();
  EXPECT_EQ(w.source.Text(), "");
  w.form.cmdSourcePath_Click();
  EXPECT_EQ(w.source.Text(), "/data/VELDA.mdb");
  // A later cancel gives the file chosen last time.
  w.source.SetText("/typed/again.mdb");
  w.form.cmdSourcePath_Click();
  EXPECT_EQ(w.source.Text(), "/data/VELDA.mdb");
  EXPECT_EQ(chooser.filters.at(0), std::u16string(u"MDB Files (*.mdb)\0*.mdb\0", 24));
  EXPECT_EQ(chooser.saves, 0);

  // A dialog that fails ends the command silently and leaves the field alone.
  chooser.fail = true;
  w.source.SetText("/kept.mdb");
  w.form.cmdSourcePath_Click();
  EXPECT_EQ(w.source.Text(), "/kept.mdb");
  EXPECT_TRUE(w.screen.messages().empty());
}

// A field whose control is gone: every read throws, as the Qt adapter does.
class GoneField : public input::MemoryField {
 public:
  using MemoryField::MemoryField;
  std::string Text() const override { throw std::runtime_error("The field is gone."); }
};

TEST(CommandTraps, AnErrorIsShownUnderErrorAndGoesNoFurther) {
  GoneField source{"txtSource_Path_MDB"};
  GoneField server{"txtTCP_IP_Server"};
  input::MemoryField port{"txtPort", "3306"}, database{"txtDatabase", "x"}, user{"txtUser", "u"},
      password{"txtPassword"};
  ui::RecordingScreen screen;
  ScriptedView view;
  frmConvert_To_MySQL form({source, server, port, database, user, password}, screen, view);
  view.SetEnabled(Button::kConfirm, true);
  form.Confirm_Click();
  EXPECT_EQ(form.TestConnection("YES"), "FAIL");
  ASSERT_EQ(screen.messages().size(), 2u);
  EXPECT_EQ(screen.messages()[0].title, "Error");
  EXPECT_EQ(screen.messages()[0].text, "The field is gone.");
  EXPECT_EQ(screen.messages()[1].title, "Test Result");
  EXPECT_EQ(screen.messages()[1].text, "The field is gone.");
  EXPECT_EQ(screen.pointer(), Pointer::kArrow);
  EXPECT_TRUE(view.BothDisabled());
}

}  // namespace
}  // namespace forms
