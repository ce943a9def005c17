// SPDX-License-Identifier: GPL-3.0-or-later
// The fast "%f" text of single-precision values equals the C library's.

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <limits>
#include <random>

#include "data/FloatText.h"

namespace vantrel {
namespace {

std::string Printf(float value) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    return buffer;
}

TEST(FloatText, KnownValues) {
    const std::pair<float, const char*> cases[] = {
        {12.5f, "12.500000"},     {-0.25f, "-0.250000"},  {0.0f, "0.000000"},
        {-0.0f, "-0.000000"},     {-1e-9f, "-0.000000"},  {1.0f / 128, "0.007812"},
        {3.0f / 128, "0.023438"}, {20.125f, "20.125000"}, {1e10f, "10000000000.000000"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatFixed6(value), text) << text;
}

TEST(FloatText, NonFiniteValuesAsTheCLibraryPrintsThem) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float value : {inf, -inf, nan, -nan}) EXPECT_EQ(FormatFixed6(value), Printf(value));
    EXPECT_EQ(FormatFixed6(inf), "inf");
    EXPECT_EQ(FormatFixed6(-inf), "-inf");
}

TEST(FloatText, EqualsPrintfForRandomBitPatterns) {
    std::mt19937 random(42);
    for (int k = 0; k < 300000; ++k) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        ASSERT_EQ(FormatFixed6(value), Printf(value)) << std::bit_cast<std::uint32_t>(value);
    }
}

TEST(FloatText, EqualsPrintfForSensorRangedValues) {
    // Values the logger gives: moisture percentages and scaled frequencies near 0 to 100.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> range(-150.0f, 150.0f);
    for (int k = 0; k < 300000; ++k) {
        const float value = range(random) / static_cast<float>(1 << (k % 24));
        ASSERT_EQ(FormatFixed6(value), Printf(value)) << value;
    }
    // Every float in [1, 2) whose last mantissa bits are zero: ties and near ties.
    for (std::uint32_t bits = 0x3F800000; bits < 0x40000000; bits += 97) {
        const float value = std::bit_cast<float>(bits);
        ASSERT_EQ(FormatFixed6(value), Printf(value)) << value;
    }
}

TEST(FloatText, AppendsToWhatIsThere) {
    std::string text = "A:, ";
    AppendFixed6(text, 2.0f);
    EXPECT_EQ(text, "A:, 2.000000");
}

}  // namespace
}  // namespace vantrel
