#include "core/draw.hpp"

#include "core/classify.hpp"

namespace qivra {

DrawRecord DrawRecord::Make(std::string period, std::string time, int32_t a, int32_t b, int32_t c) {
    DrawRecord d;
    d.period = std::move(period);
    d.time = std::move(time);
    d.digit1 = a;
    d.digit2 = b;
    d.digit3 = c;
    d.sum = a + b + c;
    d.content = FormatDrawContent(a, b, c, nullptr, false);
    return d;
}

}  // namespace qivra
