// The Qt windows themselves: layout from the widgets, and a few runs through real key presses,
// clicks and message boxes (offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/qt_main_window.h"
#include "app/qt_password_prompt.h"
#include "app/qt_pictures.h"
#include "app/qt_screen.h"
#include "app/qt_twips.h"
#include "db/source_session.h"
#include "input/date_time_stamp.h"
#include "input/text_field.h"
#include "qt_test_support.h"
#include "support/test_env.h"

namespace app {
namespace {

using qt_test::Child;
using qt_test::EnsureApplication;
using qt_test::MessageBoxes;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    window_ = std::make_unique<QtMainWindow>();
    window_->ShowCentred();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QApplication::processEvents();
  }
  void TearDown() override { window_.reset(); }

  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*window_, name); }
  QPushButton* ButtonNamed(const char* name) { return Child<QPushButton>(*window_, name); }

  MessageBoxes boxes_;
  std::unique_ptr<QtMainWindow> window_;
};

struct Placed {
  const char* name;
  int left, top, width, height;
};

TEST_F(MainWindowTest, LaidOutInTwipsAtTheScreensDpi) {
  QWidget& w = *window_;
  const int dpi_x = w.logicalDpiX();
  const int dpi_y = w.logicalDpiY();
  auto rect = [&](int l, int t, int wd, int h) {
    return QRect(TwipsToPixels(l, dpi_x), TwipsToPixels(t, dpi_y), TwipsToPixels(wd, dpi_x),
                 TwipsToPixels(h, dpi_y));
  };
  EXPECT_EQ(w.size(), rect(0, 0, 8676, 4980).size());
  if (dpi_x == 96 && dpi_y == 96) {
    EXPECT_EQ(w.size(), QSize(578, 332));
    EXPECT_EQ(Edit("txtTCP_IP_Server")->geometry(), QRect(152, 40, 193, 23));
  }
  const Placed placed[] = {
      {"FrameDatabase", 120, 120, 8412, 2652},
      {"lblTCP_IP_Server", 720, 648, 1332, 252},
      {"txtTCP_IP_Server", 2280, 600, 2895, 350},
      {"lblPort", 4800, 648, 972, 252},
      {"txtPort", 6000, 600, 1215, 350},
      {"lblDatabase", 720, 1128, 1332, 252},
      {"txtDatabase", 2280, 1080, 2895, 350},
      {"lblUser", 720, 1608, 1332, 252},
      {"txtUser", 2280, 1560, 2895, 350},
      {"lblPassword", 720, 2088, 1332, 252},
      {"txtPassword", 2280, 2040, 2895, 350},
      {"cmdTest", 6000, 1080, 1215, 375},
      {"cmdReset", 6000, 2040, 1215, 375},
      {"FrameSource", 120, 2880, 8412, 1092},
      {"lblMDB_Source_Path", 360, 360, 2172, 252},
      {"txtSource_Path_MDB", 360, 600, 7212, 350},
      {"cmdSourcePath", 7680, 600, 444, 350},
      {"Confirm", 120, 4200, 2172, 492},
      {"cmdExit", 7200, 4200, 1332, 492},
      {"cmdCreate_MySQL_Connection", 2400, 4200, 2292, 492},
  };
  for (const Placed& p : placed) {
    QWidget* child = Child(w, p.name);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->geometry(), rect(p.left, p.top, p.width, p.height)) << p.name;
  }
  // The frames hold their controls; the three big buttons sit on the window.
  EXPECT_EQ(Edit("txtPort")->parentWidget()->objectName(), "FrameDatabase");
  EXPECT_EQ(ButtonNamed("cmdSourcePath")->parentWidget()->objectName(), "FrameSource");
  EXPECT_EQ(ButtonNamed("Confirm")->parentWidget(), &w);
}

