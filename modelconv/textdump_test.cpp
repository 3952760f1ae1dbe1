// Tests of the text dump: number formats, the record rule, and whole dumps
// byte for byte.
#include "modelconv/builder3db.h"
#include "modelconv/test_models.h"
#include "modelconv/textdump.h"

#include "common/textio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace kvl::model {
namespace {

using namespace dumpfmt;

std::string fmtFloat(float v)
{
    std::string s;
    appendFloat(s, v);
    return s;
}

std::string fmtInt(long long v, int width, bool plus = false)
{
    std::string s;
    appendInt(s, v, width, plus);
    return s;
}

// The C library's %+.6e with the exponent widened to three digits: an
// independent reference for the float field.
std::string referenceFloat(float v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%+.6e", static_cast<double>(v));
    std::string s(buf);
    std::size_t e = s.find('e');
    std::string digits = s.substr(e + 2);
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    return s.substr(0, e + 2) + digits;
}

TEST(DumpFormat, FloatsHaveASignSixDecimalsAndAThreeDigitExponent)
{
    EXPECT_EQ(fmtFloat(1.5f), "+1.500000e+000");
    EXPECT_EQ(fmtFloat(0.001f), "+1.000000e-003");
    EXPECT_EQ(fmtFloat(15.0f), "+1.500000e+001");
    EXPECT_EQ(fmtFloat(-0.0025f), "-2.500000e-003");
    EXPECT_EQ(fmtFloat(0.0f), "+0.000000e+000");
    EXPECT_EQ(fmtFloat(-0.0f), "-0.000000e+000");
    EXPECT_EQ(fmtFloat(std::numeric_limits<float>::max()), "+3.402823e+038");
    EXPECT_EQ(fmtFloat(std::numeric_limits<float>::denorm_min()), "+1.401298e-045");
    EXPECT_EQ(fmtFloat(9.9999999e-5f), "+1.000000e-004"); // rounding carries into the exponent
    EXPECT_EQ(fmtFloat(std::numeric_limits<float>::infinity()), "          +inf");
    EXPECT_EQ(fmtFloat(-std::numeric_limits<float>::infinity()), "          -inf");
    EXPECT_EQ(fmtFloat(std::numeric_limits<float>::quiet_NaN()).size(), 14u);
}

TEST(DumpFormat, FloatsAgreeWithTheCLibraryOnRandomBitPatterns)
{
    std::mt19937 rng(1234);
    for (int i = 0; i < 20000; ++i) {
        std::uint32_t bits = rng();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v))
            continue;
        ASSERT_EQ(fmtFloat(v), referenceFloat(v)) << bits;
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
    EXPECT_EQ(fmtFloat(1.2345675f), referenceFloat(1.2345675f));
}

TEST(DumpFormat, IntegerFieldsAndKeys)
{
    EXPECT_EQ(fmtInt(7, 4), "   7");
    EXPECT_EQ(fmtInt(255, 4), " 255");
    EXPECT_EQ(fmtInt(65535, 4), "65535"); // wider than its field: never cut
    EXPECT_EQ(fmtInt(12, 6), "    12");
    EXPECT_EQ(fmtInt(0, 6, true), "    +0");
    EXPECT_EQ(fmtInt(5, 6, true), "    +5");
    EXPECT_EQ(fmtInt(-12, 6, true), "   -12");
    EXPECT_EQ(fmtInt(-32768, 6, true), "-32768");
    EXPECT_EQ(fmtInt(-1, 10), "        -1");
    EXPECT_EQ(fmtInt(32767, 10), "     32767");
    // Numbers that just fill their field, and those one digit or sign wider.
    EXPECT_EQ(fmtInt(9999, 4), "9999");
    EXPECT_EQ(fmtInt(10000, 4), "10000");
    EXPECT_EQ(fmtInt(-999, 4), "-999");
    EXPECT_EQ(fmtInt(-1000, 4), "-1000");
    EXPECT_EQ(fmtInt(999, 4, true), "+999");
    EXPECT_EQ(fmtInt(1000, 4, true), "+1000");
    EXPECT_EQ(fmtInt(0, 1, true), "+0");
    EXPECT_EQ(fmtInt(3, 0), "3");
    EXPECT_EQ(fmtInt(9999999999LL, 10), "9999999999");
    EXPECT_EQ(fmtInt(-9223372036854775807LL - 1, 10), "-9223372036854775808");
    // Each field starts where the one before it ended.
    std::string fields;
    appendInt(fields, 5, 4);
    appendInt(fields, 123456, 4);
    appendInt(fields, -7, 6, true);
    EXPECT_EQ(fields, "   5123456    -7");
    std::string keys;
    for (std::size_t k : { 0, 42, 999, 1000, 12345, 9999999 })
        appendKey(keys, k);
    EXPECT_EQ(keys,
        "0000429991000"
        "12345"
        "9999999");
}

