#pragma once
// The colours of the trend grid's attribute cells, by the text the cell shows.

#include <string_view>

#include "core/colour.hpp"

namespace qivra {

// Background of a trend-grid attribute cell ("大", "小单", "中", a remainder digit …); black for
// any other text.
Rgb AttributeColour(std::string_view text);

}  // namespace qivra
