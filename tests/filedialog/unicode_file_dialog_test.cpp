#include "filedialog/unicode_file_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filedialog/chosen_files.h"
#include "filedialog/dialog_error.h"

namespace filedialog {
namespace {

// Plays the person in front of the dialog: chooses `paths`, or ends with `error` (0: Cancel).
class ScriptedChooser : public FileChooser {
 public:
  PlatformVersion Version() const override { return version; }

  ChooserResult Show(DialogRecord& record, bool is_save) override {
    seen.push_back(record);
    seen_save.push_back(is_save);
    if (filter_index >= 0) record.filter_index = filter_index;
    if (paths.empty()) return {false, error};
    const uint32_t code = StoreChosenFiles(record, paths);
    return {code == 0, code};
  }

  PlatformVersion version{true, 2, 5};
  std::vector<std::u16string> paths;
  uint32_t error = 0;
  int32_t filter_index = -1;
  std::vector<DialogRecord> seen;  // the record as each showing received it
  std::vector<bool> seen_save;
};

DialogError OpenError(UnicodeFileDialog& dialog) {
  try {
    dialog.ShowOpen();
  } catch (const DialogError& e) {
    return e;
  }
  ADD_FAILURE() << "ShowOpen raised nothing";
  return DialogError(0, "", "");
}

DialogError SaveError(UnicodeFileDialog& dialog) {
  try {
    dialog.ShowSave();
  } catch (const DialogError& e) {
    return e;
  }
  ADD_FAILURE() << "ShowSave raised nothing";
  return DialogError(0, "", "");
}

TEST(UnicodeFileDialog, EveryExtendedErrorRaisesItsNumberDescriptionAndSource) {
  struct Row {
    uint32_t code;
    std::string description;
  };
  const std::vector<Row> rows = {
      {1,
       "The lStructSize member of the initialization structure for the corresponding common "
       "dialog box is invalid."},
      {2, "The common dialog box function failed during initialization."},
      {3,
       "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for "
       "the corresponding common dialog box, but you failed to provide a corresponding "
       "template."},
      {4,
       "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for "
       "the corresponding common dialog box, but you failed to provide a corresponding "
       "instance handle."},
      {5, "The common dialog box function failed to load a specified string."},
      {6, "The common dialog box function failed to find a specified resource."},
      {7, "The common dialog box function failed to find a specified resource."},
      {8, "The common dialog box function failed to lock a specified resource."},
      {9, "The common dialog box function was unable to allocate memory for internal structures."},
      {10,
       "The common dialog box function was unable to lock the memory associated with a "
       "handle."},
      {11, "Unknown error code of 11"},
      {12,
       "The RegisterWindowMessage function returned an error code when it was called by the "
       "common dialog box function."},
      {13, "Unknown error code of 13"},
      {12289,
       "An attempt to subclass a list box failed because sufficient memory was not "
       "available."},
      {12290, "A file name is invalid."},
      {12291, "The PathFileBufferSize is too small for the file name(s) specified by the user."},
      {12292, "Unknown error code of 12292"},
      {65535, "The dialog box could not be created"},
      {65536, "Unknown error code of 65536"},
  };
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    chooser.error = row.code;
    // Raised whatever the cancel-error switch says.
    dialog.SetCancelError(row.code % 2 == 0);
    const DialogError open = OpenError(dialog);
    EXPECT_EQ(open.number(), static_cast<long>(row.code));
    EXPECT_EQ(open.description(), row.description);
    EXPECT_EQ(open.source(), "Common Dialog Open");
    const DialogError save = SaveError(dialog);
    EXPECT_EQ(save.number(), static_cast<long>(row.code));
    EXPECT_EQ(save.description(), row.description);
    EXPECT_EQ(save.source(), "Common Dialog Save");
  }
}

TEST(UnicodeFileDialog, CancelReturnsFalseOrRaisesWithTheSwitch) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  dialog.SetFileName(u"/data/VELDA.mdb");
  EXPECT_FALSE(dialog.CancelError());
  EXPECT_FALSE(dialog.ShowOpen());
  EXPECT_FALSE(dialog.ShowSave());

