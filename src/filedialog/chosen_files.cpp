#include "filedialog/chosen_files.h"

#include <algorithm>
#include <limits>

namespace filedialog {
namespace {

constexpr size_t kMaxOffset = std::numeric_limits<uint16_t>::max();

// Where the name part of `path` starts.
size_t NameStart(const std::u16string& path) {
  const size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? 0 : slash + 1;
}

// Copies `content` over the start of `buffer`, which holds at least that many characters.
void WriteOver(std::u16string& buffer, const std::u16string& content) {
  std::copy(content.begin(), content.end(), buffer.begin());
}

size_t Capacity(const std::u16string& buffer, int32_t size) {
  return size <= 0 ? 0 : std::min(buffer.size(), static_cast<size_t>(size));
}

uint32_t BufferTooSmall(DialogRecord& record, size_t needed) {
  if (Capacity(record.file, record.file_size) >= 1) {
    record.file[0] = static_cast<char16_t>(std::min(needed, kMaxOffset));
  }
  return kFnErrBufferTooSmall;
}

}  // namespace

uint32_t StoreChosenFiles(DialogRecord& record, const std::vector<std::u16string>& paths) {
  if (paths.empty()) return kFnErrInvalidFileName;
  const bool multiple = paths.size() > 1;
  if (multiple && (record.flags & kOfnAllowMultiSelect) == 0) return kFnErrInvalidFileName;

  std::u16string content;
  size_t file_offset = 0;
  size_t extension_offset = 0;
  std::u16string title;
  if (!multiple) {
    const std::u16string& path = paths.front();
    file_offset = NameStart(path);
    title = path.substr(file_offset);
    const size_t dot = title.rfind(u'.');
    if (dot == std::u16string::npos) {
      extension_offset = path.size();
    } else if (dot + 1 < title.size()) {
      extension_offset = file_offset + dot + 1;
    }
    content = path;
    content += u'\0';
  } else {
    const size_t first_start = NameStart(paths.front());
    if (first_start == 0) return kFnErrInvalidFileName;
    // The folder keeps its slash only when it is the root.
    const std::u16string folder = paths.front().substr(0, first_start > 1 ? first_start - 1 : 1);
    content = folder;
    content += u'\0';
    file_offset = content.size();
    for (const std::u16string& path : paths) {
      const size_t start = NameStart(path);
      if (start != first_start || path.compare(0, start, paths.front(), 0, start) != 0 ||
          start == path.size()) {
        return kFnErrInvalidFileName;
      }
      content.append(path, start);
      content += u'\0';
    }
    content += u'\0';
  }
  if (file_offset > kMaxOffset || extension_offset > kMaxOffset) return kFnErrInvalidFileName;
  if (content.size() > Capacity(record.file, record.file_size)) {
    return BufferTooSmall(record, content.size());
  }

  WriteOver(record.file, content);
  record.file_offset = static_cast<uint16_t>(file_offset);
  record.extension_offset = static_cast<uint16_t>(extension_offset);
  const size_t title_capacity = Capacity(record.file_title, record.file_title_size);
  if (title_capacity > 0) {
    title.resize(std::min(title.size(), title_capacity - 1));
    title += u'\0';
    WriteOver(record.file_title, title);
  }
  return 0;
}

}  // namespace filedialog
