// The long commands through the Qt main window: they run beside the windows, which stay alive
// (repainted, a timer firing, the hourglass up, the main window deaf to clicks), with a progress
// window that names the step, the engine's own boxes on top of it, and the prompt gone before
// the first statement. Against the test MariaDB; the big migration needs ../shared.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_command_thread.h"
#include "app/qt_main_window.h"
#include "app/qt_password_prompt.h"
#include "app/qt_progress_window.h"
#include "app/qt_ui_thread.h"
#include "db/connection_strings.h"
#include "db/providers.h"
#include "input/date_time_stamp.h"
#include "qt_test_support.h"
#include "support/test_env.h"

namespace app {
namespace {

using qt_test::Child;
using qt_test::Person;
using qt_test::Poll;

void FreshDatabase(const std::string& name, const std::vector<std::string>& tables = {}) {
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  admin.Execute("DROP DATABASE IF EXISTS " + name);
  admin.Execute("CREATE DATABASE " + name + " CHARACTER SET utf8mb4");
  for (const std::string& table : tables)
    admin.Execute("CREATE TABLE " + name + "." + table + " (id INT)");
}

// A MySQL session that runs a check before each statement and passes the statement on.
class WatchedSession : public db::Session {
 public:
  WatchedSession(std::unique_ptr<db::Session> inner, std::function<void()> before)
      : inner_(std::move(inner)), before_(std::move(before)) {}
  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    before_();
    return inner_->Execute(text);
  }
  std::vector<db::CatalogTable> ReadCatalog() override { return inner_->ReadCatalog(); }

 private:
  std::unique_ptr<db::Session> inner_;
  std::function<void()> before_;
};

// What the progress window showed, one line per change: "step | item | rows | value/maximum".
struct ProgressLog {
  ProgressLog() {
    QtScreen::SetProgressHook([this](const QtProgressWindow& w) {
      const auto* bar = w.findChild<QProgressBar*>("barProgress");
      const std::string line = w.findChild<QLabel*>("lblStep")->text().toStdString() + " | " +
                               w.findChild<QLabel*>("lblItem")->text().toStdString() + " | " +
                               w.findChild<QLabel*>("lblRows")->text().toStdString() + " | " +
                               std::to_string(bar->value()) + "/" + std::to_string(bar->maximum());
      if (lines.empty() || lines.back() != line) lines.push_back(line);
      visible_each_time = visible_each_time && w.isVisible() && w.isModal();
    });
  }
  ~ProgressLog() { QtScreen::SetProgressHook({}); }
  std::vector<std::string> lines;
  bool visible_each_time = true;
};

class LongCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureApplication();
    input::SetStampClock([] { return input::LocalTime{2026, 12, 8, 14, 7, 55}; });
    window_ = std::make_unique<QtMainWindow>();
    window_->ShowCentred();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    // After each box, whether a progress window stood there at the time.
    boxes_.on_box = [this](QMessageBox&) {
      progress_at_box_.push_back(qt_test::VisibleWindow<QtProgressWindow>() != nullptr);
    };
  }
  void TearDown() override {
    window_.reset();
    input::SetStampClock({});
  }

  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*window_, name); }
  QPushButton* Button(const char* name) { return Child<QPushButton>(*window_, name); }

  // The connection fields on the test server's database `name`, the work buttons enabled as a
  // passed test would leave them.
  void PointAt(const std::string& name, const std::string& source) {
    Edit("txtTCP_IP_Server")->setText(QStringLiteral("127.0.0.1"));
    Edit("txtPort")->setText(QString::number(testenv::TestServer()->port));
    Edit("txtDatabase")->setText(QString::fromStdString(name));
    Edit("txtSource_Path_MDB")->setText(QString::fromStdString(source));
    // Out of the server field first: leaving it edited disables the buttons.
    Edit("txtSource_Path_MDB")->setFocus();
    QApplication::processEvents();
    window_->SetEnabled(forms::MainWindowView::Button::kConfirm, true);
    window_->SetEnabled(forms::MainWindowView::Button::kCreateMySqlConnection, true);
  }

  // Answers the prompt when it comes, as a person does: the code typed, OK clicked in its middle.
  std::unique_ptr<Poll> AnswerPrompt(std::function<void()> before_ok = {}) {
    return std::make_unique<Poll>([before_ok] {
      auto* prompt = qt_test::VisibleWindow<QtPasswordPrompt>();
      if (prompt == nullptr || !prompt->isActiveWindow()) return false;
      Person::Type(QStringLiteral("1407"));
      if (before_ok) before_ok();
      Person::ClickCentre(*prompt->findChild<QPushButton*>("cmdOK"));
      return true;
    });
  }

  qt_test::MessageBoxes boxes_;
  std::vector<bool> progress_at_box_;
  std::unique_ptr<QtMainWindow> window_;
};

