#include "jet/row.h"

#include <optional>
#include <string_view>

#include "jet/long_value.h"
#include "jet/row_layout.h"
#include "jet/stored_value.h"
#include "jet/text.h"

namespace jet {

void RowDecoder::Decode(const uint8_t* row, size_t length, PageNumber page,
                        std::vector<Value>* values) {
  const StoredRow stored(def_, row, length, cache_, page);
  values->resize(def_.columns.size());
  for (size_t i = 0; i < def_.columns.size(); ++i) {
    const Column& c = def_.columns[i];
    Value* v = &(*values)[i];
    if (!wanted_.empty() && (i >= wanted_.size() || !wanted_[i])) {
      *v = std::monostate{};
      continue;
    }
    const std::optional<std::string_view> bytes = stored.Bytes(c);
    if (c.type == kTypeBoolean) {
      *v = bytes.has_value();
      continue;
    }
    if (!bytes) {
      *v = std::monostate{};
      continue;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    if (c.type == kTypeMemo) {
      std::string raw;
      ReadLongValue(cache_, data, bytes->size(), &raw);
      if (!std::holds_alternative<std::string>(*v)) v->emplace<std::string>();
      DecodeText(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(),
                 &std::get<std::string>(*v));
    } else if (c.type == kTypeOle) {
      if (!std::holds_alternative<Binary>(*v)) v->emplace<Binary>();
      ReadLongValue(cache_, data, bytes->size(), &std::get<Binary>(*v).bytes);
    } else {
      DecodeValue(c, data, bytes->size(), cache_, page, v);
    }
  }
}

}  // namespace jet
