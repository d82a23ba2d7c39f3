#pragma once
// Colours as the windows show them; the pure layers return these and ui/ paints them.

#include <cstdint>

namespace qivra {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

namespace colours {
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kMaroon{128, 0, 0};
inline constexpr Rgb kTeal{0, 128, 128};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kDarkGrey{96, 96, 96};
inline constexpr Rgb kLightGrey{236, 236, 236};  // plain link background
inline constexpr Rgb kLightBlue{158, 201, 251};  // chosen link background
}  // namespace colours

}  // namespace qivra
