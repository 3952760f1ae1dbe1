// Tests of the dump's number fields against the C library's formatted output
// ("%+.6e" with a three-digit exponent, "%*lld", "%03zu") on edge values.
#include "modelconv/numberformat.h"
#include "modelconv/testing/referenceformat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace kvl::modelconv {
namespace {

using kvl::test::referenceFloat;

std::string fmtFloat(float v)
{
    std::string s;
    appendFloat(s, v);
    return s;
}

std::string fmtInt(long long v, int width, Sign sign = Sign::NegativeOnly)
{
    std::string s;
    appendInt(s, v, width, sign);
    return s;
}

std::string referenceInt(long long v, int width, Sign sign = Sign::NegativeOnly)
{
    return kvl::test::referenceInt(v, width, sign == Sign::Always);
}

float fromBits(std::uint32_t bits)
{
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

TEST(FloatField, EdgeValuesAgreeWithTheCLibrary)
{
    using limits = std::numeric_limits<float>;
    const float values[] = { 0.0f, -0.0f, 1.5f, 0.001f, 15.0f, -0.0025f, 1.0f, -1.0f, limits::max(), -limits::max(),
        limits::min(), -limits::min(), limits::denorm_min(), -limits::denorm_min(),
        std::nextafter(limits::min(), 0.0f), // the largest denormal
        9.9999999e-5f,                       // rounding carries into the exponent
        9999999.0f, 99999995.0f, 1e-38f, 1e38f, 16777216.0f, 0.1f, 1.0f / 3.0f };
    for (float v : values)
        EXPECT_EQ(fmtFloat(v), referenceFloat(v)) << v;
    // The literal forms, so that a wrong reference cannot hide a wrong field.
    EXPECT_EQ(fmtFloat(1.5f), "+1.500000e+000");
    EXPECT_EQ(fmtFloat(0.001f), "+1.000000e-003");
    EXPECT_EQ(fmtFloat(-0.0f), "-0.000000e+000");
    EXPECT_EQ(fmtFloat(limits::max()), "+3.402823e+038");
    EXPECT_EQ(fmtFloat(limits::denorm_min()), "+1.401298e-045");
    EXPECT_EQ(fmtFloat(9.9999999e-5f), "+1.000000e-004");
}

TEST(FloatField, TiesRoundToEvenAsTheCLibraryDoes)
{
    // Floats whose exact binary value lies halfway between two 7-digit
    // decimals: the library rounds the exact value, so a tie goes to even.
    for (float v : { 1048576.5f, 1048577.5f, 2097152.5f, 4194305.5f, 10000005.0f, 10000015.0f, 16777215.0f / 2 })
        EXPECT_EQ(fmtFloat(v), referenceFloat(v)) << v;
    EXPECT_EQ(fmtFloat(1048576.5f), "+1.048576e+006"); // ...65 rounds down to the even 6
    EXPECT_EQ(fmtFloat(1048577.5f), "+1.048578e+006"); // ...75 rounds up to the even 8
    EXPECT_EQ(fmtFloat(10000005.0f), "+1.000000e+007");
    EXPECT_EQ(fmtFloat(10000015.0f), "+1.000002e+007");
    // Not a tie in binary, though its decimal spelling is one.
    EXPECT_EQ(fmtFloat(1.2345675f), referenceFloat(1.2345675f));
}

TEST(FloatField, InfinitiesAndNaNsAreRightAlignedWithTheirSign)
{
    using limits = std::numeric_limits<float>;
    for (float v : { limits::infinity(), -limits::infinity() })
        EXPECT_EQ(fmtFloat(v), referenceFloat(v));
    // NaNs keep their sign as glibc prints them, on every system (the C
    // library of Windows prints "+nan" for a negative one).
    EXPECT_EQ(fmtFloat(limits::infinity()), "          +inf");
    EXPECT_EQ(fmtFloat(-limits::infinity()), "          -inf");
    EXPECT_EQ(fmtFloat(limits::quiet_NaN()), "          +nan");
    EXPECT_EQ(fmtFloat(-limits::quiet_NaN()), "          -nan");
    EXPECT_EQ(fmtFloat(fromBits(0x7F800001u)), "          +nan"); // signalling, any payload
    EXPECT_EQ(fmtFloat(fromBits(0xFFFFFFFFu)), "          -nan");
}

TEST(FloatField, AgreesWithTheCLibraryOnRandomBitPatternsAndNearDecimalBoundaries)
{
    std::mt19937 rng(1234);
    for (int i = 0; i < 20000; ++i) {
        const float v = fromBits(rng());
        if (!std::isfinite(v))
            continue;
        ASSERT_EQ(fmtFloat(v), referenceFloat(v)) << v;
    }
    // Neighbours of the powers of ten, where the decimal exponent changes,
    // and floats next to 7-digit halfway points, where rounding is closest.
    for (int e = -45; e <= 38; ++e) {
        float up = static_cast<float>(std::pow(10.0L, static_cast<long double>(e)));
        float down = up;
        for (int k = 0; k < 50; ++k) {
            if (std::isfinite(up)) {
                ASSERT_EQ(fmtFloat(up), referenceFloat(up)) << up;
            }
            ASSERT_EQ(fmtFloat(down), referenceFloat(down)) << down;
            up = std::nextafter(up, std::numeric_limits<float>::infinity());
            down = std::nextafter(down, 0.0f);
        }
    }
    for (int i = 0; i < 20000; ++i) {
        const double halfway = static_cast<double>(rng() % 9000000 + 1000000) + 0.5;
        float v = static_cast<float>(halfway * std::pow(10.0, static_cast<int>(rng() % 80) - 51));
        for (int k = 0; k < 3 && std::isfinite(v); ++k, v = std::nextafter(v, 1e38f))
            ASSERT_EQ(fmtFloat(v), referenceFloat(v)) << v;
    }
    // Every denormal exponent range, where the fast path finds the exponent
    // from the mantissa's bit width.
    for (std::uint32_t bit = 0; bit < 23; ++bit)
        for (std::uint32_t low : { 0u, 1u, 0x2AAAAAu })
            for (std::uint32_t sign : { 0u, 0x80000000u }) {
                const float v = fromBits(sign | (1u << bit) | (low & ((1u << bit) - 1)));
                ASSERT_EQ(fmtFloat(v), referenceFloat(v)) << bit;
            }
}

TEST(IntField, AgreesWithTheCLibraryAtTheLimitsOfEveryWidth)
{
    // For each width: the largest number that fits, the first that does not,
    // their negatives, and zero, with and without a plus sign.
    long long limit = 1;
    for (int width = 1; width <= 12; ++width) {
        limit *= 10;
        for (long long v : { 0LL, limit / 10 - 1, limit / 10, limit - 1, limit, -(limit / 10 - 1), -(limit / 10),
                 -(limit - 1), -limit })
            for (Sign sign : { Sign::NegativeOnly, Sign::Always })
                ASSERT_EQ(fmtInt(v, width, sign), referenceInt(v, width, sign)) << v << " in " << width;
    }
    for (long long v : { std::numeric_limits<long long>::max(), std::numeric_limits<long long>::min() })
        for (int width : { 0, 1, 4, 10, 19, 20, 21 })
            for (Sign sign : { Sign::NegativeOnly, Sign::Always })
                ASSERT_EQ(fmtInt(v, width, sign), referenceInt(v, width, sign)) << v << " in " << width;
    // The dump's own fields, literally.
    EXPECT_EQ(fmtInt(255, 4), " 255");
    EXPECT_EQ(fmtInt(65535, 4), "65535"); // wider than its field: never cut
    EXPECT_EQ(fmtInt(0, 6, Sign::Always), "    +0");
    EXPECT_EQ(fmtInt(-32768, 6, Sign::Always), "-32768");
    EXPECT_EQ(fmtInt(-1, 10), "        -1");
    EXPECT_EQ(fmtInt(3, 0), "3");
}

TEST(IntField, EachFieldStartsWhereTheOneBeforeItEnded)
{
    // putInt writes blanks past its field; the next field overwrites them.
    std::string fields;
    appendInt(fields, 5, 4);
    appendInt(fields, 123456, 4);
    appendInt(fields, -7, 6, Sign::Always);
    EXPECT_EQ(fields, "   5123456    -7");
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    char* p = buffer;
    p += putInt(p, 12, 6);
    p += putInt(p, -3, 4);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(p - buffer)), "    12  -3");
}

TEST(KeyField, HasAtLeastThreeZeroPaddedDigits)
{
    for (std::size_t k : { std::size_t(0), std::size_t(7), std::size_t(42), std::size_t(999), std::size_t(1000),
             std::size_t(12345), std::size_t(9999999), std::numeric_limits<std::size_t>::max() }) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%03zu", k);
        std::string key;
        appendKey(key, k);
        EXPECT_EQ(key, buf);
    }
}

} // namespace
} // namespace kvl::modelconv
