// The values of a row that decode but that no sound file holds. Each is read the same way by
// every reader only by chance: half a surrogate pair has no UTF-8 form, a date past Jet's years
// has no calendar date, and long values whose pieces are not where they belong are read
// differently by each reader.
#include <algorithm>
#include <cstdio>

#include "jet/byte_order.h"
#include "jet/catalogue.h"
#include "jet/check_parts.h"
#include "jet/date_time.h"
#include "jet/text.h"

namespace jet {
namespace {


}  // namespace

std::string RowValueCheck::ValueFlaw(const Column& c, const uint8_t* data, size_t size) {
  switch (c.type) {
    case kTypeText: {
      const std::string flaw = TextFlaw(data, size);
      return flaw.empty() ? flaw : "holds " + flaw;
    }
    case kTypeMemo:
    case kTypeOle: {
      std::string raw;
      std::string flaw = long_values_.Read(c, data, size, &raw);
      const auto* bytes = reinterpret_cast<const uint8_t*>(raw.data());
      if (flaw.empty() && c.type == kTypeMemo) {
        flaw = TextFlaw(bytes, raw.size());
        if (!flaw.empty()) flaw = "holds " + flaw;
      }
      if (flaw.empty() && def_.page == kCataloguePage && c.name == "LvProp" && !raw.empty()) {
        flaw = PropertyBlobFlaw(bytes, raw.size());
        if (!flaw.empty()) flaw = "holds " + flaw;
      }
      return flaw;
    }
    case kTypeInteger:
      if (def_.page != kCataloguePage || c.name != "Type") return "";
      return CatalogueTypeFlaw(static_cast<int16_t>(LoadU16(data)));
    case kTypeDateTime: {
      DateTime t;
      const double days = LoadDouble(data);
      if (JetDateToDateTime(days, &t, /*round_to_second=*/true)) return "";
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", days);
      return std::string("holds the date value ") + text + ", outside the years 100 to 9999";
    }
    default:
      return "";
  }
}

std::string RowValueCheck::OffsetsFlaw(const StoredRow& layout) const {
  // Variable data follows the fixed area of the columns the row was written with, in the order
  // of the offset table, up to its end entry; mdbtools drops a row whose end entry is wrong.
  if (def_.variable_columns == 0) return "";
  size_t fixed_end = 2;
  for (const Column& c : def_.columns) {
    if (!c.fixed() || c.type == kTypeBoolean || c.number >= layout.column_count()) continue;
    const size_t size = FixedSize(c.type) != 0 ? FixedSize(c.type) : c.length;
    fixed_end = std::max(fixed_end, 2 + static_cast<size_t>(c.fixed_offset) + size);
  }
  size_t previous = fixed_end;
  for (size_t i = 0; i <= layout.variable_count(); ++i) {
    const size_t offset = layout.VariableOffset(i);
    if (offset < previous || offset > layout.data_end()) {
      return "the row's variable-column offset " + std::to_string(i) + " is " +
             std::to_string(offset) + ", not between " + std::to_string(previous) + " and " +
             std::to_string(layout.data_end());
    }
    previous = offset;
  }
  return "";
}

void RowValueCheck::Row(const uint8_t* row, size_t length, PageNumber page,
                        const std::string& where) {
  try {
    const StoredRow layout(def_, row, length, cache_, page);
    if (layout.column_count() > def_.max_columns ||
        layout.variable_count() > def_.variable_columns) {
      report_->errors.push_back(
          where + ": the row claims " + std::to_string(layout.column_count()) + " columns (" +
          std::to_string(layout.variable_count()) + " variable), the table has " +
          std::to_string(def_.max_columns) + " (" + std::to_string(def_.variable_columns) + ")");
    }
    if (const std::string flaw = OffsetsFlaw(layout); !flaw.empty()) {
      report_->errors.push_back(where + ": " + flaw);
    }
    for (const Column& c : def_.columns) {
      if (c.type == kTypeBoolean) continue;  // its value is the null mask's bit
      const std::optional<std::string_view> bytes = layout.Bytes(c);
      if (!bytes) continue;
      const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
      const size_t size = bytes->size();
      if (const size_t need = FixedSize(c.type); need != 0 && !c.fixed() && size < need) {
        report_->errors.push_back(where + ": column " + c.name + " holds " +
                                  std::to_string(size) + " bytes, needs " + std::to_string(need));
        continue;
      }
      const std::string flaw = ValueFlaw(c, data, size);
      if (!flaw.empty()) report_->errors.push_back(where + ": column " + c.name + " " + flaw);
    }
  } catch (const Error& e) {
    report_->errors.push_back(where + ": " + e.what());
  }
}

}  // namespace jet