TEST_F(LongCommands, ThePromptIsGoneBeforeTheFirstStatement) {
  MDB_REQUIRE_SERVER();
  FreshDatabase("winq_prompt");
  PointAt("winq_prompt", testenv::FixturePath("velda_sample.mdb"));
  // The window's session, opened with the fields' settings, so that the command keeps it.
  const db::MySqlSettings settings{"127.0.0.1", std::to_string(testenv::TestServer()->port),
                                   "winq_prompt", "root", ""};
  int statements = 0, paints = 0, paints_at_ok = -1, paints_at_first = -1;
  bool prompt_at_first = true, first_on_ui_thread = true;
  struct PaintCounter : QObject {
    int* count;
    QWidget* window;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Paint && o->isWidgetType() &&
          static_cast<QWidget*>(o)->window() == window) {
        ++*count;
      }
      return false;
    }
  } counter;
  counter.count = &paints;
  counter.window = window_.get();
  QApplication::instance()->installEventFilter(&counter);
  db::Connection& session = window_->form().MySqlSession();
  session.SetConnectionString(db::MySqlConnectionString(settings));
  session.Attach(
      std::make_unique<WatchedSession>(db::OpenSession(db::MySqlConnectionString(settings)), [&] {
        if (statements++ > 0) return;
        first_on_ui_thread = OnUiThreadNow();
        RunOnUiThread([&] {
          prompt_at_first = qt_test::VisibleWindow<QtPasswordPrompt>() != nullptr;
          paints_at_first = paints;
        });
      }));
  auto answer = AnswerPrompt([&] { paints_at_ok = paints; });
  Person::ClickCentre(*Button("Confirm"));
  QApplication::instance()->removeEventFilter(&counter);

  ASSERT_TRUE(answer->done());
  EXPECT_GT(statements, 10);
  EXPECT_FALSE(prompt_at_first);
  // The engine works beside the UI thread, which stays free to repaint.
  EXPECT_FALSE(first_on_ui_thread);
  // On a real screen the window is repainted where the prompt stood before the engine starts.
  if (Person::Real()) {
    EXPECT_GT(paints_at_first, paints_at_ok);
  }
  EXPECT_EQ(boxes_.Texts(),
            std::vector<std::string>{"Successfully Migrated: Your database has been successfully "
                                     "migrated to MySQL"});
  EXPECT_EQ(progress_at_box_, std::vector<bool>{false});
  // Over the main window, as before the progress window came.
  EXPECT_EQ(boxes_.shown[0].owner, "frmConvert_To_MySQL");
  EXPECT_EQ(window_->form().LastMigrationResult(), "OK");
}

