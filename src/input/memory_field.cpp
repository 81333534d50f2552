#include "input/memory_field.h"

#include <algorithm>
#include <utility>

#include "base/utf16.h"

namespace input {

MemoryField::MemoryField(std::string name, std::string text)
    : name_(std::move(name)), text_(std::move(text)) {}

int MemoryField::Length() const { return static_cast<int>(base::Utf8ToUtf16(text_).size()); }

void MemoryField::SetText(const std::string& text) {
  text_ = text;
  sel_start_ = std::min(sel_start_, Length());
  sel_length_ = std::min(sel_length_, Length() - sel_start_);
}

void MemoryField::SetSelStart(int start) {
  sel_start_ = std::clamp(start, 0, Length());
  sel_length_ = 0;
}

void MemoryField::SetSelLength(int length) {
  sel_length_ = std::clamp(length, 0, Length() - sel_start_);
}

}  // namespace input
