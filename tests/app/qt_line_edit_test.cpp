// The connection fields as a person uses them with the mouse: the click that brings the focus
// leaves the whole text selected, so that typing replaces it; the next click places the caret.
#include "app/qt_line_edit.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <memory>

#include "app/qt_main_window.h"
#include "qt_test_support.h"

namespace app {
namespace {

using qt_test::Child;
using qt_test::Person;

class ClicksIntoFields : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureApplication();
    window_ = std::make_unique<QtMainWindow>();
    window_->ShowCentred();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    // The focus starts in the server field; start elsewhere, so that every field is clicked into.
    Person::ClickCentre(*Child(*window_, "cmdReset"));
    boxes_.shown.clear();
  }
  void TearDown() override { window_.reset(); }
  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*window_, name); }

  qt_test::MessageBoxes boxes_;
  std::unique_ptr<QtMainWindow> window_;
};

TEST_F(ClicksIntoFields, ClickThenTypeReplacesTheText) {
  struct Case {
    const char* field;
    const char* typed;
    const char* expected;
  };
  // The port's kind swallows Ctrl+A, so only the selection on focus spares the person the
  // backspacing; "3306" with "3411" typed behind it would be cut to "3306341" by its limit.
  const Case cases[] = {{"txtPort", "3411", "3411"},
                        {"txtTCP_IP_Server", "db.example", "db.example"},
                        {"txtUser", "admin", "admin"},
                        {"txtPassword", "secret", "secret"}};
  Edit("txtPassword")->setText(QStringLiteral("old"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    QLineEdit* edit = Edit(c.field);
    Person::ClickCentre(*edit);
    ASSERT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->selectedText(), edit->text());
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(162, 205, 90));
    Person::Type(QString::fromUtf8(c.typed));
    EXPECT_EQ(edit->text().toStdString(), c.expected);
  }
  EXPECT_TRUE(boxes_.shown.empty()) << testing::PrintToString(boxes_.Texts());
}

TEST_F(ClicksIntoFields, AFurtherClickPlacesTheCaret) {
  QLineEdit* port = Edit("txtPort");
  Person::ClickCentre(*port);
  ASSERT_EQ(port->selectedText(), "3306");
  // In front of the first digit: the caret goes there and the text stays whole.
  Person::Click(*window_, port->mapTo(window_.get(), QPoint(3, port->height() / 2)));
  EXPECT_FALSE(port->hasSelectedText());
  EXPECT_EQ(port->cursorPosition(), 0);
  Person::Type(QStringLiteral("1"));
  EXPECT_EQ(port->text(), "13306");
}

TEST_F(ClicksIntoFields, AFieldWithoutFocusHandlerTakesTheCaretWhereClicked) {
  QLineEdit* path = Edit("txtSource_Path_MDB");
  path->setText(QStringLiteral("C:\\DATA\\VELDA.mdb"));
  path->setCursorPosition(3);
  Person::Click(*window_, path->mapTo(window_.get(), QPoint(3, path->height() / 2)));
  ASSERT_EQ(QApplication::focusWidget(), path);
  EXPECT_FALSE(path->hasSelectedText());
  EXPECT_EQ(path->cursorPosition(), 0);
}

}  // namespace
}  // namespace app