TEST_F(LongCommands, ABigMigrationKeepsTheWindowsAliveAndShowsEveryRow) {
  MDB_REQUIRE_SERVER();
  MDB_REQUIRE_SHARED();
  const std::string bench = *testenv::SharedDir() + "/fixtures/bench_attendance.mdb";
  if (!std::filesystem::exists(bench)) GTEST_SKIP() << bench << " is absent";
  FreshDatabase("winq_bench");
  PointAt("winq_bench", bench);
  ProgressLog progress;
  // A timer of the UI thread: how long it ever waited while the command ran.
  QElapsedTimer clock;
  qint64 last_tick = -1, longest_wait = 0;
  int ticks = 0, hourglass_ticks = 0;
  bool poked = false, reset_shown = false, closed = true;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!CommandThreadRunning() || qt_test::VisibleWindow<QtPasswordPrompt>() != nullptr) {
      last_tick = -1;
      return;
    }
    const qint64 now = clock.elapsed();
    if (last_tick >= 0) longest_wait = std::max(longest_wait, now - last_tick);
    last_tick = now;
    ++ticks;
    if (QApplication::overrideCursor() != nullptr &&
        QApplication::overrideCursor()->shape() == Qt::WaitCursor) {
      ++hourglass_ticks;
    }
    if (!poked && qt_test::VisibleWindow<QtProgressWindow>() != nullptr) {
      // The main window takes nothing meanwhile: neither a click on Reset nor a close.
      poked = true;
      QTest::mouseClick(
          window_->windowHandle(), Qt::LeftButton, {},
          Button("cmdReset")->mapTo(window_.get(), Button("cmdReset")->rect().center()));
      reset_shown = !boxes_.shown.empty();
      closed = window_->close();
      auto* progress_window = qt_test::VisibleWindow<QtProgressWindow>();
      if (progress_window != nullptr) progress_window->close();
    }
  });
  clock.start();
  timer.start(20);
  auto answer = AnswerPrompt();
  Person::ClickCentre(*Button("Confirm"));
  timer.stop();

  ASSERT_TRUE(answer->done());
  EXPECT_EQ(window_->form().LastMigrationResult(), "OK");
  EXPECT_GT(ticks, 20);
  // Generous for a loaded machine: run in the click handler, the timer would not tick at all.
  EXPECT_LT(longest_wait, 2000) << "ms between two ticks of the UI thread's timer";
  EXPECT_GT(hourglass_ticks, ticks / 2);
  EXPECT_TRUE(poked);
  EXPECT_FALSE(reset_shown);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Edit("txtDatabase")->text(), "winq_bench");
  EXPECT_TRUE(progress.visible_each_time);
  // Each table from its first row to its last, the big one in several steps.
  const auto has = [&](const std::string& line) {
    return std::find(progress.lines.begin(), progress.lines.end(), line) != progress.lines.end();
  };
  int log_lines = 0;
  for (const std::string& line : progress.lines)
    if (line.find("tblAttendance_Log") != std::string::npos) ++log_lines;
  EXPECT_GE(log_lines, 4) << testing::PrintToString(progress.lines);
  EXPECT_TRUE(has("Migrating | Table 1 of 2: tblAttendance_Log | 300,000 of 300,000 rows | "
                  "300000/300000") ||
              has("Migrating | Table 2 of 2: tblAttendance_Log | 300,000 of 300,000 rows | "
                  "300000/300000"))
      << testing::PrintToString(progress.lines);
  // The success message comes after the progress window has gone.
  EXPECT_EQ(boxes_.Texts(),
            std::vector<std::string>{"Successfully Migrated: Your database has been successfully "
                                     "migrated to MySQL"});
  EXPECT_EQ(progress_at_box_, std::vector<bool>{false});
  EXPECT_EQ(qt_test::VisibleWindow<QtProgressWindow>(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LongCommands, TheEnginesMessageStandsOverTheProgressWindow) {
  MDB_REQUIRE_SERVER();
  FreshDatabase("winq_fail");
  PointAt("winq_fail", testenv::FixturePath("unsupported_with_rows.mdb"));
  ProgressLog progress;
  auto answer = AnswerPrompt();
  Person::ClickCentre(*Button("Confirm"));
  ASSERT_TRUE(answer->done());
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error: Invalid table column in VELDA.mdb"});
  EXPECT_EQ(progress_at_box_, std::vector<bool>{true});
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].owner, "frmProgress");
  EXPECT_FALSE(progress.lines.empty());
  EXPECT_EQ(qt_test::VisibleWindow<QtProgressWindow>(), nullptr);
}

TEST_F(LongCommands, ARelinkShowsItsStepsInOrder) {
  MDB_REQUIRE_SERVER();
  const std::string folder = testenv::ScratchDir("winq_relink");
  const std::string file = folder + "/Velda.mdb";
  std::filesystem::copy_file(testenv::FixturePath("velda_sample.mdb"), file);
  const std::string odbc_ini = testenv::ScratchDir("winq_relink_odbc") + "/odbc.ini";
  setenv("ODBCINI", odbc_ini.c_str(), 1);
  FreshDatabase("winq_relink", {"tblEmployee", "tblLeave_Header"});
  PointAt("winq_relink", file);
  ProgressLog progress;
  Person::ClickCentre(*Button("cmdCreate_MySQL_Connection"));
  ASSERT_NE(window_->form().LastLinkRefresh(), nullptr);
  // In the order the server listed the tables; a bar without a count only moves (-1 of 0).
  const std::vector<std::string>& tables = window_->form().LastLinkRefresh()->outcome().tables;
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(progress.lines,
            (std::vector<std::string>{"Backup copy |  |  | -1/0",
                                      "Registering the data source |  |  | -1/0",
                                      "Linking | Table 1 of 2: " + tables[0] + " |  | 0/2",
                                      "Linking | Table 2 of 2: " + tables[1] + " |  | 1/2",
                                      "Setting the flag ISMySQLDB |  |  | -1/0"}));
  EXPECT_TRUE(progress.visible_each_time);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"MySQL connection: MySQL connection has "
                                                     "been successfully created."});
  EXPECT_EQ(progress_at_box_, std::vector<bool>{false});
  EXPECT_EQ(window_->form().LastLinkResult(), "SUCCESS");
}

}  // namespace
}  // namespace app
