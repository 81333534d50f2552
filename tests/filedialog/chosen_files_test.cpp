#include "filedialog/chosen_files.h"

#include <gtest/gtest.h>

namespace filedialog {
namespace {

DialogRecord EmptyRecord(int32_t file_size, int32_t title_size) {
  DialogRecord record;
  record.file_size = file_size;
  record.file.assign(static_cast<size_t>(file_size), u'\0');
  record.file_title_size = title_size;
  record.file_title.assign(static_cast<size_t>(title_size), u'\0');
  return record;
}

TEST(StoreChosenFiles, OffsetsFollowThePlatformsRules) {
  DialogRecord record = EmptyRecord(64, 16);
  ASSERT_EQ(StoreChosenFiles(record, {u"/srv/a.b.mdb"}), 0u);
  EXPECT_EQ(record.file_offset, 5);
  EXPECT_EQ(record.extension_offset, 9);  // after the last dot only

  ASSERT_EQ(StoreChosenFiles(record, {u"/srv/notes"}), 0u);
  EXPECT_EQ(record.extension_offset, 10);  // at the terminating NUL
  ASSERT_EQ(StoreChosenFiles(record, {u"/srv/notes."}), 0u);
  EXPECT_EQ(record.extension_offset, 0);
  ASSERT_EQ(StoreChosenFiles(record, {u"/.profile"}), 0u);
  EXPECT_EQ(record.file_offset, 1);
  EXPECT_EQ(record.extension_offset, 2);
}

TEST(StoreChosenFiles, TitleIsCutToItsBufferButNeverLosesItsNul) {
  DialogRecord record = EmptyRecord(64, 6);
  ASSERT_EQ(StoreChosenFiles(record, {u"/srv/payroll.mdb"}), 0u);
  EXPECT_EQ(record.file_title, std::u16string(u"payro\0", 6));
  DialogRecord no_title = EmptyRecord(64, 0);
  EXPECT_EQ(StoreChosenFiles(no_title, {u"/srv/payroll.mdb"}), 0u);
}

TEST(StoreChosenFiles, RefusesWhatTheRecordCannotHold) {
  // Exactly full: the path and its NUL.
  DialogRecord record = EmptyRecord(9, 4);
  EXPECT_EQ(StoreChosenFiles(record, {u"/srv/a.b"}), 0u);
  EXPECT_EQ(StoreChosenFiles(record, {u"/srv/a.bc"}), kFnErrBufferTooSmall);
  EXPECT_EQ(record.file[0], 10);
  EXPECT_EQ(record.file_offset, 5);  // the previous result's offsets stand

  record = EmptyRecord(64, 4);
  record.flags = kOfnAllowMultiSelect;
  EXPECT_EQ(StoreChosenFiles(record, {}), kFnErrInvalidFileName);
  EXPECT_EQ(StoreChosenFiles(record, {u"/srv/a", u"/tmp/b"}), kFnErrInvalidFileName);
  ASSERT_EQ(StoreChosenFiles(record, {u"/a", u"/b"}), 0u);
  EXPECT_EQ(record.file.substr(0, 7), std::u16string(u"/\0a\0b\0\0", 7));
  EXPECT_EQ(record.file_offset, 2);
}

}  // namespace
}  // namespace filedialog
