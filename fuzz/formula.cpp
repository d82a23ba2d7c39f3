// Formula texts: compiling never fails hard, and every formula reads as a digit 0-9 for any
// positions, the same as the text-at-once form.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "custom/formula.hpp"
#include "fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first 18 bytes (when there are that many) are the positions, the rest the formula.
    qivra::FormulaPositions positions{};
    size_t used = 0;
    if (size >= positions.size()) {
        for (size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<int8_t>(data[i]);
        used = positions.size();
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + used, size - used);
    const qivra::Formula formula = qivra::Formula::Compile(text);
    const int32_t digit = qivra::EvaluateFormula(formula, positions);
    QIVRA_FUZZ_CHECK(digit >= 0 && digit <= 9);
    QIVRA_FUZZ_CHECK(digit == qivra::EvaluateFormulaText(text, positions));
    double value = 0;
    QIVRA_FUZZ_CHECK(formula.Evaluate(positions, value) == formula.valid());
    if (formula.valid()) QIVRA_FUZZ_CHECK(qivra::DigitOfValue(value) == digit);
    // Whole text of the number reads as the same digit.
    (void)qivra::JsNumberText(value);
    return 0;
}