TEST_F(MainWindowTest, ControlsStartAsDesigned) {
  QWidget& w = *window_;
  EXPECT_EQ(w.windowTitle(), "MDB To MySQL");
  EXPECT_FALSE(w.windowIcon().isNull());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((w.geometry().center() - screen.center()).manhattanLength(), 2);

  EXPECT_EQ(Child<QGroupBox>(w, "FrameDatabase")->title(), "MySQL Connection");
  EXPECT_EQ(Child<QGroupBox>(w, "FrameSource")->title(), "Source");
  EXPECT_EQ(Child<QLabel>(w, "lblTCP_IP_Server")->text(), "TCP/IP Server :");
  EXPECT_EQ(Child<QLabel>(w, "lblMDB_Source_Path")->text(), "Source path (.mdb)");
  EXPECT_EQ(ButtonNamed("Confirm")->text(), "Migrate data to MySQL");
  EXPECT_EQ(ButtonNamed("cmdExit")->text(), "&Exit");
  EXPECT_EQ(ButtonNamed("cmdCreate_MySQL_Connection")->text(), "Refresh Link Connection");
  EXPECT_TRUE(ButtonNamed("cmdSourcePath")->text().isEmpty());
  EXPECT_FALSE(ButtonNamed("cmdSourcePath")->icon().isNull());

  struct Start {
    const char* name;
    const char* text;
    int max_length;
  };
  for (const Start& s : {Start{"txtTCP_IP_Server", "localhost", 255}, Start{"txtPort", "3306", 7},
                         Start{"txtDatabase", "VELDA_MYSQL", 255}, Start{"txtUser", "root", 255},
                         Start{"txtPassword", "", 255}, Start{"txtSource_Path_MDB", "", 255}}) {
    EXPECT_EQ(Edit(s.name)->text().toStdString(), s.text) << s.name;
    EXPECT_EQ(Edit(s.name)->maxLength(), s.max_length) << s.name;
    EXPECT_EQ(Edit(s.name)->isReadOnly(), std::string(s.name) == "txtDatabase") << s.name;
    EXPECT_EQ(Edit(s.name)->echoMode(),
              std::string(s.name) == "txtPassword" ? QLineEdit::Password : QLineEdit::Normal)
        << s.name;
  }
  EXPECT_EQ(Edit("txtDatabase")->palette().color(QPalette::Base), QColor(224, 224, 224));
  Edit("txtPassword")->setText("abc");
  EXPECT_EQ(Edit("txtPassword")->displayText(), "***");

  EXPECT_FALSE(ButtonNamed("Confirm")->isEnabled());
  EXPECT_FALSE(ButtonNamed("cmdCreate_MySQL_Connection")->isEnabled());
  for (QPushButton* b : w.findChildren<QPushButton*>()) {
    EXPECT_FALSE(b->autoDefault() || b->isDefault()) << b->objectName().toStdString();
  }

  // Fonts: Arial 9 for labels and fields, Times New Roman for the port, Arial 8.4 for Test and
  // Reset.
  for (const char* name : {"lblTCP_IP_Server", "txtTCP_IP_Server", "lblMDB_Source_Path",
                           "txtSource_Path_MDB", "txtPassword"}) {
    EXPECT_EQ(Child(w, name)->font().family(), "Arial") << name;
    EXPECT_DOUBLE_EQ(Child(w, name)->font().pointSizeF(), 9.0) << name;
  }
  EXPECT_EQ(Edit("txtPort")->font().family(), "Times New Roman");
  EXPECT_DOUBLE_EQ(Edit("txtPort")->font().pointSizeF(), 9.0);
  EXPECT_DOUBLE_EQ(ButtonNamed("cmdTest")->font().pointSizeF(), 8.4);
  EXPECT_DOUBLE_EQ(ButtonNamed("cmdReset")->font().pointSizeF(), 8.4);
  EXPECT_EQ(ButtonNamed("Confirm")->font(), w.font());

  // The focus starts in the server field, which its focus handler has coloured and selected.
  EXPECT_EQ(QApplication::focusWidget(), Edit("txtTCP_IP_Server"));
  EXPECT_EQ(Edit("txtTCP_IP_Server")->palette().color(QPalette::Base), QColor(162, 205, 90));
  EXPECT_EQ(Edit("txtTCP_IP_Server")->selectedText(), "localhost");
}