  dialog.SetCancelError(true);
  const DialogError open = OpenError(dialog);
  EXPECT_EQ(open.number(), -2147221504);
  EXPECT_EQ(open.description(), "Cancel was seleted");
  EXPECT_EQ(open.source(), "Common Dialog Open");
  // Caught as the system's traps catch it.
  try {
    dialog.ShowSave();
    ADD_FAILURE() << "a cancelled save with the switch on raised nothing";
  } catch (const base::Error& e) {
    EXPECT_EQ(e.number(), -2147221504);
    EXPECT_EQ(dynamic_cast<const DialogError&>(e).source(), "Common Dialog Save");
  }
  // The object comes through the raised errors unchanged.
  EXPECT_EQ(dialog.FileName(), u"/data/VELDA.mdb");
  EXPECT_TRUE(dialog.CancelError());
}

TEST(UnicodeFileDialog, BufferTooSmallReportsTheSizeThePlatformNeeds) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  dialog.SetMaxFileSize(10);
  chooser.paths = {u"/home/clerk/payroll.mdb"};  // 23 characters and the NUL
  const DialogError e = OpenError(dialog);
  EXPECT_EQ(e.number(), 12291);
  EXPECT_EQ(dialog.MinimumBufferSizeRequired(), 24);

  dialog.SetMaxFileSize(24);
  ASSERT_TRUE(dialog.ShowOpen());
  EXPECT_EQ(dialog.MinimumBufferSizeRequired(), 0);  // cleared by every showing
  EXPECT_EQ(dialog.FileName(), u"/home/clerk/payroll.mdb");

  // A buffer of 4 characters or fewer cannot be trusted to hold the size.
  dialog.SetMaxFileSize(4);
  EXPECT_EQ(OpenError(dialog).number(), 12291);
  EXPECT_EQ(dialog.MinimumBufferSizeRequired(), -1);
}

TEST(UnicodeFileDialog, PresetNamesSizeTheBuffer) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  EXPECT_EQ(dialog.MaxFileSize(), 520);
  EXPECT_EQ(dialog.MaxFileTitleSize(), 260);

  // An unset buffer is made at 520 characters, the name NUL-terminated inside it.
  dialog.SetFileName(u"old.mdb");
  EXPECT_EQ(dialog.MaxFileSize(), 520);
  EXPECT_EQ(dialog.record().file.size(), 520u);
  EXPECT_EQ(dialog.FileName(), u"old.mdb");

  // A longer name replaces the buffer by one of exactly its length, with no NUL inside.
  dialog.SetMaxFileSize(8);
  dialog.SetFileName(u"/srv/attendance.mdb");
  EXPECT_EQ(dialog.MaxFileSize(), 19);
  EXPECT_EQ(dialog.record().file, u"/srv/attendance.mdb");
  EXPECT_EQ(dialog.FileName(), u"/srv/attendance.mdb");

  // An exact fit is stored without a NUL too; a shorter one is written over the start.
  dialog.SetFileName(u"/srv/attendance.old");
  EXPECT_EQ(dialog.record().file, u"/srv/attendance.old");
  dialog.SetFileName(u"/a.mdb");
  EXPECT_EQ(dialog.record().file, std::u16string(u"/a.mdb\0tendance.old", 19));
  EXPECT_EQ(dialog.FileName(), u"/a.mdb");
  dialog.SetFileName(u"");
  EXPECT_EQ(dialog.FileName(), u"");

  // Resizing loses the preset; a size below 1 falls back to 520 at the next showing.
  dialog.SetFileName(u"/a.mdb");
  dialog.SetMaxFileSize(40);
  EXPECT_EQ(dialog.FileName(), u"");
  dialog.SetMaxFileSize(0);
  EXPECT_EQ(dialog.MaxFileSize(), 520);
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().file_size, 520);
  EXPECT_EQ(chooser.seen.back().file, std::u16string(520, u'\0'));

  // The dialog receives the preset name in its buffer.
  dialog.SetFileName(u"/srv/VELDA.mdb");
  dialog.SetFileTitle(u"VELDA.mdb");
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().file.substr(0, 15), std::u16string(u"/srv/VELDA.mdb\0", 15));
  EXPECT_EQ(chooser.seen.back().file_title.substr(0, 10), std::u16string(u"VELDA.mdb\0", 10));
  EXPECT_EQ(chooser.seen.back().file_title_size, 260);
}

