#include "jet/general_sort_key.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/utf16.h"
#include "jet/general_sort_codes.h"

namespace jet {
namespace {

// A key has up to four parts: the inline bytes of every character, then 0x01; the accent bytes,
// one per position (0x02 where a position has none, trailing ones dropped); then, when there are
// kana or unprintable characters, 01 01, the kana marks, and 01 with each unprintable character's
// position and code; then 0x00. The per-character codes are general_sort_codes.cpp.
//
// Positions. Until the first accent byte, a position is a sort element: an expansion counts once
// per element (ß = "ss" takes two, so the accent of the ä in "Plutzer Lebensmittelgroßmärkte AG"
// sits at position 26, and the hyphen in "NuNuCa Nuß-Nougat" at 11). From the first accent byte
// on, a character counts once, whatever its elements: an unprintable character's position is then
// the number of accent bytes written plus the characters since the last accented one. Both halves
// are what Access wrote: its Northwind samples (Jet 4.0) for the first; for the second, a key in
// testUnicodeCompV2003.mdb (written by a later Access) that has Æ, Þ, ß, æ and þ after accented
// letters. Jackcess counts characters throughout and so misses the first; where the two differ,
// this follows Access.
class KeyBuilder {
 public:
  explicit KeyBuilder(bool ordering_only) : ordering_only_(ordering_only) {}

  // Adds one UTF-16 unit; false when it has no key (and the key is not for ordering only).
  bool Add(char16_t unit) {
    const SortCodeRun& run = RunOf(unit);
    const uint32_t code = run.code + run.step * static_cast<uint32_t>(unit - run.first);
    const size_t at = position_;
    switch (run.kind) {
      case kIgnored:
        return true;
      case kNoKey:
        if (!ordering_only_) return false;
        inline_ += '\xFF';
        Append(&inline_, unit, 2);
        ++position_;
        return true;
      case kSimple:
        Append(&inline_, code, run.inline_length);
        position_ += accents_started_ ? 1 : run.elements;
        return true;
      case kAccented:
      case kKana:
      case kSmallKana:
        if (run.extra_length != 0) accents_started_ = true;
        Append(&inline_, code, run.inline_length);
        position_ += accents_started_ ? 1 : run.elements;
        if (run.extra_length != 0) {
          PadAccents(at);
          Append(&accents_, run.extra, run.extra_length);
          ++accented_chars_;
        }
        if (run.kind != kAccented) kana_ += run.kind == kSmallKana ? '\x02' : '\x03';
        return true;
      case kModifier:
        accents_started_ = true;
        PadAccents(at);
        if (accents_.empty()) {
          accents_ += static_cast<char>(run.extra);
          modifier_prefix_ = 1;
        } else {
          accents_.back() = static_cast<char>(static_cast<uint8_t>(accents_.back()) + run.extra);
        }
        return true;
      case kUnprintable:
        AddUnprintable(at, static_cast<uint8_t>(run.extra));
        return true;
    }
    return false;
  }

  std::string Finish() {
    std::string key = std::move(inline_);
    key += '\x01';
    while (!accents_.empty() && static_cast<uint8_t>(accents_.back()) <= 0x02) accents_.pop_back();
    key += accents_;
    if (!kana_.empty() || !unprintables_.empty()) {
      key += "\x01\x01";
      if (!kana_.empty()) AppendKanaMarks(&key);
      if (!unprintables_.empty()) {
        key += '\x01';
        key += unprintables_;
      }
    }
    key += '\x00';
    return key;
  }

 private:
  static const SortCodeRun& RunOf(char16_t unit) {
    // Most texts are Latin-1: its runs are looked up once.
    static const std::array<const SortCodeRun*, 256> latin1 = [] {
      std::array<const SortCodeRun*, 256> runs{};
      for (char16_t u = 0; u < 256; ++u) runs[u] = &Search(u);
      return runs;
    }();
    return unit < 256 ? *latin1[unit] : Search(unit);
  }

  static const SortCodeRun& Search(char16_t unit) {
    const SortCodeRun* end = kGeneralSortCodes + kGeneralSortCodeRuns;
    const SortCodeRun* after = std::upper_bound(
        kGeneralSortCodes, end, unit, [](char16_t u, const SortCodeRun& r) { return u < r.first; });
    return *(after - 1);  // the first run starts at U+0000
  }

  static void Append(std::string* out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
      out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }

  // Fills the positions before `at` that have no accent byte with 0x02.
  void PadAccents(size_t at) {
    if (accented_chars_ < at) {
      accents_.append(at - accented_chars_, '\x02');
      accented_chars_ = at;
    }
  }

  void AddUnprintable(size_t at, uint8_t code) {
    const size_t position =
        accents_started_ ? accents_.size() + (at - accented_chars_) - modifier_prefix_ : at;
    Append(&unprintables_, 0x8000u | static_cast<uint32_t>(7 + 4 * position), 2);
    unprintables_ += '\x06';
    unprintables_ += static_cast<char>(code);
  }

  // Kana marks, 2 bits each, three to a byte under 0x80 (trailing plain-kana marks dropped), then
  // a fixed tail, and 0xFF when unprintable codes follow.
  void AppendKanaMarks(std::string* key) const {
    std::string marks = kana_;
    while (!marks.empty() && marks.back() == '\x03') marks.pop_back();
    for (size_t i = 0; i < marks.size(); i += 3) {
      uint8_t byte = 0x80;
      for (size_t j = 0; j < 3 && i + j < marks.size(); ++j)
        byte |= static_cast<uint8_t>(marks[i + j] << (2 * (2 - j)));
      *key += static_cast<char>(byte);
    }
    *key += std::string("\xFF\x02\x80\xFF\x80", 5);
    if (!unprintables_.empty()) *key += '\xFF';
  }

  const bool ordering_only_;
  std::string inline_;
  std::string accents_;
  std::string kana_;          // one mark per kana: 2 small, 3 plain
  std::string unprintables_;  // position (2 bytes), 0x06, code
  size_t position_ = 0;       // positions so far (see above)
  bool accents_started_ = false;
  size_t accented_chars_ = 0;   // positions the accent bytes cover
  size_t modifier_prefix_ = 0;  // 1 when a combining mark came before any accent byte
};

std::optional<std::string> Key(std::string_view utf8, bool ordering_only) {
  std::u16string text = base::Utf8ToUtf16(utf8);
  if (text.size() > 255) text.resize(255);
  while (!text.empty() && text.back() == u' ') text.pop_back();
  KeyBuilder builder(ordering_only);
  for (char16_t unit : text) {
    if (!builder.Add(unit)) return std::nullopt;
  }
  return builder.Finish();
}

}  // namespace

std::optional<std::string> GeneralTextKey(std::string_view utf8) { return Key(utf8, false); }

std::string GeneralSortKey(std::string_view utf8) { return *Key(utf8, true); }

}  // namespace jet
