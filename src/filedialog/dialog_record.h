#ifndef MDBTOMYSQL_FILEDIALOG_DIALOG_RECORD_H_
#define MDBTOMYSQL_FILEDIALOG_DIALOG_RECORD_H_

#include <cstdint>
#include <string>

namespace filedialog {

// The parameter record of one open or save dialog, member for member the platform's published
// open-file-name structure (OPENFILENAMEW). Texts are UTF-16. A text buffer holds exactly its
// size in characters; a name in it ends at the first NUL, or at the buffer's end when it fills it.
struct DialogRecord {
  // lStructSize: 88 bytes for the record with the extended members, 76 without them; 0 until the
  // first showing.
  int32_t struct_size = 0;
  uint32_t owner = 0;  // hwndOwner
  // lpstrFilter: "description NUL pattern NUL ..." followed by one more NUL; the end of the text
  // stands for the terminator that ends the list. Empty: no filter.
  std::u16string filter;
  std::u16string custom_filter;  // lpstrCustomFilter, custom_filter_size characters or empty
  int32_t custom_filter_size = 0;
  int32_t filter_index = 0;   // 1-based position of the chosen filter pair; 0 the custom filter
  std::u16string file;        // lpstrFile: the preset name, then the chosen file(s)
  int32_t file_size = 0;      // nMaxFile
  std::u16string file_title;  // lpstrFileTitle: the chosen file's name without its folder
  int32_t file_title_size = 0;
  std::u16string initial_dir;
  std::u16string title;
  int32_t flags = 0;
  // Positions (from 0) in `file` of the first file name and of the character after the
  // extension's dot; written by the dialog.
  uint16_t file_offset = 0;
  uint16_t extension_offset = 0;
  std::u16string default_ext;
  intptr_t hook_data = 0;  // lCustData
  intptr_t hook_proc = 0;  // lpfnHook
  int32_t flags_ex = 0;
};

// The record's flags (OFN_*) that the dialog class and the choosers interpret.
inline constexpr int32_t kOfnReadOnly = 0x1;
inline constexpr int32_t kOfnOverwritePrompt = 0x2;
inline constexpr int32_t kOfnAllowMultiSelect = 0x200;
// Output only: the chosen name's extension differs from the default extension.
inline constexpr int32_t kOfnExtensionDifferent = 0x400;
inline constexpr int32_t kOfnPathMustExist = 0x800;
inline constexpr int32_t kOfnFileMustExist = 0x1000;
inline constexpr int32_t kOfnExplorer = 0x80000;

// The platform's extended error codes of the common dialogs (CommDlgExtendedError).
inline constexpr uint32_t kCdErrStructSize = 1;
inline constexpr uint32_t kCdErrInitialization = 2;
inline constexpr uint32_t kCdErrNoTemplate = 3;
inline constexpr uint32_t kCdErrNoHInstance = 4;
inline constexpr uint32_t kCdErrLoadStrFailure = 5;
inline constexpr uint32_t kCdErrFindResFailure = 6;
inline constexpr uint32_t kCdErrLoadResFailure = 7;
inline constexpr uint32_t kCdErrLockResFailure = 8;
inline constexpr uint32_t kCdErrMemAllocFailure = 9;
inline constexpr uint32_t kCdErrMemLockFailure = 10;
inline constexpr uint32_t kCdErrRegisterMsgFail = 12;
inline constexpr uint32_t kFnErrSubclassFailure = 0x3001;
inline constexpr uint32_t kFnErrInvalidFileName = 0x3002;
inline constexpr uint32_t kFnErrBufferTooSmall = 0x3003;
inline constexpr uint32_t kCdErrDialogFailure = 0xFFFF;

}  // namespace filedialog

#endif  // MDBTOMYSQL_FILEDIALOG_DIALOG_RECORD_H_
