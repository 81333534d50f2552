#include "app/qt_password_prompt.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <exception>

#include "app/qt_label.h"
#include "app/qt_line_edit.h"
#include "app/qt_pictures.h"
#include "app/qt_twips.h"

namespace app {
namespace {

// Client area in twips.
constexpr int kWidth = 6420;
constexpr int kHeight = 1740;

}  // namespace

QtPasswordPrompt::QtPasswordPrompt(std::string& migrate_password_success, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName("frmMigrate_Mysql_Pasword");
  setWindowTitle(QStringLiteral("Authentication Password"));
  setWindowIcon(ProgramIcon());
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(8);
  setFont(font);
  setFixedSize(TwipsSize(*this, kWidth, kHeight));

  AddLabel(this, "lblPassword", QStringLiteral("Password"), 360, 1020, 1335, 255);
  auto* password = new QLineEdit(this);
  password->setObjectName("txtPassword");
  password->setMaxLength(10);
  password->setAttribute(Qt::WA_InputMethodEnabled, false);
  UseAsteriskEcho(*password);
  PlaceInTwips(*password, 1560, 960, 1935, 375);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("cmdOK");
  PlaceInTwips(*ok, 4440, 240, 1335, 495);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  PlaceInTwips(*cancel, 4440, 960, 1335, 495);
  // It runs across OK: beneath it, and the click goes to the button.
  AddLabel(this, "lblMessage", QStringLiteral("Please enter password before migration"), 360, 360,
           4815, 255);
  for (QPushButton* button : {ok, cancel}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  QWidget::setTabOrder(password, ok);
  QWidget::setTabOrder(ok, cancel);
  password->setFocus(Qt::OtherFocusReason);

  password_ = std::make_unique<QtTextField>("txtPassword", *password);
  form_ = std::make_unique<forms::frmMigrate_Mysql_Pasword>(migrate_password_success, *password_, screen_,
                                                     *this);
  auto run = [this](void (forms::frmMigrate_Mysql_Pasword::*handler)()) {
    return [this, handler] {
      try {
        (form_.get()->*handler)();
      } catch (const std::exception& e) {
        screen_.MessageBox(e.what(), "Error", ui::Icon::kInformation);
      }
    };
  };
  connect(ok, &QPushButton::clicked, this, run(&forms::frmMigrate_Mysql_Pasword::cmdOK_Click));
  connect(cancel, &QPushButton::clicked, this, run(&forms::frmMigrate_Mysql_Pasword::cmdCancel_Click));
}

QtPasswordPrompt::~QtPasswordPrompt() = default;

void QtPasswordPrompt::ShowModal() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  exec();
}

void QtPasswordPrompt::Unload() {
  unloading_ = true;
  done(QDialog::Rejected);
}

void QtPasswordPrompt::keyPressEvent(QKeyEvent* event) {
  // QDialog would press the focused button on Enter and close on Escape.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void QtPasswordPrompt::closeEvent(QCloseEvent* event) {
  if (!unloading_) form_->cmdCancel_Click();
  event->accept();
}

}  // namespace app