TEST(UnicodeFileDialog, PresetLongerThanTheDefaultBufferIsKeptWhole) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  const std::u16string deep = u"/" + std::u16string(600, u'd') + u"/payroll.mdb";
  dialog.SetFileName(deep);
  EXPECT_EQ(dialog.MaxFileSize(), static_cast<int32_t>(deep.size()));
  EXPECT_EQ(dialog.FileName(), deep);
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().file, deep);
}

TEST(UnicodeFileDialog, OpenAndSaveDeriveTheirOwnFlags) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  const int32_t requested = kOfnFileMustExist | kOfnOverwritePrompt | kOfnReadOnly;
  dialog.SetFlags(requested);
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().flags, kOfnFileMustExist | kOfnPathMustExist | kOfnReadOnly);
  dialog.ShowSave();
  EXPECT_EQ(chooser.seen.back().flags, kOfnOverwritePrompt | kOfnReadOnly);
  EXPECT_EQ(dialog.Flags(), requested);  // the request itself is kept

  dialog.SetFlags(kOfnOverwritePrompt);
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().flags, 0);

  dialog.SetFlags(-1);
  EXPECT_EQ(dialog.Flags(), kOfnOverwritePrompt);
  dialog.SetFlags(kOfnExtensionDifferent);
  EXPECT_EQ(dialog.Flags(), 0);
  dialog.SetFlags(kOfnExtensionDifferent | kOfnFileMustExist);
  EXPECT_EQ(dialog.Flags(), kOfnFileMustExist);
}

TEST(UnicodeFileDialog, ReadsTheChosenFile) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  dialog.SetFilter(u"MDB Files (*.mdb)|*.mdb|All Files (*.*)|*.*");
  chooser.paths = {u"/home/clerk/VELDA.mdb"};
  chooser.filter_index = 2;
  ASSERT_TRUE(dialog.ShowOpen(77));
  EXPECT_EQ(chooser.seen.back().owner, 77u);
  EXPECT_EQ(dialog.FileName(), u"/home/clerk/VELDA.mdb");
  EXPECT_EQ(dialog.FilePath(), u"/home/clerk");
  EXPECT_EQ(dialog.FileTitle(), u"VELDA.mdb");
  EXPECT_EQ(dialog.FileExtension(), u"mdb");
  EXPECT_EQ(dialog.FilterIndex(), 2);

  chooser.paths = {u"/home/clerk/README"};
  ASSERT_TRUE(dialog.ShowSave());
  EXPECT_EQ(dialog.FileName(), u"/home/clerk/README");
  EXPECT_EQ(dialog.FileTitle(), u"README");
  EXPECT_EQ(dialog.FileExtension(), u"");

  // Non-ASCII names come through as UTF-16 characters.
  chooser.paths = {u"/home/zoë/Überstunden.accdb"};
  ASSERT_TRUE(dialog.ShowOpen());
  EXPECT_EQ(dialog.FileTitle(), u"Überstunden.accdb");
  EXPECT_EQ(dialog.FilePath(), u"/home/zoë");
}

