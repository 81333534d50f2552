#include "app/qt_main_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <exception>

#include "app/qt_command_thread.h"
#include "app/qt_label.h"
#include "app/qt_line_edit.h"
#include "app/qt_password_prompt.h"
#include "app/qt_pictures.h"
#include "app/qt_twips.h"
#include "app/qt_ui_thread.h"
#include "forms/start_values.h"

namespace app {
namespace {

// Client area in twips.
constexpr int kWidth = 8676;
constexpr int kHeight = 4980;

QFont Arial(double points) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(points);
  return font;
}

QLabel* AddFieldLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                      int width, int height) {
  QLabel* label = AddLabel(parent, name, caption, left, top, width, height);
  label->setFont(Arial(9));
  return label;
}

QGroupBox* AddFrame(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(name);
  PlaceInTwips(*frame, left, top, width, height);
  return frame;
}

}  // namespace

FieldLineEdit* QtMainWindow::AddField(QWidget* parent, const char* name, int left, int top,
                                      int width, int height, int max_length) {
  auto* edit = new FieldLineEdit(parent);
  edit->setObjectName(name);
  edit->setFont(Arial(9));
  edit->setMaxLength(max_length);
  PlaceInTwips(*edit, left, top, width, height);
  return edit;
}

QPushButton* QtMainWindow::AddButton(QWidget* parent, const char* name, const QString& caption,
                                     int left, int top, int width, int height) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  // No default button: Enter presses nothing.
  button->setAutoDefault(false);
  button->setDefault(false);
  PlaceInTwips(*button, left, top, width, height);
  return button;
}

QtMainWindow::QtMainWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      screen_(this),
      chooser_(this) {
  setObjectName("frmConvert_To_MySQL");
  setWindowTitle(QStringLiteral("MDB To MySQL"));
  setWindowIcon(ProgramIcon());
  // The window's own font, which the frames and the larger buttons keep.
  setFont(Arial(8));
  setFixedSize(TwipsSize(*this, kWidth, kHeight));

  QGroupBox* database_frame =
      AddFrame(this, "FrameDatabase", QStringLiteral("MySQL Connection"), 120, 120, 8412, 2652);
  AddFieldLabel(database_frame, "lblTCP_IP_Server", QStringLiteral("TCP/IP Server :"), 720, 648,
                1332, 252);
  FieldLineEdit* server = AddField(database_frame, "txtTCP_IP_Server", 2280, 600, 2895, 350, 255);
  // The port's label starts under the server field: its text stands at its right end, beside
  // the port field, where it can be seen.
  AddFieldLabel(database_frame, "lblPort", QStringLiteral("Port :"), 4800, 648, 972, 252)
      ->setAlignment(Qt::AlignRight | Qt::AlignTop);
  FieldLineEdit* port = AddField(database_frame, "txtPort", 6000, 600, 1215, 350, 7);
  QFont times(QStringLiteral("Times New Roman"));
  times.setPointSizeF(9);
  port->setFont(times);
  AddFieldLabel(database_frame, "lblDatabase", QStringLiteral("Database :"), 720, 1128, 1332, 252);
  FieldLineEdit* database = AddField(database_frame, "txtDatabase", 2280, 1080, 2895, 350, 255);
  database->setReadOnly(true);
  AddFieldLabel(database_frame, "lblUser", QStringLiteral("User :"), 720, 1608, 1332, 252);
  FieldLineEdit* user = AddField(database_frame, "txtUser", 2280, 1560, 2895, 350, 255);
  AddFieldLabel(database_frame, "lblPassword", QStringLiteral("Password :"), 720, 2088, 1332, 252);
  FieldLineEdit* password = AddField(database_frame, "txtPassword", 2280, 2040, 2895, 350, 255);
  UseAsteriskEcho(*password);
  test_ = AddButton(database_frame, "cmdTest", QStringLiteral("Test"), 6000, 1080, 1215, 375);
  QPushButton* reset =
      AddButton(database_frame, "cmdReset", QStringLiteral("Reset"), 6000, 2040, 1215, 375);
  test_->setFont(Arial(8.4));
  reset->setFont(Arial(8.4));

  QGroupBox* source_frame =
      AddFrame(this, "FrameSource", QStringLiteral("Source"), 120, 2880, 8412, 1092);
  AddFieldLabel(source_frame, "lblMDB_Source_Path", QStringLiteral("Source path (.mdb)"), 360, 360,
                2172, 252);
  FieldLineEdit* source_path =
      AddField(source_frame, "txtSource_Path_MDB", 360, 600, 7212, 350, 255);
  QPushButton* browse = AddButton(source_frame, "cmdSourcePath", QString(), 7680, 600, 444, 350);
  browse->setIcon(QIcon(BrowsePicture()));
  browse->setIconSize(QSize(16, 16));

  confirm_ =
      AddButton(this, "Confirm", QStringLiteral("Migrate data to MySQL"), 120, 4200, 2172, 492);
  QPushButton* exit = AddButton(this, "cmdExit", QStringLiteral("&Exit"), 7200, 4200, 1332, 492);
  create_connection_ = AddButton(this, "cmdCreate_MySQL_Connection",
                                 QStringLiteral("Refresh Link Connection"), 2400, 4200, 2292, 492);

  source_path->setText(QString::fromUtf8(forms::StartValues::kSourcePath));
  server->setText(QString::fromUtf8(forms::StartValues::kServer));
  port->setText(QString::fromUtf8(forms::StartValues::kPort));
  database->setText(QString::fromUtf8(forms::StartValues::kDatabase));
  user->setText(QString::fromUtf8(forms::StartValues::kUser));
  password->setText(QString::fromUtf8(forms::StartValues::kPassword));
  QPalette locked = database->palette();
  locked.setColor(QPalette::Base, QColor(224, 224, 224));
  database->setPalette(locked);
  confirm_->setEnabled(false);
  create_connection_->setEnabled(false);

  QWidget* tab_order[] = {server, port,        database, user,     password, test_,
                          reset,  source_path, browse,   confirm_, exit,     create_connection_};
  for (size_t i = 1; i < std::size(tab_order); ++i) {
    QWidget::setTabOrder(tab_order[i - 1], tab_order[i]);
  }

  source_path_ = std::make_unique<QtTextField>("txtSource_Path_MDB", *source_path);
  server_ = std::make_unique<QtTextField>("txtTCP_IP_Server", *server);
  port_ = std::make_unique<QtTextField>("txtPort", *port);
  database_ = std::make_unique<QtTextField>("txtDatabase", *database);
  user_ = std::make_unique<QtTextField>("txtUser", *user);
  password_ = std::make_unique<QtTextField>("txtPassword", *password);
  form_ = std::make_unique<forms::frmConvert_To_MySQL>(
      forms::MainWindowFields{*source_path_, *server_, *port_, *database_, *user_, *password_}, screen_,
      *this);

  auto wire = [this](FieldLineEdit* edit, void (forms::frmConvert_To_MySQL::*got)(),
                     void (forms::frmConvert_To_MySQL::*key)(input::KeyCode&),
                     void (forms::frmConvert_To_MySQL::*lost)()) {
    edit->on_got_focus = [this, got] { Run([this, got] { (form_.get()->*got)(); }); };
    edit->on_key_press = [this, key](input::KeyCode& code) {
      Run([this, key, &code] { (form_.get()->*key)(code); });
    };
    edit->on_lost_focus = [this, lost] { Run([this, lost] { (form_.get()->*lost)(); }); };
  };
  wire(server, &forms::frmConvert_To_MySQL::txtTCP_IP_Server_GotFocus,
       &forms::frmConvert_To_MySQL::txtTCP_IP_Server_KeyPress,
       &forms::frmConvert_To_MySQL::txtTCP_IP_Server_LostFocus);
  wire(port, &forms::frmConvert_To_MySQL::txtPort_GotFocus, &forms::frmConvert_To_MySQL::txtPort_KeyPress,
       &forms::frmConvert_To_MySQL::txtPort_LostFocus);
  wire(user, &forms::frmConvert_To_MySQL::txtUser_GotFocus, &forms::frmConvert_To_MySQL::txtUser_KeyPress,
       &forms::frmConvert_To_MySQL::txtUser_LostFocus);
  wire(password, &forms::frmConvert_To_MySQL::txtPassword_GotFocus,
       &forms::frmConvert_To_MySQL::txtPassword_KeyPress, &forms::frmConvert_To_MySQL::txtPassword_LostFocus);

  auto click = [this](QPushButton* button, void (forms::frmConvert_To_MySQL::*handler)()) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { Run([this, handler] { (form_.get()->*handler)(); }); });
  };
  // The commands that talk to the databases may take minutes: the windows stay alive meanwhile.
  auto long_click = [this](QPushButton* button, void (forms::frmConvert_To_MySQL::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] {
      RunCommandThread(*this,
                       [this, handler] { Run([this, handler] { (form_.get()->*handler)(); }); });
    });
  };
  long_click(confirm_, &forms::frmConvert_To_MySQL::Confirm_Click);
  long_click(create_connection_, &forms::frmConvert_To_MySQL::cmdCreate_MySQL_Connection_Click);
  long_click(test_, &forms::frmConvert_To_MySQL::cmdTest_Click);
  click(reset, &forms::frmConvert_To_MySQL::cmdReset_Click);
  click(exit, &forms::frmConvert_To_MySQL::cmdExit_Click);
  click(browse, &forms::frmConvert_To_MySQL::cmdSourcePath_Click);
}

