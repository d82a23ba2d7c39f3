#include "core/history_colours.hpp"

#include <array>
#include <utility>

namespace qivra {

Rgb AttributeColour(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, Rgb>, 15> kColours = {{
        {"大", {255, 0, 0}},     {"小", {0, 0, 255}},     {"单", {144, 0, 255}},  {"双", {255, 80, 128}},
        {"小单", {128, 0, 0}},   {"小双", {128, 0, 128}}, {"大单", {0, 0, 255}},  {"大双", {0, 128, 0}},
        {"中", {0, 128, 0}},     {"边", {128, 128, 0}},   {"0", {128, 160, 128}}, {"1", {0, 96, 192}},
        {"2", {255, 128, 0}},    {"3", {128, 0, 128}},    {"4", {0, 128, 128}},
    }};
    for (const auto& [key, colour] : kColours)
        if (key == text) return colour;
    return colours::kBlack;
}

}  // namespace qivra