TEST(UnicodeFileDialog, MultipleSelectionNamesTheFolder) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  chooser.paths = {u"/srv/mdb/a.mdb", u"/srv/mdb/b.mdb"};
  // Without the flag the dialog would not have let the person pick two.
  EXPECT_EQ(OpenError(dialog).number(), 12290);

  dialog.SetFlags(kOfnAllowMultiSelect | kOfnExplorer);
  ASSERT_TRUE(dialog.ShowOpen());
  EXPECT_EQ(dialog.FileName(), u"/srv/mdb");
  EXPECT_EQ(dialog.FilePath(), u"/srv/mdb");
  EXPECT_EQ(dialog.FileExtension(), u"");
  const std::u16string names(u"/srv/mdb\0a.mdb\0b.mdb\0\0", 23);
  EXPECT_EQ(dialog.record().file.substr(0, names.size()), names);
  EXPECT_EQ(dialog.record().file_offset, 9);

  // One file picked in a multiple-selection dialog reads as a single file.
  chooser.paths = {u"/srv/mdb/a.mdb"};
  ASSERT_TRUE(dialog.ShowOpen());
  EXPECT_EQ(dialog.FileName(), u"/srv/mdb/a.mdb");
}

TEST(UnicodeFileDialog, PropertiesStoreWhatTheDialogExpects) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  dialog.SetFilter(u"MDB Files (*.mdb)|*.mdb");
  EXPECT_EQ(dialog.record().filter, std::u16string(u"MDB Files (*.mdb)\0*.mdb\0", 24));
  EXPECT_EQ(dialog.Filter(), u"MDB Files (*.mdb)|*.mdb|");
  dialog.SetFilter(u"");
  EXPECT_TRUE(dialog.record().filter.empty());
  EXPECT_EQ(dialog.Filter(), u"");

  dialog.SetInitDir(u"C:\\Data");
  EXPECT_EQ(dialog.InitDir(), u"C:\\Data\\");
  dialog.SetFilePath(u"C:\\Data\\");
  EXPECT_EQ(dialog.InitDir(), u"C:\\Data\\");
  dialog.SetInitDir(u"");
  EXPECT_EQ(dialog.InitDir(), u"");

  dialog.SetFilterIndex(-3);
  EXPECT_EQ(dialog.FilterIndex(), 0);
  dialog.SetFilterIndex(2);
  EXPECT_EQ(dialog.FilterIndex(), 2);

  dialog.SetCustomFilterSize(40);
  EXPECT_EQ(dialog.record().custom_filter, std::u16string(40, u'\0'));
  dialog.SetCustomFilterSize(-1);
  EXPECT_EQ(dialog.CustomFilterSize(), 0);
  EXPECT_TRUE(dialog.record().custom_filter.empty());
}

TEST(UnicodeFileDialog, RecordSizeIsChosenOnceUntilClear) {
  ScriptedChooser chooser;
  UnicodeFileDialog dialog(chooser);
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().struct_size, 88);
  chooser.version = {true, 2, 4};
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().struct_size, 88);

  dialog.SetFlags(kOfnFileMustExist);
  dialog.SetCancelError(true);
  dialog.SetMaxFileSize(30);
  dialog.SetDialogTitle(u"Source");
  chooser.error = kFnErrBufferTooSmall;
  OpenError(dialog);
  dialog.Clear();
  EXPECT_EQ(dialog.Flags(), 0);
  EXPECT_FALSE(dialog.CancelError());
  EXPECT_EQ(dialog.MinimumBufferSizeRequired(), 0);
  EXPECT_EQ(dialog.MaxFileSize(), 520);
  EXPECT_EQ(dialog.DialogTitle(), u"");
  EXPECT_EQ(dialog.record().struct_size, 0);

  chooser.error = 0;
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().struct_size, 76);  // NT 4
  dialog.Clear();
  chooser.version = {false, 2, 6};  // the platform could not say
  dialog.ShowOpen();
  EXPECT_EQ(chooser.seen.back().struct_size, 76);
}

}  // namespace
}  // namespace filedialog
