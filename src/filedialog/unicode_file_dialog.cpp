#include "filedialog/unicode_file_dialog.h"

#include <algorithm>
#include <string>

#include "filedialog/dialog_error.h"

namespace filedialog {
namespace {

constexpr int32_t kDefaultFileSize = 520;
constexpr int32_t kDefaultFileTitleSize = 260;
// Record sizes in bytes: with the extended members (pvReserved, dwReserved, FlagsEx), which the
// NT family understands from version 5 on, and without them.
constexpr int32_t kRecordSizeExtended = 88;
constexpr int32_t kRecordSizeClassic = 76;
constexpr uint32_t kPlatformNt = 2;
// vbObjectError: the number raised for a cancelled dialog.
constexpr long kCancelErrorNumber = -2147221504;

const char* Description(uint32_t code) {
  switch (code) {
    case 0:
      return "Cancel was seleted";
    case kCdErrStructSize:
      return "The lStructSize member of the initialization structure for the corresponding common "
             "dialog box is invalid.";
    case kCdErrInitialization:
      return "The common dialog box function failed during initialization.";
    case kCdErrNoTemplate:
      return "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure "
             "for the corresponding common dialog box, but you failed to provide a corresponding "
             "template.";
    case kCdErrNoHInstance:
      return "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure "
             "for the corresponding common dialog box, but you failed to provide a corresponding "
             "instance handle.";
    case kCdErrLoadStrFailure:
      return "The common dialog box function failed to load a specified string.";
    case kCdErrFindResFailure:
    case kCdErrLoadResFailure:
      return "The common dialog box function failed to find a specified resource.";
    case kCdErrLockResFailure:
      return "The common dialog box function failed to lock a specified resource.";
    case kCdErrMemAllocFailure:
      return "The common dialog box function was unable to allocate memory for internal "
             "structures.";
    case kCdErrMemLockFailure:
      return "The common dialog box function was unable to lock the memory associated with a "
             "handle.";
    case kCdErrRegisterMsgFail:
      return "The RegisterWindowMessage function returned an error code when it was called by the "
             "common dialog box function.";
    case kFnErrSubclassFailure:
      return "An attempt to subclass a list box failed because sufficient memory was not "
             "available.";
    case kFnErrInvalidFileName:
      return "A file name is invalid.";
    case kFnErrBufferTooSmall:
      return "The PathFileBufferSize is too small for the file name(s) specified by the user.";
    case kCdErrDialogFailure:
      return "The dialog box could not be created";
    default:
      return nullptr;
  }
}

// `text` up to its first NUL.
std::u16string UpToNul(const std::u16string& text, size_t from = 0) {
  if (from >= text.size()) return {};
  const size_t nul = text.find(u'\0', from);
  return text.substr(from, nul == std::u16string::npos ? std::u16string::npos : nul - from);
}

// Writes a preset name into a buffer of `size` characters (0: not made yet).
void PresetBuffer(std::u16string& buffer, int32_t& size, const std::u16string& text,
                  int32_t default_size) {
  const auto length = static_cast<int32_t>(text.size());
  if (length > size || size == 0) {
    // A buffer that is made here holds the default size, or the whole name when it is longer:
    // a shorter buffer would cut the name.
    size = size != 0 ? length : std::max(default_size, length);
    buffer.assign(static_cast<size_t>(size), u'\0');
  }
  if (text.empty()) {
    if (!buffer.empty()) buffer[0] = u'\0';
  } else if (size != length) {
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = u'\0';
  } else {
    buffer = text;
  }
}

void ResizeBuffer(std::u16string& buffer, int32_t& size, int32_t new_size) {
  if (new_size >= 1) {
    size = new_size;
    buffer.assign(static_cast<size_t>(new_size), u'\0');
  } else {
    size = 0;
  }
}

}  // namespace

bool UnicodeFileDialog::ShowOpen(uint32_t owner_hwnd) { return Show(owner_hwnd, false); }

bool UnicodeFileDialog::ShowSave(uint32_t owner_hwnd) { return Show(owner_hwnd, true); }

bool UnicodeFileDialog::Show(uint32_t owner_hwnd, bool is_save) {
  PrepareDialogRecord(owner_hwnd, is_save);
  const ChooserResult result = chooser_->Show(record_, is_save);
  if (result.chosen) return true;
  if (result.extended_error != 0 || cancel_error_) RaiseDialogError(result.extended_error, is_save);
  return false;
}

void UnicodeFileDialog::PrepareDialogRecord(uint32_t owner_hwnd, bool is_save) {
  if (record_.struct_size == 0) {
    const PlatformVersion version = chooser_->Version();
    const bool extended = version.known && version.platform_id == kPlatformNt && version.major >= 5;
    record_.struct_size = extended ? kRecordSizeExtended : kRecordSizeClassic;
  }
  minimum_buffer_size_ = 0;
  record_.owner = owner_hwnd;
  if (record_.file_size == 0) ResizeBuffer(record_.file, record_.file_size, kDefaultFileSize);
  if (record_.file_title_size == 0) {
    ResizeBuffer(record_.file_title, record_.file_title_size, kDefaultFileTitleSize);
  }
  int32_t flags = requested_flags_;
  if (is_save) {
    flags &= ~kOfnFileMustExist;
  } else {
    flags &= ~kOfnOverwritePrompt;
    if (flags & kOfnFileMustExist) flags |= kOfnPathMustExist;
  }
  record_.flags = flags;
}

void UnicodeFileDialog::RaiseDialogError(uint32_t code, bool is_save) {
  std::string source = std::string("Common Dialog ") + (is_save ? "Save" : "Open");
  if (code == 0) throw DialogError(kCancelErrorNumber, Description(0), std::move(source));
  if (code == kFnErrBufferTooSmall) {
    // The platform puts the size it needs into the buffer's first character.
    minimum_buffer_size_ = record_.file.size() > 4 ? static_cast<uint16_t>(record_.file[0]) : -1;
  }
  const char* known = Description(code);
  std::string description = known ? known : "Unknown error code of " + std::to_string(code);
  throw DialogError(static_cast<long>(code), std::move(description), std::move(source));
}

void UnicodeFileDialog::Clear() {
  record_ = DialogRecord();
  requested_flags_ = 0;
  minimum_buffer_size_ = 0;
  cancel_error_ = false;
}

std::u16string UnicodeFileDialog::FileName() const {
  const std::u16string& buffer = record_.file;
  if (record_.file_offset == 0) return UpToNul(buffer);
  // The NUL that ends the folder (after a multiple selection) or the whole path: searched from
  // the character before the first name.
  const size_t nul = buffer.find(u'\0', record_.file_offset - 1u);
  if (nul == std::u16string::npos) return buffer;
  return buffer.substr(0, nul);
}

void UnicodeFileDialog::SetFileName(const std::u16string& name) {
  PresetBuffer(record_.file, record_.file_size, name, kDefaultFileSize);
}

std::u16string UnicodeFileDialog::FileTitle() const { return UpToNul(record_.file_title); }

void UnicodeFileDialog::SetFileTitle(const std::u16string& title) {
  PresetBuffer(record_.file_title, record_.file_title_size, title, kDefaultFileTitleSize);
}

void UnicodeFileDialog::SetInitDir(const std::u16string& path) {
  record_.initial_dir = path;
  if (!path.empty() && path.back() != u'\\') record_.initial_dir += u'\\';
}

std::u16string UnicodeFileDialog::FilePath() const {
  if (record_.file_offset == 0) return {};
  return record_.file.substr(0, std::min<size_t>(record_.file_offset - 1u, record_.file.size()));
}

std::u16string UnicodeFileDialog::FileExtension() const {
  if (record_.extension_offset == 0) return {};
  return UpToNul(record_.file, record_.extension_offset);
}

std::u16string UnicodeFileDialog::Filter() const {
  std::u16string shown = record_.filter.substr(0, record_.filter.find(std::u16string(2, u'\0')));
  std::replace(shown.begin(), shown.end(), u'\0', u'|');
  return shown;
}

void UnicodeFileDialog::SetFilter(const std::u16string& filter) {
  if (filter.empty()) {
    record_.filter.clear();
    return;
  }
  record_.filter = filter;
  std::replace(record_.filter.begin(), record_.filter.end(), u'|', u'\0');
  record_.filter += u'\0';
}

void UnicodeFileDialog::SetFlags(int32_t flags) {
  if (flags < 0) return;
  requested_flags_ = flags & ~kOfnExtensionDifferent;
}

int32_t UnicodeFileDialog::MaxFileSize() const {
  return record_.file_size == 0 ? kDefaultFileSize : record_.file_size;
}

void UnicodeFileDialog::SetMaxFileSize(int32_t size) {
  ResizeBuffer(record_.file, record_.file_size, size);
}

int32_t UnicodeFileDialog::MaxFileTitleSize() const {
  return record_.file_title_size == 0 ? kDefaultFileTitleSize : record_.file_title_size;
}

void UnicodeFileDialog::SetMaxFileTitleSize(int32_t size) {
  ResizeBuffer(record_.file_title, record_.file_title_size, size);
}

void UnicodeFileDialog::SetCustomFilterSize(int32_t size) {
  ResizeBuffer(record_.custom_filter, record_.custom_filter_size, size);
  if (size < 1) record_.custom_filter.clear();
}

}  // namespace filedialog