std::string fmtRecord(const Record3DB& r)
{
    std::string s;
    appendRecord(s, r);
    return s;
}

TEST(DumpFormat, RecordRuleByTypeAndPrefix)
{
    Record3DB r3;
    r3.type = 3;
    r3.count = 3;
    r3.attribute2 = 9; // never written for type 3
    r3.indices = { 5, 6, 7 };
    EXPECT_EQ(fmtRecord(r3), "   3   3   0     5     6     7");

    Record3DB r1;
    r1.type = 1;
    r1.attribute1 = 4;
    r1.indices = { 10, 200 };
    EXPECT_EQ(fmtRecord(r1), "   1   4    10   200");

    Record3DB r2;
    r2.type = 2;
    r2.attribute1 = 12;
    r2.indices = { 3 };
    EXPECT_EQ(fmtRecord(r2), "   2  12     3");

    Record3DB r4;
    r4.type = 4;
    r4.count = 2;
    r4.indices = { 1, 2 };
    r4.secondValues = { 30, 40 };
    EXPECT_EQ(fmtRecord(r4), "   4   2     1  30     2  40");

    Record3DB tex;
    tex.type = 5;
    tex.count = 1;
    tex.attribute1 = 1;
    tex.attribute2 = 2;
    tex.indices = { 9 };
    tex.sValues = { 0.5f };
    tex.tValues = { -1.0f };
    const std::string body = "   5   1   1   2     9 +5.000000e-001 -1.000000e+000 ";
    EXPECT_EQ(fmtRecord(tex), body);

    // The prefix is written only for codes 131 to 199.
    for (std::uint16_t code : { 131, 150, 199 }) {
        tex.prefixCode = code;
        tex.prefixValue = 77;
        EXPECT_EQ(fmtRecord(tex), fmtInt(code, 4) + "  77" + body) << code;
    }
    for (std::uint16_t code : { 8, 130, 200, 254 }) {
        tex.prefixCode = code;
        EXPECT_EQ(fmtRecord(tex), body) << code;
    }

    Record3DB empty;
    empty.type = 255;
    EXPECT_EQ(fmtRecord(empty), "");

    // A prefixed body of type 1 or 4 lacks entries of its type: shown as 0.
    Record3DB odd;
    odd.prefixCode = 140;
    odd.prefixValue = 1;
    odd.type = 4;
    odd.count = 1;
    odd.indices = { 6 };
    odd.sValues = { 0 };
    odd.tValues = { 0 };
    EXPECT_EQ(fmtRecord(odd), " 140   1   4   1     6   0");
    odd.type = 1;
    EXPECT_EQ(fmtRecord(odd), " 140   1   1   0     6     0");
}

Model3DB load(const Builder3DB& b)
{
    Model3DB m;
    std::string error;
    EXPECT_TRUE(decode3DB(m, b.build(), error)) << error;
    return m;
}

std::string endBytesLines(const Builder3DB& b, const std::string& name)
{
    std::string s = "[ENDBYTES]\r\nUNKNOWN=";
    for (std::uint8_t v : b.endUnknown)
        s += fmtInt(v, 4);
    s += "\r\nTEXTURE NAME=" + name + "\r\nUNKNOWN2=";
    for (std::uint8_t v : b.endUnknown2)
        s += fmtInt(v, 4);
    return s + "\r\n\r\n; end of this file\r\n[EOF]";
}

