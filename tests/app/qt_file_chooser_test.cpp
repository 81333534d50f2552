#include "app/qt_file_chooser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <fstream>
#include <string>

#include "filedialog/unicode_file_dialog.h"
#include "qt_test_support.h"
#include "support/test_env.h"

namespace app {
namespace {

using filedialog::DialogRecord;

DialogRecord Record(const std::string& folder) {
  DialogRecord record;
  record.title = u"Source database";
  record.initial_dir = QString::fromStdString(folder + "\\").toStdU16String();
  record.filter = std::u16string(u"MDB Files (*.mdb)\0*.mdb\0All Files\0*.*;*.bak\0", 44);
  record.filter_index = 2;
  record.file_size = 520;
  record.file.assign(520, u'\0');
  return record;
}

TEST(QtFileChooser, MapsTheRecordOntoQtsDialog) {
  qt_test::EnsureApplication();
  const std::string folder = testenv::ScratchDir("qt_file_chooser_map");
  DialogRecord record = Record(folder);
  record.flags = filedialog::kOfnFileMustExist | filedialog::kOfnPathMustExist;

  QFileDialog open;
  ConfigureDialog(open, record, false);
  EXPECT_EQ(open.windowTitle(), QStringLiteral("Source database"));
  EXPECT_EQ(open.directory().absolutePath(), QDir(QString::fromStdString(folder)).absolutePath());
  EXPECT_EQ(open.nameFilters(),
            QStringList({"MDB Files (*.mdb) (*.mdb)", "All Files (*.* *.bak)"}));
  // Shown as the description alone.
  EXPECT_EQ(open.selectedNameFilter(), QStringLiteral("All Files"));
  EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);

  // Without must-exist a name may be typed; with multiple selection several may be picked.
  record.flags = 0;
  ConfigureDialog(open, record, false);
  EXPECT_EQ(open.fileMode(), QFileDialog::AnyFile);
  record.flags = filedialog::kOfnAllowMultiSelect | filedialog::kOfnFileMustExist;
  ConfigureDialog(open, record, false);
  EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFiles);

  QFileDialog save;
  record.flags = filedialog::kOfnOverwritePrompt;
  record.default_ext = u"mdb";
  record.title.clear();
  ConfigureDialog(save, record, true);
  EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(save.fileMode(), QFileDialog::AnyFile);
  EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("mdb"));
  EXPECT_FALSE(save.windowTitle().isEmpty());
  record.flags = 0;
  ConfigureDialog(save, record, true);
  EXPECT_TRUE(save.testOption(QFileDialog::DontConfirmOverwrite));
}

TEST(QtFileChooser, WritesTheChosenFileIntoTheRecord) {
  qt_test::EnsureApplication();
  const std::string folder = testenv::ScratchDir("qt_file_chooser_pick");
  std::ofstream(folder + "/VELDA.mdb") << "x";
  QtFileChooser chooser;
  filedialog::UnicodeFileDialog dialog(chooser);
  dialog.SetInitDir(QString::fromStdString(folder).toStdU16String());
  dialog.SetFilter(u"MDB Files (*.mdb)|*.mdb|All Files (*.*)|*.*");
  dialog.SetFlags(filedialog::kOfnFileMustExist);
  dialog.SetFilterIndex(2);

  // The person: picks the file in the dialog that is showing, then presses Open.
  QTimer::singleShot(0, [&] {
    auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(shown, nullptr);
    shown->selectNameFilter(shown->nameFilters().first());
    shown->selectFile(QString::fromStdString(folder + "/VELDA.mdb"));
    static_cast<QDialog*>(shown)->accept();  // public on QDialog
  });
  ASSERT_TRUE(dialog.ShowOpen());
  EXPECT_EQ(QString::fromStdU16String(dialog.FileName()),
            QString::fromStdString(folder + "/VELDA.mdb"));
  EXPECT_EQ(dialog.FileTitle(), u"VELDA.mdb");
  EXPECT_EQ(dialog.FileExtension(), u"mdb");
  EXPECT_EQ(dialog.FilterIndex(), 1);

  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_FALSE(dialog.ShowOpen());
}

}  // namespace
}  // namespace app
