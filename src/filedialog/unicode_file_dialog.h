#ifndef MDBTOMYSQL_FILEDIALOG_UNICODE_FILE_DIALOG_H_
#define MDBTOMYSQL_FILEDIALOG_UNICODE_FILE_DIALOG_H_

#include <cstdint>
#include <string>

#include "filedialog/dialog_record.h"
#include "filedialog/file_chooser.h"

namespace filedialog {

// The platform's open and save dialogs with UTF-16 file names. The object keeps its whole
// parameter record between showings, so that a second showing starts where the first ended, and
// turns the dialogs' extended error codes into a raised DialogError.
//
// Buffers are sized in UTF-16 characters: the file buffer holds 520 characters and the file-title
// buffer 260 unless set otherwise. No accessor raises an error.
class UnicodeFileDialog {
 public:
  // `chooser` shows the dialogs; it must outlive the object.
  explicit UnicodeFileDialog(FileChooser& chooser) : chooser_(&chooser) {}

  // True when a file was chosen; false when the dialog was cancelled with CancelError off. Every
  // other outcome raises DialogError (source "Common Dialog Open" / "Common Dialog Save").
  bool ShowOpen(uint32_t owner_hwnd = 0);
  bool ShowSave(uint32_t owner_hwnd = 0);

  // Zeroes the whole record (the structure size too), the requested flags, the minimum buffer
  // size and the cancel-error switch.
  void Clear();

  bool CancelError() const { return cancel_error_; }
  void SetCancelError(bool on) { cancel_error_ = on; }

  // The chosen file: its full path, or after a multiple selection the folder only.
  std::u16string FileName() const;
  // Presets the name shown in the dialog. A name longer than the buffer enlarges the buffer to
  // exactly its length; a name that fills the buffer is stored without a terminating NUL.
  void SetFileName(const std::u16string& name);
  // The file-title buffer up to its first NUL.
  std::u16string FileTitle() const;
  void SetFileTitle(const std::u16string& title);

  const std::u16string& InitDir() const { return record_.initial_dir; }
  // Stores `path` with a backslash appended when it is not empty and does not end in one.
  void SetInitDir(const std::u16string& path);
  // The chosen file's folder (the characters before its name, without the separator).
  std::u16string FilePath() const;
  void SetFilePath(const std::u16string& path) { SetInitDir(path); }
  // The chosen file's extension without its dot; empty when it has none.
  std::u16string FileExtension() const;

  const std::u16string& DialogTitle() const { return record_.title; }
  void SetDialogTitle(const std::u16string& title) { record_.title = title; }

  // "description|pattern|description|pattern|": the stored pairs, each NUL shown as "|".
  std::u16string Filter() const;
  // Takes "description|pattern|..."; an empty text removes the filter.
  void SetFilter(const std::u16string& filter);

  // The requested flags (OFN_*). The record's own flags are derived from them at each showing.
  int32_t Flags() const { return requested_flags_; }
  // Ignored when negative; the output-only kOfnExtensionDifferent is dropped.
  void SetFlags(int32_t flags);
  int32_t FlagsEx() const { return record_.flags_ex; }
  void SetFlagsEx(int32_t flags) { record_.flags_ex = flags; }

  // Sizes in characters: 520 and 260 while unset. Setting 1 or more makes a new empty buffer of
  // that size (a preset name is lost); less than 1 returns to the default at the next showing.
  int32_t MaxFileSize() const;
  void SetMaxFileSize(int32_t size);
  int32_t MaxFileTitleSize() const;
  void SetMaxFileTitleSize(int32_t size);

  // 1-based position of the filter pair in use; a negative value is stored as 0.
  int32_t FilterIndex() const { return record_.filter_index; }
  void SetFilterIndex(int32_t index) { record_.filter_index = index < 0 ? 0 : index; }

  const std::u16string& DefaultExt() const { return record_.default_ext; }
  void SetDefaultExt(const std::u16string& ext) { record_.default_ext = ext; }

  intptr_t CustomHookData() const { return record_.hook_data; }
  void SetCustomHookData(intptr_t data) { record_.hook_data = data; }
  intptr_t CustomHookProc() const { return record_.hook_proc; }
  void SetCustomHookProc(intptr_t proc) { record_.hook_proc = proc; }

  int32_t CustomFilterSize() const { return record_.custom_filter_size; }
  // 1 or more: an empty buffer of that size; less than 1: no buffer.
  void SetCustomFilterSize(int32_t size);

  // After a showing that failed because the file buffer was too small: the size the platform
  // asked for (-1 when it could not say); 0 otherwise.
  int32_t MinimumBufferSizeRequired() const { return minimum_buffer_size_; }

  // The record as the next (or last) showing sees it.
  const DialogRecord& record() const { return record_; }

 private:
  bool Show(uint32_t owner_hwnd, bool is_save);
  void PrepareDialogRecord(uint32_t owner_hwnd, bool is_save);
  [[noreturn]] void RaiseDialogError(uint32_t code, bool is_save);

  FileChooser* chooser_;
  DialogRecord record_;
  int32_t requested_flags_ = 0;
  bool cancel_error_ = false;
  int32_t minimum_buffer_size_ = 0;
};

}  // namespace filedialog

#endif  // MDBTOMYSQL_FILEDIALOG_UNICODE_FILE_DIALOG_H_