const char* const CommentBlock = "; This is a text version of a 3DB file\r\n"
                                 "; There are 8 sectors : HEADER , INSERT, POINTS, TVN, NORMAL, SEQUENCE, ELEMENTS "
                                 "and ENDBYTES\r\n"
                                 "; The  [END] statement indicates the end of a sector\r\n"
                                 "; The  [EOF] statement indicates the end of the file\r\n"
                                 "; Comments starts with ;\r\n"
                                 "; THIS FILE IS NOT COMPATIBLE WITH VKM STUDIO OR VKM STUDIO CONVERTER!\r\n"
                                 ";\r\n";

TEST(TextDump, WholeDumpOfAHandBuiltModel)
{
    Builder3DB b;
    for (int i = 0; i < 12; ++i)
        b.headerUnknown[i] = static_cast<std::uint8_t>(250 + i % 6);
    for (int i = 0; i < 36; ++i)
        b.endUnknown[i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 54; ++i)
        b.endUnknown2[i] = static_cast<std::uint8_t>(255 - i);
    const std::uint8_t name[14] = { 'A', 'B', 0, 'C', 'D', 0, 0, 0, 0, 0, 0, 0, 0, 0 };
    std::memcpy(b.textureName, name, 14);
    b.addInsert(1, -2, 3, 1, 2, 0);
    b.addPoint(0.5f, 0, -1, 0);
    b.addPoint(1000, 1e-3f, 2, -1);
    b.addTvn(0, 1, 0, 2.5f);
    b.startBack = 1;
    b.startFront = 65535;
    Element3DBData e0;
    e0.normal[0] = 0;
    e0.normal[1] = 1;
    e0.normal[2] = 0;
    e0.normal[3] = -12.5f;
    e0.f = -1;
    e0.back = 2;
    e0.front = 3;
    e0.records = { record3(0, 0, { 5, 6, 7 }), record2(9, 1),
        recordPrefixed(131, 4, 0, 1, 2, { { 1, 0.25f, 0.75f } }) };
    b.addElement(e0);
    Element3DBData e1;
    e1.normal[1] = 0;
    e1.f = 32767;
    b.addElement(e1);

    const std::string expected = std::string(CommentBlock)
        + "[HEADER]\r\n"
          "UNKNOWN= 250 251 252 253 254 255 250 251 252 253 254 255\r\n"
          "SUB MATRICES=1\r\nPOINTS=2\r\nTRUE VERTEX NORMALS=1\r\nELEMENTS=2\r\n[END]\r\n\r\n"
          "[INSERT]\r\n"
          ";I000=            y             z             x cod num  term\r\n"
          "I000= +1.000000e+000 -2.000000e+000 +3.000000e+000    1    2    0 \r\n"
          "[END]\r\n\r\n"
          "[POINTS]\r\n"
          ";P000=            y             z             x       b\r\n"
          "P000= +5.000000e-001 +0.000000e+000 -1.000000e+000     +0 \r\n"
          "P001= +1.000000e+003 +1.000000e-003 +2.000000e+000     -1 \r\n"
          "[END]\r\n\r\n"
          "[TVNS]\r\n"
          ";T000=            y             z             x           ???\r\n"
          "T000= +0.000000e+000 +1.000000e+000 +0.000000e+000 +2.500000e+000 \r\n"
          "[END]\r\n\r\n"
          "[NORMALS]\r\n"
          ";N000=            y             z             x             d           f\r\n"
          "N000= +0.000000e+000 +1.000000e+000 +0.000000e+000 -1.250000e+001         -1 \r\n"
          "N001= +0.000000e+000 +0.000000e+000 +1.000000e+000 +0.000000e+000      32767 \r\n"
          "[END]\r\n\r\n"
          "[SEQUENCE]\r\n"
          ";S000=  Back Front\r\n"
          ";the first line is the start point of rendering sequence\r\n"
          "S000=      1 65535\r\n"
          "S000=      2     3\r\n"
          "S001=      0     0\r\n"
          "[END]\r\n\r\n"
          "[ELEMENTS]\r\n"
          ";E000= data endcode\r\n"
          "E000=    3   3   0     5     6     7   2   9     1 131   4   0   1   1   2     1 +2.500000e-001 "
          "+7.500000e-001  255\r\n"
          "E001=  255\r\n"
          "[END]\r\n\r\n"
        + endBytesLines(b, "ABCD");
    EXPECT_EQ(formatTextDump(load(b)), expected);
}

