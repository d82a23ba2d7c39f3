#include "service/draw_bias.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "service/draw_schedule.hpp"
#include "service/results_service.hpp"

namespace qivra {
namespace {

TEST(DrawBias, ParsesTheOption) {
    const auto a = ParseDrawBias("0:0.6");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->game, 0);
    EXPECT_EQ(a->fromSum, 14);
    EXPECT_DOUBLE_EQ(a->probability, 0.6);
    EXPECT_EQ(DrawBiasText(*a), "game 0: sums of 14 and more drawn with probability 0.6");
    const auto b = ParseDrawBias("1:0.25:20");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->game, 1);
    EXPECT_EQ(b->fromSum, 20);
    for (const char* bad : {"", "0", "2:0.6", "0:1.5", "0:-0.1", "0:x", "0:0.6:0", "0:0.6:28", "0:0.6:14.5",
                            "0:0.6:14:1", "0:nan", " 0:0.6"})
        EXPECT_FALSE(ParseDrawBias(bad)) << bad;
    EXPECT_EQ(DrawBiasText(DrawBias{}), "off");
}

TEST(DrawBias, OnlyTheNamedGameIsBiased) {
    const DrawBias bias{0, 14, 0.6};
    int high = 0;
    for (int64_t period = 1; period <= 20000; ++period) {
        int a, b, c, fa, fb, fc;
        BiasedDrawDigits(7, 0, period, bias, a, b, c);
        high += a + b + c >= 14 ? 1 : 0;
        // The same period always gives the same digits.
        int a2, b2, c2;
        BiasedDrawDigits(7, 0, period, bias, a2, b2, c2);
        EXPECT_EQ(a * 100 + b * 10 + c, a2 * 100 + b2 * 10 + c2);
        // The other game, and an inactive bias, draw as before.
        BiasedDrawDigits(7, 1, period, bias, a, b, c);
        DrawDigits(7, 1, period, fa, fb, fc);
        EXPECT_EQ(a * 100 + b * 10 + c, fa * 100 + fb * 10 + fc);
        BiasedDrawDigits(7, 0, period, DrawBias{}, a, b, c);
        DrawDigits(7, 0, period, fa, fb, fc);
        EXPECT_EQ(a * 100 + b * 10 + c, fa * 100 + fb * 10 + fc);
    }
    EXPECT_NEAR(high / 20000.0, 0.6, 0.015);  // 4.3 standard errors
}

TEST(DrawBias, ServiceFeedCarriesTheBias) {
    ResultsService::Options options;
    options.feedLines = 2000;
    options.bias = DrawBias{0, 14, 0.6};
    ResultsService biased(options);
    const auto now = std::chrono::system_clock::from_time_t(1800000000);
    biased.SetClock([now] { return now; });
    ResultsService fair;
    fair.SetClock([now] { return now; });
    std::istringstream lines(biased.FeedText(0));
    int high = 0, count = 0;
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.rfind("= ");
        ASSERT_NE(eq, std::string::npos) << line;
        high += std::stoi(line.substr(eq + 2)) >= 14 ? 1 : 0;
        ++count;
    }
    EXPECT_EQ(count, 2000);
    EXPECT_NEAR(high / 2000.0, 0.6, 0.045);
    // Game 1 keeps the fair digits.
    options.bias = {};
    ResultsService plain(options);
    plain.SetClock([now] { return now; });
    EXPECT_EQ(biased.FeedText(1), plain.FeedText(1));
    EXPECT_NE(biased.FeedText(0), plain.FeedText(0));
}

}  // namespace
}  // namespace qivra