TEST_F(MainWindowTest, TabGoesThroughTheControlsInDesignedOrder) {
  ButtonNamed("Confirm")->setEnabled(true);
  ButtonNamed("cmdCreate_MySQL_Connection")->setEnabled(true);
  std::vector<std::string> order;
  QWidget* start = Edit("txtTCP_IP_Server");
  QWidget* w = start;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && w->window() == window_.get()) {
      order.push_back(w->objectName().toStdString());
    }
    w = w->nextInFocusChain();
  } while (w != start && order.size() < 40);
  EXPECT_EQ(order, (std::vector<std::string>{"txtTCP_IP_Server", "txtPort", "txtDatabase",
                                             "txtUser", "txtPassword", "cmdTest", "cmdReset",
                                             "txtSource_Path_MDB", "cmdSourcePath", "Confirm",
                                             "cmdExit", "cmdCreate_MySQL_Connection"}));
}

TEST_F(MainWindowTest, KeysGoThroughTheFieldHandlers) {
  QLineEdit* server = Edit("txtTCP_IP_Server");
  QLineEdit* port = Edit("txtPort");
  window_->SetEnabled(forms::MainWindowView::Button::kConfirm, true);
  window_->SetEnabled(forms::MainWindowView::Button::kCreateMySqlConnection, true);

  // Tabbing through without a change keeps the buttons; the colour follows the focus.
  QTest::keyClick(server, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), port);
  EXPECT_EQ(server->palette().color(QPalette::Base), QColor(255, 255, 255));
  EXPECT_EQ(port->palette().color(QPalette::Base), QColor(162, 205, 90));
  EXPECT_TRUE(ButtonNamed("Confirm")->isEnabled());

  // The port takes digits only; leaving it with a new number disables both work buttons.
  QTest::keyClicks(port, "0a1'2");
  EXPECT_EQ(port->text(), "012");
  QTest::keyClick(port, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(port->text(), "012");
  QTest::keyClick(port, Qt::Key_Tab);
  EXPECT_EQ(port->text(), "12");
  EXPECT_FALSE(ButtonNamed("Confirm")->isEnabled());
  EXPECT_FALSE(ButtonNamed("cmdCreate_MySQL_Connection")->isEnabled());

  // No apostrophe in the free-text fields; Escape undoes the last edit; Ctrl+A selects all.
  QLineEdit* user = Edit("txtUser");
  user->setFocus();
  QApplication::processEvents();
  QTest::keyClick(user, Qt::Key_End);
  QTest::keyClicks(user, "'x");
  EXPECT_EQ(user->text(), "rootx");
  QTest::keyClick(user, Qt::Key_Escape);
  EXPECT_EQ(user->text(), "root");
  QTest::keyClick(user, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(user->selectedText(), "root");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MainWindowTest, EnterAndEscapePressNoButton) {
  QPushButton* reset = ButtonNamed("cmdReset");
  reset->setFocus();
  QApplication::processEvents();
  QTest::keyClick(reset, Qt::Key_Return);
  QTest::keyClick(reset, Qt::Key_Enter);
  QTest::keyClick(reset, Qt::Key_Escape);
  QTest::keyClick(Edit("txtSource_Path_MDB"), Qt::Key_Return);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(window_->isVisible());

  // A click does press it: the values come back and the message says so.
  Edit("txtUser")->setText("admin");
  QTest::mouseClick(reset, Qt::LeftButton);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, "Reset");
  EXPECT_EQ(boxes_.shown[0].text, "Reset successfully.");
  EXPECT_EQ(boxes_.shown[0].icon, QMessageBox::Information);
  EXPECT_EQ(boxes_.shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(Edit("txtUser")->text(), "root");
  EXPECT_EQ(Edit("txtDatabase")->text(), "ORV_MYSQL");
}

TEST(QtScreenTest, DetailsGoBehindTheDetailsButtonAndTheArrowComesBack) {
  EnsureApplication();
  MessageBoxes boxes;
  QtScreen screen;
  screen.SetPointer(ui::Pointer::kHourglass);
  screen.SetPointer(ui::Pointer::kHourglass);
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  screen.MessageBox("Invalid table column in VELDA.mdb", "Error", ui::Icon::kInformation,
                    "Table: tblRate");
  screen.MessageBox("Plain", "", ui::Icon::kInformation);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].details, "Table: tblRate");
  EXPECT_EQ(boxes.shown[0].text, "Invalid table column in VELDA.mdb");
  EXPECT_FALSE(boxes.shown[0].hourglass);
  EXPECT_EQ(boxes.shown[1].details, "");
  EXPECT_EQ(boxes.shown[1].title, ui::kProgramName);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

class PromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    input::SetStampClock([] { return input::LocalTime{2026, 12, 8, 14, 7, 55}; });
    prompt_ = std::make_unique<QtPasswordPrompt>(answer_);
    prompt_->show();
    prompt_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(prompt_.get()));
    password_ = Child<QLineEdit>(*prompt_, "txtPassword");
  }
  void TearDown() override { input::SetStampClock({}); }

  MessageBoxes boxes_;
  std::string answer_ = "NO";
  std::unique_ptr<QtPasswordPrompt> prompt_;
  QLineEdit* password_ = nullptr;
};

TEST_F(PromptTest, LaidOutAsDesigned) {
  QWidget& p = *prompt_;
  const int dpi = p.logicalDpiX();
  EXPECT_EQ(p.windowTitle(), "Authentication Password");
  EXPECT_EQ(p.size(), QSize(TwipsToPixels(6420, dpi), TwipsToPixels(1740, p.logicalDpiY())));
  EXPECT_FALSE(p.windowIcon().isNull());
  EXPECT_FALSE(p.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                  Qt::WindowContextHelpButtonHint));
  const Placed placed[] = {{"lblPassword", 360, 1020, 1335, 255},
                           {"txtPassword", 1560, 960, 1935, 375},
                           {"cmdOK", 4440, 240, 1335, 495},
                           {"cmdCancel", 4440, 960, 1335, 495},
                           {"lblMessage", 360, 360, 4815, 255}};
  for (const Placed& c : placed) {
    EXPECT_EQ(Child(p, c.name)->geometry(), TwipsRect(p, c.left, c.top, c.width, c.height))
        << c.name;
  }
  EXPECT_EQ(Child<QLabel>(p, "lblMessage")->text(), "Please enter password before migration");
  EXPECT_EQ(QApplication::focusWidget(), password_);
  EXPECT_EQ(password_->nextInFocusChain()->objectName(), "cmdOK");
  EXPECT_EQ(password_->echoMode(), QLineEdit::Password);
  EXPECT_FALSE(password_->testAttribute(Qt::WA_InputMethodEnabled));

  // Ten characters at most, each shown as "*".
  QTest::keyClicks(password_, "12345678901");
  EXPECT_EQ(password_->text(), "1234567890");
  EXPECT_EQ(password_->displayText(), "**********");
}

TEST_F(PromptTest, OnlyOkCancelOrClosingEndIt) {
  QTest::keyClicks(password_, "1407");
  QTest::keyClick(password_, Qt::Key_Return);
  QTest::keyClick(password_, Qt::Key_Escape);
  QPushButton* ok = Child<QPushButton>(*prompt_, "cmdOK");
  ok->setFocus();
  QTest::keyClick(ok, Qt::Key_Return);
  EXPECT_TRUE(prompt_->isVisible());
  EXPECT_EQ(answer_, "NO");
  EXPECT_TRUE(boxes_.shown.empty());

  // A wrong code keeps the prompt open and the text in place.
  password_->setText(" 1408 ");
  QTest::mouseClick(ok, Qt::LeftButton);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Invalid password.");
  EXPECT_EQ(boxes_.shown[0].title, "Invalid Password");
  EXPECT_TRUE(prompt_->isVisible());
  EXPECT_EQ(password_->text(), " 1408 ");

  // Closing through the window system is Cancel.
  prompt_->close();
  EXPECT_FALSE(prompt_->isVisible());
  EXPECT_EQ(answer_, "NO");
}

