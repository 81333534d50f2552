#include "input/field_focus.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "input/memory_field.h"

namespace input {
namespace {

TEST(FieldGotFocus, SelectsTheWholeTextAndPaintsTheFocusColour) {
  MemoryField field("txtTCP_IP_Server", "localhost");
  field.SetSelStart(4);
  FieldGotFocus(field);
  EXPECT_EQ(field.SelStart(), 0);
  EXPECT_EQ(field.sel_length(), 9);
  EXPECT_EQ(field.back_color(), (Color{162, 205, 90}));

  MemoryField wide("txtPassword", "p\u00e4\U0001F600");  // 1 + 1 + 2 UTF-16 units
  FieldGotFocus(wide);
  EXPECT_EQ(wide.sel_length(), 4);
}

// A control that fails half-way, like one without a selection.
class BrokenField : public MemoryField {
 public:
  BrokenField() : MemoryField("txtBroken", "x") {}
  void SetSelLength(int) override { throw std::runtime_error("no selection"); }
};

TEST(FieldGotFocus, EndsSilentlyWhenTheFieldFails) {
  BrokenField field;
  EXPECT_NO_THROW(FieldGotFocus(field));
  EXPECT_EQ(field.back_color(), kNormalColor);
}

class FieldEditedTest : public ::testing::Test {
 protected:
  void SetUp() override { FocusSnapshot.clear(); }  // as at the start of a run
};

TEST_F(FieldEditedTest, LostFocusBeforeAnyGotFocusReportsAnEdit) {
  MemoryField port("txtPort", "3306");
  EXPECT_TRUE(FieldEdited(port, "3306", kLostFocus));
  EXPECT_TRUE(FieldEdited(port, "", kLostFocus));
}

TEST_F(FieldEditedTest, ReportsAnyDifferenceInTheTextExactly) {
  MemoryField server("txtTCP_IP_Server", "localhost");
  EXPECT_FALSE(FieldEdited(server, "localhost", kGotFocus));
  EXPECT_FALSE(FieldEdited(server, "localhost", kLostFocus));
  EXPECT_FALSE(FieldEdited(server, "localhost", kLostFocus)) << "the snapshot stays";
  EXPECT_TRUE(FieldEdited(server, "Localhost", kLostFocus));
  EXPECT_TRUE(FieldEdited(server, "localhost ", kLostFocus));
  EXPECT_TRUE(FieldEdited(server, "", kLostFocus));
}

TEST_F(FieldEditedTest, TheSnapshotBelongsToTheFieldThatLastGainedTheFocus) {
  MemoryField user("txtUser", "root");
  MemoryField password("txtPassword", "root");
  FieldEdited(user, "root", kGotFocus);
  EXPECT_EQ(FocusSnapshot, "txtUserroot");
  EXPECT_TRUE(FieldEdited(password, "root", kLostFocus)) << "same text, other field";
  FieldEdited(password, "root", kGotFocus);
  EXPECT_FALSE(FieldEdited(password, "root", kLostFocus));
}

TEST_F(FieldEditedTest, OtherEventNamesChangeNothing) {
  MemoryField user("txtUser", "root");
  FieldEdited(user, "root", kGotFocus);
  EXPECT_FALSE(FieldEdited(user, "admin", "Change"));
  EXPECT_FALSE(FieldEdited(user, "admin", "gotfocus"));
  EXPECT_FALSE(FieldEdited(user, "admin", ""));
  EXPECT_EQ(FocusSnapshot, "txtUserroot");
}

}  // namespace
}  // namespace input
