#include "custom/formula.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "core/classify.hpp"
#include "core/text.hpp"

namespace qivra {
namespace {

// The draws of the help text, newest first: 4 5 8, 6 2 6, 7 8 1, 6 7 9, 2 9 7, 6 1 1.
const FormulaPositions kHelpPositions{4, 5, 8, 6, 2, 6, 7, 8, 1, 6, 7, 9, 2, 9, 7, 6, 1, 1};

TEST(EvaluateFormula, HelpTextAndDefaultFormulas) {
    struct Case { const char* text; int32_t digit; } cases[] = {
        {"[1]+[5]+[9]", 7},
        {"[1]+[8]+[9]+[12]/[8]*[6]", 9},  // 19.75
        {"[9]+[5]+2+[2]", 0},             // 10
        {"[1]*[9]+[5]/[2]+[10]", 0},      // 10.4
        {"[10]", 6},                      // never "[1]" followed by "0]"
        {"[18]", 1},
        {" [1] +\t[2] ", 9},
    };
    for (const Case& c : cases) EXPECT_EQ(EvaluateFormulaText(c.text, kHelpPositions), c.digit) << c.text;
}

TEST(EvaluateFormula, ArithmeticOfAScriptEngine) {
    struct Case { const char* text; int32_t digit; } cases[] = {
        {"0-13.5", 3},  {"-13.5", 3},     {"0.4", 0},       {"1+2*3", 7},    {"(1+2)*3", 9},
        {"8-3-2", 3},   {"2*8/4/2", 2},   {"9/2*2", 9},     {"-[1]", 4},     {"+-[1]", 4},
        {"- -3", 3},    {"3- -3", 6},     {"2*-3", 6},      {".5*4", 2},     {"5.*2", 0},
        {"0.5*6", 3},   {"1/0", 0},       {"0/0", 0},       {"-1/0", 0},     {"[1]/([2]-5)", 0},
        {"4294967297", 1},                // wraps past 32 bits
        {"4294967296+7", 7},
        {"2147483648", 8},                // reads as -2147483648
        {"1000000000000000000000*5", 5},  // "5e+21" reads 5
        {"1/3000000", 3},                 // "3.3333333333333335e-7" reads 3
        {"-1/3000000", 3},
        {"0.000001*7", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(EvaluateFormulaText(c.text, kHelpPositions), c.digit) << c.text;
}

TEST(EvaluateFormula, InvalidTextsGiveZero) {
    const char* invalid[] = {
        "",     "   ",   "[1]+", "(1",    "1)",     "[19]",  "[0]",   "abc",  "1+*2",  "[01]",
        "[ 1]", "[1 ]",  "[]",   "[1",    "[100]",  "()",    "[1][2]", "2[1]", "[1]2",  "(1)(2)",
        "--3",  "3--3",  "3++3", "07",    "1e3",    ".",     "1..2",  "2**3", "x=1",   "7;",
        "[1]+[2]+[3]+alert(1)",           "\xe4\xb8\x80+1",
    };
    for (const char* text : invalid) {
        EXPECT_FALSE(Formula::Compile(text).valid()) << text;
        EXPECT_EQ(EvaluateFormulaText(text, FormulaPositions{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}), 0)
            << text;
    }
    EXPECT_EQ(EvaluateFormula(Formula{}, kHelpPositions), 0);
}

TEST(EvaluateFormula, NestingAndLengthAreBounded) {
    const std::string deepest = std::string(kMaxFormulaNesting, '(') + "7" + std::string(kMaxFormulaNesting, ')');
    EXPECT_EQ(EvaluateFormulaText(deepest, kHelpPositions), 7);
    EXPECT_EQ(EvaluateFormulaText("(" + deepest + ")", kHelpPositions), 0);

    // Right-leaning nesting keeps two operands pending per level.
    std::string chain;
    for (int i = 0; i < kMaxFormulaNesting; ++i) chain += "1+2*(";
    chain += "1" + std::string(kMaxFormulaNesting, ')');
    double value = 0;
    ASSERT_TRUE(Formula::Compile(chain).Evaluate(kHelpPositions, value));
    EXPECT_TRUE(std::isfinite(value));

    EXPECT_EQ(EvaluateFormulaText(std::string(200000, '('), kHelpPositions), 0);
    std::string longest = "1";
    while (longest.size() + 2 <= kMaxFormulaLength) longest += "+1";
    EXPECT_TRUE(Formula::Compile(longest).valid());
    EXPECT_FALSE(Formula::Compile(longest + "+1").valid());

    std::string unary;
    for (int i = 0; i < 1000; ++i) unary += "- ";
    EXPECT_EQ(EvaluateFormulaText(unary + "3", kHelpPositions), 3);
}

TEST(EvaluateFormula, CompiledOnceServesManyPositions) {
    const Formula f = Formula::Compile("[1]*10+[18]");
    FormulaPositions p{};
    for (int32_t a = 0; a < 10; ++a) {
        p[0] = a;
        p[17] = 9 - a;
        EXPECT_EQ(EvaluateFormula(f, p), 9 - a);
    }
}

TEST(JsNumberText, WritesNumbersLikeAScriptEngine) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { double value; const char* text; } cases[] = {
        {10, "10"},
        {19.75, "19.75"},
        {-13.5, "-13.5"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e21, "1e+21"},
        {1e20, "100000000000000000000"},
        {1.2345678901234568e20, "123456789012345680000"},
        {123456789012, "123456789012"},
        {1e-6, "0.000001"},
        {1e-7, "1e-7"},
        {1.5e-7, "1.5e-7"},
        {-1.23e-18, "-1.23e-18"},
        {5e-324, "5e-324"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {inf, "Infinity"},
        {-inf, "-Infinity"},
        {std::nan(""), "NaN"},
        {-0.0, "0"},
        {0.4, "0.4"},
    };
    for (const Case& c : cases) EXPECT_EQ(JsNumberText(c.value), c.text) << c.text;
}

TEST(DigitOfValue, AgreesWithReadingTheText) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 25);
    for (int i = 0; i < 50000; ++i) {
        double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        if (i % 5 == 0) v = std::trunc(v);
        ASSERT_EQ(DigitOfValue(v), LastDigit(IntegerValue(JsNumberText(v)))) << JsNumberText(v);
    }
    for (double v : {2147483647.5, -2147483648.5, 2147483648.0, 9.999999999999999e-7, 1e-6})
        EXPECT_EQ(DigitOfValue(v), LastDigit(IntegerValue(JsNumberText(v)))) << JsNumberText(v);
}

}  // namespace
}  // namespace qivra
