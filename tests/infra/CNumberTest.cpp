#include "infra/CNumber.h"

#include <gtest/gtest.h>

TEST(CNumber, FormatsByTheCRules) {
    EXPECT_EQ(FormatC("%g", 300.0), "300");
    EXPECT_EQ(FormatC("%g", 0.123456789), "0.123457");
    EXPECT_EQ(FormatC("%g", 12345678.0), "1.23457e+07");
    EXPECT_EQ(FormatC("%14.6G", 1.2345e-6), "    1.2345E-06");
}

TEST(CNumber, ParsesIntegersLikeTheCLibrary) {
    EXPECT_EQ(ParseCInt("  -12abc"), -12);
    EXPECT_EQ(ParseCInt("abc"), 0);
    EXPECT_EQ(ParseCInt("99999999999"), INT32_MAX);
    EXPECT_EQ(ParseCInt("-99999999999"), INT32_MIN);
    std::size_t used = 99;
    ParseCInt("x", &used);
    EXPECT_EQ(used, 0u);
}

TEST(CNumber, ParsesDoublesLikeTheCLibrary) {
    std::size_t used = 0;
    EXPECT_DOUBLE_EQ(ParseCDouble(" 2.5nm", &used), 2.5);
    EXPECT_EQ(used, 4u);
    EXPECT_DOUBLE_EQ(ParseCDouble("1e3x"), 1000.0);
    EXPECT_EQ(ParseCDouble("nm"), 0.0);
}

TEST(CNumber, EditFieldsReadTheirNumbers) {
    struct CASE {
        const char* text;
        double field; // free text: the leading number, else 0
        bool whole;   // numeric field: accepted?
        double wholeValue;
    };
    const CASE cases[] = {
        {" 200", 200.0, true, 200.0}, {"0.8 \t", 0.8, true, 0.8},  {"12abc", 12.0, false, -1.0},
        {"abc", 0.0, false, -1.0},    {"", 0.0, false, -1.0},      {"nan", 0.0, false, -1.0},
        {"-inf", 0.0, false, -1.0},   {"1e999", 0.0, false, -1.0}, {"-1.5e1", -15.0, true, -15.0},
    };
    for (const CASE& c : cases) {
        EXPECT_EQ(ParseFieldNumber(c.text), c.field) << c.text;
        double value = -1.0;
        EXPECT_EQ(ParseWholeNumber(c.text, value), c.whole) << c.text;
        EXPECT_EQ(value, c.wholeValue) << c.text;
    }
}