QtMainWindow::~QtMainWindow() {
  // The line edits outlive the form's last focus-out: unhook them before the form goes.
  for (FieldLineEdit* edit : findChildren<FieldLineEdit*>()) {
    edit->on_got_focus = nullptr;
    edit->on_key_press = nullptr;
    edit->on_lost_focus = nullptr;
  }
}

void QtMainWindow::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
  findChild<QLineEdit*>("txtTCP_IP_Server")->setFocus(Qt::OtherFocusReason);
}

void QtMainWindow::Run(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    screen_.MessageBox(e.what(), "Error", ui::Icon::kInformation);
  } catch (...) {
    screen_.MessageBox("An unknown error stopped the command.", "Error", ui::Icon::kInformation);
  }
}

void QtMainWindow::SetEnabled(Button button, bool enabled) {
  OnUiThread([&] {
    QPushButton* target = button == Button::kConfirm ? confirm_ : create_connection_;
    // A disabled button hands its focus to the next in the tab order, which after Migrate is
    // Exit, where the next Space would end the program. The button was clicked after an edit of
    // the settings: testing them again is what the person needs next.
    if (!enabled && target->hasFocus()) test_->setFocus(Qt::OtherFocusReason);
    target->setEnabled(enabled);
  });
}

void QtMainWindow::ShowPasswordPrompt(std::string& migrate_password_success) {
  OnUiThread([&] {
    {
      // No owner: the prompt is modal to the whole program.
      QtPasswordPrompt prompt(migrate_password_success);
      prompt.ShowModal();
    }
    // The prompt is gone and the window repainted where it stood before the command goes on:
    // the engine's first statement comes right after, and the prompt must not seem to stay.
    QGuiApplication::sync();
  });
}

void QtMainWindow::EndProgram() {
  OnUiThread([] { QCoreApplication::exit(0); });
}

}  // namespace app
