// The float rules applied to every float argument.
#include "context/float_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace tamarind {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

uint32_t bitsOf(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

TEST(FloatRules, SanitizeReplacesNaNAndInfinities)
{
    EXPECT_EQ(bitsOf(sanitizeFloat(kNaN)), 0u);
    EXPECT_EQ(bitsOf(sanitizeFloat(kInf)), 0x7F7FFFFFu);
    EXPECT_EQ(bitsOf(sanitizeFloat(-kInf)), 0xFF7FFFFFu);
    EXPECT_EQ(sanitizeFloat(-2.5f), -2.5f);
    EXPECT_EQ(bitsOf(sanitizeFloat(-0.0f)), 0x80000000u) << "negative zero passes unchanged";
    EXPECT_EQ(sanitizeFloat(1e-45f), 1e-45f) << "denormals pass unchanged";
}

TEST(FloatRules, FloatToIntFloorsThenClamps)
{
    EXPECT_EQ(floatToInt(2.7f), 2);
    EXPECT_EQ(floatToInt(-2.5f), -3);
    EXPECT_EQ(floatToInt(-0.5f), -1);
    EXPECT_EQ(floatToInt(kNaN), 0);
    EXPECT_EQ(floatToInt(kInf), 2147483647);
    EXPECT_EQ(floatToInt(-kInf), -2147483647 - 1);
    EXPECT_EQ(floatToInt(2147483648.0f), 2147483647);
    EXPECT_EQ(floatToInt(-2147483648.0f), -2147483647 - 1);
    EXPECT_EQ(floatToInt(6401.7f), 6401);
}

TEST(FloatRules, ElementReadersConvertBetweenArrayKinds)
{
    const float floats[] = {1.75f, kNaN, -kInf};
    const int32_t ints[] = {-7, 16777217};
    EXPECT_EQ(readFloatElement(floats, 0, true), 1.75f);
    EXPECT_EQ(readFloatElement(floats, 1, true), 0.0f);
    EXPECT_EQ(bitsOf(readFloatElement(floats, 2, true)), 0xFF7FFFFFu);
    EXPECT_EQ(readFloatElement(ints, 0, false), -7.0f);
    EXPECT_EQ(readFloatElement(ints, 1, false), 16777216.0f) << "plain int-to-float conversion";
    EXPECT_EQ(readIntElement(floats, 0, true), 1);
    EXPECT_EQ(readIntElement(floats, 2, true), -2147483647 - 1);
    EXPECT_EQ(readIntElement(ints, 1, false), 16777217);
    EXPECT_EQ(readFloatElement(nullptr, 3, true), 0.0f);
    EXPECT_EQ(readIntElement(nullptr, 3, false), 0);
}

} // namespace
} // namespace tamarind