TEST(TextDump, EmptySectionsKeepTheirHeadingsAndKeysGrowPast999)
{
    Builder3DB b;
    const std::string empty = formatTextDump(load(b));
    EXPECT_NE(empty.find("[INSERT]\r\n;I000=            y             z             x cod num  term\r\n[END]\r\n\r\n"
                         "[POINTS]\r\n"),
        std::string::npos);
    EXPECT_NE(empty.find("\r\n[ELEMENTS]\r\n;E000= data endcode\r\n[END]\r\n\r\n[ENDBYTES]\r\n"), std::string::npos);
    EXPECT_NE(empty.find("S000=      0     0\r\n[END]"), std::string::npos);
    EXPECT_EQ(empty.substr(empty.size() - 7), "\r\n[EOF]");

    for (int i = 0; i < 1001; ++i)
        b.addPoint(0, 0, 0, 0);
    const std::string many = formatTextDump(load(b));
    EXPECT_NE(many.find("\r\nP999= "), std::string::npos);
    EXPECT_NE(many.find("\r\nP1000= +0.000000e+000"), std::string::npos);

    // Every line but the last ends with CR LF, and no bare LF appears.
    std::size_t lf = 0, crlf = 0;
    for (std::size_t i = 0; i < many.size(); ++i)
        if (many[i] == '\n') {
            ++lf;
            crlf += i > 0 && many[i - 1] == '\r';
        }
    EXPECT_EQ(lf, crlf);
}

TEST(TextDump, RepeatedAndCollidingFloatsAreWrittenExactly)
{
    // The dump remembers formatted floats; many distinct and repeated values
    // must still each come out exactly as the float field formats them.
    Builder3DB b;
    std::mt19937 rng(99);
    std::vector<float> values;
    for (int i = 0; i < 3000; ++i) {
        std::uint32_t bits = rng();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || i % 3 == 0)
            v = static_cast<float>(i % 7) * 0.5f; // repeats
        values.push_back(v);
    }
    for (std::size_t i = 0; i + 2 < values.size(); i += 3)
        b.addPoint(values[i], values[i + 1], values[i + 2], 0);
    const std::string dump = formatTextDump(load(b));
    std::string expected;
    for (std::size_t i = 0; i + 2 < values.size(); i += 3) {
        expected += 'P';
        appendKey(expected, i / 3);
        expected += "= ";
        for (int k = 0; k < 3; ++k)
            expected += fmtFloat(values[i + k]) + " ";
        expected += "    +0 \r\n";
    }
    EXPECT_NE(dump.find(expected), std::string::npos);
}

TEST(TextDump, ElementLinesFollowTheRecordRuleOfTheDecodedRecords)
{
    // The dump reads element entries straight from the file image; they must
    // come out as the record rule writes the reader's decoded lists.
    for (unsigned seed : { 1u, 2u, 3u }) {
        const Model3DB m = load(test::mixedRecordsModel(seed, 300));
        std::string expected = "[ELEMENTS]\r\n;E000= data endcode\r\n";
        for (std::size_t k = 0; k < m.elements().size(); ++k) {
            const Record3DB& element = m.elements()[k];
            expected += 'E';
            appendKey(expected, k);
            expected += "= ";
            appendRecord(expected, element);
            for (std::uint32_t child : element.children)
                appendRecord(expected, m.subRecords()[child]);
            expected += " 255\r\n";
        }
        expected += "[END]\r\n";
        EXPECT_NE(formatTextDump(m).find(expected), std::string::npos) << seed;
    }
}

TEST(TextDump, WriteTextDumpWritesTheFileAndIgnoresAnUncreatableOne)
{
    Builder3DB b;
    b.addPoint(1, 2, 3, 4);
    Model3DB m = load(b);
    const auto dir = std::filesystem::temp_directory_path() / "modelconv_textdump_test";
    std::filesystem::create_directories(dir);
    writeTextDump(m, dir / "OUT.TXT");
    std::string text;
    ASSERT_TRUE(readTextFile(dir / "OUT.TXT", text));
    EXPECT_EQ(text, formatTextDump(m));
    writeTextDump(m, dir / "no" / "such" / "OUT.TXT"); // nothing happens
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kvl::model
