#include "manifest/attribute_index.h"

#include <cmath>

namespace manifest {

AttributeIndex::AttributeIndex(double position) : kind_(Kind::kInvalidPosition) {
  if (std::isnan(position)) return;
  const double below = std::floor(position);
  const double fraction = position - below;
  double rounded = fraction < 0.5 ? below : below + 1;
  if (fraction == 0.5 && std::fmod(below, 2) == 0) rounded = below;
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return;
  }
  kind_ = Kind::kPosition;
  position_ = static_cast<int32_t>(rounded);
}

}  // namespace manifest