TEST_F(PromptTest, RightCodeAnswersYes) {
  QTest::keyClicks(password_, " 1407");
  QTest::mouseClick(Child<QPushButton>(*prompt_, "cmdOK"), Qt::LeftButton);
  EXPECT_EQ(answer_, "YES");
  EXPECT_FALSE(prompt_->isVisible());
  EXPECT_TRUE(boxes_.shown.empty());
}

// Through the real window: test the connection, press Migrate, close the prompt that comes up.
TEST_F(MainWindowTest, MigrateAsksOnlyWithBothSessionsOpen) {
  MDB_REQUIRE_SERVER();
  Edit("txtTCP_IP_Server")->setText("127.0.0.1");
  Edit("txtPort")->setText(QString::number(testenv::TestServer()->port));
  Edit("txtDatabase")->setText("mysql");
  Edit("txtSource_Path_MDB")
      ->setText(QString::fromStdString(testenv::FixturePath("velda_sample.mdb")));
  QTest::mouseClick(ButtonNamed("cmdTest"), Qt::LeftButton);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Connection successful");
  ASSERT_TRUE(ButtonNamed("Confirm")->isEnabled());
  ASSERT_TRUE(ButtonNamed("cmdCreate_MySQL_Connection")->isEnabled());

  bool prompted = false;
  int source_state = -1, mysql_state = -1;
  // The command runs on a thread of its own: the prompt comes when it gets there.
  qt_test::Poll close_prompt([&] {
    auto* prompt = dynamic_cast<QtPasswordPrompt*>(QApplication::activeModalWidget());
    if (prompt == nullptr) return false;
    prompted = true;
    source_state = db::SourceSession().State();
    mysql_state = window_->form().MySqlSession().State();
    prompt->close();
    return true;
  });
  QTest::mouseClick(ButtonNamed("Confirm"), Qt::LeftButton);
  EXPECT_TRUE(prompted);
  EXPECT_EQ(source_state, db::kAdStateOpen);
  EXPECT_EQ(mysql_state, db::kAdStateOpen);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(window_->form().MigratePasswordSuccess(), "NO");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Not a check: scripts/screenshot runs this under Xvfb to save pictures of both windows.
TEST(Screenshot, BothWindows) {
  const char* folder = std::getenv("MDB_SCREENSHOT_DIR");
  if (folder == nullptr) GTEST_SKIP() << "MDB_SCREENSHOT_DIR unset; see scripts/screenshot";
  EnsureApplication();
  QtMainWindow window;
  window.ShowCentred();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(300);
  const QString dir = QString::fromUtf8(folder);
  EXPECT_TRUE(window.grab().save(dir + "/main_window_client.png"));
  std::string answer;
  QtPasswordPrompt prompt(answer);
  prompt.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
  QTest::keyClicks(prompt.findChild<QLineEdit*>("txtPassword"), "1234");
  QTest::qWait(300);
  EXPECT_TRUE(prompt.grab().save(dir + "/password_prompt_client.png"));
  // The two small pictures, eight times their size, to look at their pixels.
  EXPECT_TRUE(BrowsePicture().scaled(128, 128).save(dir + "/browse_picture_x8.png"));
  EXPECT_TRUE(ProgramIcon().pixmap(16, 16).scaled(128, 128).save(dir + "/icon_x8.png"));
}

}  // namespace
}  // namespace app
