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

namespace qivra {

bool LoadFormulaPositions(const DrawHistory& history, int i, int count, FormulaPositions& positions) {
    if (i < 1 || count < 1 || count > 6 || i + count - 1 > history.size()) return false;
    for (int k = 0; k < count; ++k) {
        const DrawRecord& d = history.at(i + k);
        positions[static_cast<size_t>(3 * k)] = d.digit1;
        positions[static_cast<size_t>(3 * k + 1)] = d.digit2;
        positions[static_cast<size_t>(3 * k + 2)] = d.digit3;
    }
    return true;
}

}  // namespace qivra
