#include "core/history_colours.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/classify.hpp"

namespace qivra {
namespace {

TEST(HistoryColours, AttributeTextsHaveTheirColours) {
    struct Case {
        const char* text;
        Rgb colour;
    };
    const Case cases[] = {
        {"大", {255, 0, 0}},   {"双", {255, 80, 128}}, {"大双", {0, 128, 0}}, {"中", {0, 128, 0}},
        {"边", {128, 128, 0}}, {"0", {128, 160, 128}}, {"4", {0, 128, 128}},  {"小单", {128, 0, 0}},
        // Anything the table does not name, a near miss included, is black.
        {"", colours::kBlack}, {"5", colours::kBlack},   {"大 ", colours::kBlack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(AttributeColour(c.text), c.colour);
    }
}

TEST(HistoryColours, EveryClassifiedSumShowsInColour) {
    // The remainder columns share one table, so a remainder of 4 must not fall through to black.
    for (int sum = 0; sum <= 27; ++sum) {
        SCOPED_TRACE(sum);
        for (const std::string& text : {SizeText(sum), ParityText(sum), CombinationText(sum), MiddleEdgeText(sum),
                                        std::to_string(Mod3(sum)), std::to_string(Mod4(sum)), std::to_string(Mod5(sum))})
            EXPECT_NE(AttributeColour(text), colours::kBlack) << text;
    }
}

}  // namespace
}  // namespace qivra
