// Field layout and value conversions of flight files.
#include "fltpatch/fltfields.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace kvl::fltpatch;

namespace {

std::vector<std::uint8_t> bytesOf(const EncodedValue& v)
{
    return { v.bytes.begin(), v.bytes.begin() + v.size };
}

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(FltFields, PositionsFollowTheFieldWidths)
{
    EXPECT_EQ(field(1).position, 1);
    EXPECT_EQ(field(2).position, 3);
    EXPECT_EQ(field(3).position, 5);
    EXPECT_EQ(field(81).position, 317);
    EXPECT_EQ(field(82).position, 321);
    EXPECT_EQ(field(161).position, 637);
    EXPECT_EQ(field(162).position, 639);
    EXPECT_EQ(field(163).position, 641);
    EXPECT_EQ(field(311).position, 1213);
    EXPECT_EQ(field(328).position, 1281);
    // The last field ends exactly at the end of a 1284-byte file.
    EXPECT_EQ(field(328).position - 1 + fieldWidth(field(328).type), kFileSize);

    int shorts = 0, longs = 0;
    for (const FieldInfo& f : fieldTable()) {
        shorts += f.type == FieldType::Short;
        longs += f.type == FieldType::Long;
    }
    EXPECT_EQ(shorts, 14);
    EXPECT_EQ(longs, 7);
    EXPECT_EQ(field(222).type, FieldType::Short);
    EXPECT_EQ(field(223).type, FieldType::Float);
    EXPECT_EQ(field(312).type, FieldType::Long);
    EXPECT_STREQ(typeName(field(137).type), "long");
    EXPECT_STREQ(typeName(field(185).type), "short");
    EXPECT_STREQ(typeName(field(186 + 1).type), "float");
}

TEST(FltFields, ReadsEachTypeLittleEndianAtItsPosition)
{
    std::vector<std::uint8_t> image(kFileSize, 0);
    image[636] = 0x39; // field 161, short 12345
    image[637] = 0x30;
    image[638] = 0xFE; // field 162, short -2
    image[639] = 0xFF;
    image[316] = 0x00; // field 81, long -2147483648
    image[319] = 0x80;
    image[4] = 0x00; // field 3, float 0.5
    image[7] = 0x3F;
    kvl::ByteView view(image);
    EXPECT_EQ(readFieldText(view, field(161)), "12345");
    EXPECT_EQ(readFieldText(view, field(162)), "-2");
    EXPECT_EQ(readFieldText(view, field(81)), "-2147483648");
    EXPECT_EQ(readFieldText(view, field(3)), "0.5");
    EXPECT_EQ(readFieldText(view, field(328)), "0");
    // A field past the end of the image reads as nothing, never as garbage.
    kvl::ByteView shortView(image.data(), 1283);
    EXPECT_EQ(readFieldText(shortView, field(328)), std::nullopt);
    EXPECT_EQ(readFieldText(shortView, field(327)), "0");
}

TEST(FltFields, FloatTextIsShortAndPlainInTheMiddleRange)
{
    EXPECT_EQ(formatFloat(0.5f), "0.5");
    EXPECT_EQ(formatFloat(-0.5f), "-0.5");
    EXPECT_EQ(formatFloat(0.0f), "0");
    EXPECT_EQ(formatFloat(-0.0f), "-0");
    EXPECT_EQ(formatFloat(0.1f), "0.1");
    EXPECT_EQ(formatFloat(3000.0f), "3000");
    EXPECT_EQ(formatFloat(22.48f), "22.48");
    EXPECT_EQ(formatFloat(1234567.0f), "1234567");
    EXPECT_EQ(formatFloat(1.0e7f), "1E+07");
    EXPECT_EQ(formatFloat(1.5e8f), "1.5E+08");
    EXPECT_EQ(formatFloat(1.0e-5f), "0.00001");
    EXPECT_EQ(formatFloat(2.5e-6f), "2.5E-06");
    EXPECT_EQ(formatFloat(FLT_MAX), "3.4028235E+38");
    EXPECT_EQ(formatFloat(std::numeric_limits<float>::infinity()), "Inf");
    EXPECT_EQ(formatFloat(-std::numeric_limits<float>::infinity()), "-Inf");
    EXPECT_EQ(formatFloat(std::numeric_limits<float>::quiet_NaN()), "NaN");
    // The x86 default not-a-number has its sign bit set; the text keeps it.
    EXPECT_EQ(formatFloat(std::bit_cast<float>(0xFFC00000u)), "-NaN");
    // Values that need more than 7 digits keep them, so they read back the same.
    EXPECT_EQ(formatFloat(16777216.0f), "1.6777216E+07");
    EXPECT_EQ(formatFloat(1234567.9f), "1234567.9");
    EXPECT_EQ(formatFloat(0.1f + 0.2f), "0.3");
    EXPECT_EQ(formatFloat(std::nextafter(1.0f, 2.0f)), "1.0000001");
}

TEST(FltFields, EveryFloatReadsBackToTheSameBits)
{
    std::vector<std::uint32_t> bits = { 0x00000001u, 0x007FFFFFu, 0x00800000u, 0x7F7FFFFFu, 0x80000000u, 0x3F800001u,
        0x4B7FFFFFu, 0x4B800001u, 0x3DCCCCCDu, 0xC2F6E979u, 0x7F800000u, 0xFF800000u };
    std::mt19937 random(1234);
    for (int i = 0; i < 200000; ++i)
        bits.push_back(random());
    for (std::uint32_t b : bits) {
        float value = std::bit_cast<float>(b);
        if (std::isnan(value))
            continue;
        std::string text = formatFloat(value);
        EncodedValue back = encodeValue(FieldType::Float, text);
        ASSERT_EQ(back.status, EncodedValue::Status::Ok) << text;
        std::uint32_t got = 0;
        std::memcpy(&got, back.bytes.data(), 4);
        ASSERT_EQ(got, b) << text;
        ASSERT_EQ(back.text, text);
    }
}

TEST(FltFields, WholeNumbersRoundToNearestTiesToEven)
{
    auto shortValue = [](std::string_view text) {
        EncodedValue v = encodeValue(FieldType::Short, text);
        EXPECT_EQ(v.status, EncodedValue::Status::Ok) << text;
        EXPECT_EQ(v.size, 2);
        return v.text;
    };
    EXPECT_EQ(shortValue("1.5"), "2");
    EXPECT_EQ(shortValue("2.5"), "2");
    EXPECT_EQ(shortValue("3.5"), "4");
    EXPECT_EQ(shortValue("-2.5"), "-2");
    EXPECT_EQ(shortValue("-1.5"), "-2");
    EXPECT_EQ(shortValue("0.5"), "0");
    EXPECT_EQ(shortValue("-0.5"), "0");
    EXPECT_EQ(shortValue("2.4999"), "2");
    EXPECT_EQ(shortValue("2.5001"), "3");
    EXPECT_EQ(shortValue("0.05"), "0");
    EXPECT_EQ(shortValue("0.0000009"), "0");
    // Exact on the decimal digits, where a double would give 2.5 and round to 2.
    EXPECT_EQ(shortValue("2.50000000000000000000001"), "3");
    EXPECT_EQ(shortValue("2.49999999999999999999999"), "2");
    EXPECT_EQ(shortValue("25e-1"), "2");
    EXPECT_EQ(shortValue("1.5E3"), "1500");
    EXPECT_EQ(shortValue("  +42 "), "42");
    EXPECT_EQ(shortValue("007"), "7");
    EXPECT_EQ(shortValue(".5"), "0");
    EXPECT_EQ(shortValue("5."), "5");

    EncodedValue tie = encodeValue(FieldType::Long, "123456.5");
    EXPECT_EQ(tie.text, "123456");
    EXPECT_EQ(bytesOf(tie), (Bytes { 0x40, 0xE2, 0x01, 0x00 }));
}

TEST(FltFields, RangeLimitsOfEachType)
{
    using S = EncodedValue::Status;
    struct Case {
        FieldType type;
        const char* text;
        S status;
        Bytes bytes;
    };
    const Case cases[] = {
        { FieldType::Short, "32767", S::Ok, { 0xFF, 0x7F } },
        { FieldType::Short, "-32768", S::Ok, { 0x00, 0x80 } },
        { FieldType::Short, "-32768.5", S::Ok, { 0x00, 0x80 } }, // tie to even stays in range
        { FieldType::Short, "32767.4", S::Ok, { 0xFF, 0x7F } },
        { FieldType::Short, "32767.5", S::OutOfRange, {} }, // rounds to 32768
        { FieldType::Short, "32768", S::OutOfRange, {} },
        { FieldType::Short, "-32769", S::OutOfRange, {} },
        { FieldType::Short, "-300", S::Ok, { 0xD4, 0xFE } },
        { FieldType::Long, "2147483647", S::Ok, { 0xFF, 0xFF, 0xFF, 0x7F } },
        { FieldType::Long, "-2147483648", S::Ok, { 0x00, 0x00, 0x00, 0x80 } },
        { FieldType::Long, "2147483648", S::OutOfRange, {} },
        { FieldType::Long, "2147483647.5", S::OutOfRange, {} },
        { FieldType::Long, "3e9", S::OutOfRange, {} },
        { FieldType::Long, "1e99999999999999999999", S::OutOfRange, {} },
        { FieldType::Long, "1e-99999999999999999999", S::Ok, { 0, 0, 0, 0 } },
        { FieldType::Long, "Inf", S::OutOfRange, {} },
        { FieldType::Float, "0.5", S::Ok, { 0x00, 0x00, 0x00, 0x3F } },
        { FieldType::Float, "-2", S::Ok, { 0x00, 0x00, 0x00, 0xC0 } },
        { FieldType::Float, "3.4028235e38", S::Ok, { 0xFF, 0xFF, 0x7F, 0x7F } },
        { FieldType::Float, "3.5e38", S::OutOfRange, {} },
        { FieldType::Float, "1e39", S::OutOfRange, {} },
        { FieldType::Float, "1e-50", S::Ok, { 0, 0, 0, 0 } },
        { FieldType::Float, "-1e-50", S::Ok, { 0, 0, 0, 0x80 } },
        { FieldType::Float, "1e-45", S::Ok, { 1, 0, 0, 0 } },
        { FieldType::Float, "-Inf", S::Ok, { 0x00, 0x00, 0x80, 0xFF } },
        { FieldType::Float, "NaN", S::Ok, { 0x00, 0x00, 0xC0, 0x7F } },
        { FieldType::Float, "-NaN", S::Ok, { 0x00, 0x00, 0xC0, 0xFF } },
        { FieldType::Long, "-NaN", S::NotANumber, {} },
    };
    for (const Case& c : cases) {
        EncodedValue v = encodeValue(c.type, c.text);
        EXPECT_EQ(v.status, c.status) << c.text;
        if (c.status == S::Ok) {
            EXPECT_EQ(bytesOf(v), c.bytes) << c.text;
        }
    }
}

TEST(FltFields, TextThatIsNotANumberIsRefusedForEveryType)
{
    for (FieldType type : { FieldType::Short, FieldType::Long, FieldType::Float }) {
        for (const char* text : { "", " ", "abc", "1,5", "1.2.3", "--1", "+-1", "e5", ".", "1e", "1e+", "0x10", "12abc",
                 "1 2", "nan(1)", "infinit" }) {
            EXPECT_EQ(encodeValue(type, text).status, EncodedValue::Status::NotANumber)
                << typeName(type) << " '" << text << "'";
        }
    }
    EXPECT_EQ(encodeValue(FieldType::Short, "NaN").status, EncodedValue::Status::NotANumber);
}
