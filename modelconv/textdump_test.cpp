// Tests of the text dump: number formats, the record rule, and whole dumps
// byte for byte.
#include "modelconv/numberformat.h"
#include "modelconv/testing/builder3db.h"
#include "modelconv/testing/loadbuilt.h"
#include "modelconv/testing/mixedmodels.h"
#include "modelconv/testing/recordlists.h"
#include "modelconv/testing/referenceformat.h"
#include "modelconv/textdump.h"

#include "common/textio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace kvl::modelconv {
namespace {

using namespace kvl::test;

std::string fmtInt(long long v, int width)
{
    std::string s;
    appendInt(s, v, width);
    return s;
}

Model3DB load(const Builder3DB& b)
{
    return loadBuilt(b);
}

// What the dump writes for a model of one element made of `records`,
// between "E000= " and " 255".
std::string elementText(std::vector<RecordBytes> records)
{
    Builder3DB b;
    Element3DBData e;
    e.records = std::move(records);
    b.addElement(std::move(e));
    const std::string dump = formatTextDump(load(b));
    const std::size_t start = dump.find("\r\nE000= ");
    const std::size_t end = dump.find(" 255\r\n", start);
    if (start == std::string::npos || end == std::string::npos)
        return "(no element line)";
    return dump.substr(start + 8, end - start - 8);
}

TEST(TextDump, RecordRuleByTypeAndPrefix)
{
    // Attribute 2 is never written for type 3.
    EXPECT_EQ(elementText({ record3(0, 9, { 5, 6, 7 }) }), "   3   3   0     5     6     7");
    EXPECT_EQ(elementText({ record1(4, 10, 200) }), "   1   4    10   200");
    EXPECT_EQ(elementText({ record2(12, 3) }), "   2  12     3");
    EXPECT_EQ(elementText({ record4({ 1, 2 }, { 30, 40 }) }), "   4   2     1  30     2  40");
    const std::vector<TexVertex> vertex = { { 9, 0.5f, -1.0f } };
    const std::string body = "   5   1   1   2     9 +5.000000e-001 -1.000000e+000 ";
    EXPECT_EQ(elementText({ recordTextured(5, 1, 2, vertex) }), body);

    // The prefix is written only for codes 131 to 199.
    for (std::uint8_t code : { 131, 150, 199 })
        EXPECT_EQ(elementText({ recordPrefixed(code, 77, 5, 1, 2, vertex) }), fmtInt(code, 4) + "  77" + body) << code;
    for (std::uint8_t code : { 8, 130, 200, 254 })
        EXPECT_EQ(elementText({ recordPrefixed(code, 77, 5, 1, 2, vertex) }), body) << code;

    // An empty element: nothing between the key and the 255.
    EXPECT_EQ(elementText({}), "");

    // A prefixed body of type 1 or 4 lacks entries of its type: shown as 0.
    const std::vector<TexVertex> zero = { { 6, 0, 0 } };
    EXPECT_EQ(elementText({ recordPrefixed(140, 1, 4, 0, 0, zero) }), " 140   1   4   1     6   0");
    EXPECT_EQ(elementText({ recordPrefixed(140, 1, 1, 0, 0, zero) }), " 140   1   1   0     6     0");
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
            expected += referenceFloat(values[i + k]) + " ";
        expected += "    +0 \r\n";
    }
    EXPECT_NE(dump.find(expected), std::string::npos);
}

TEST(TextDump, ElementLinesAgreeWithTheCLibraryFormsOfEveryKindOfRecord)
{
    // Every record type, prefix and float kind (NaN, infinities, denormals,
    // random bits) in random chains: the element lines must read as the
    // record rule written with the C library's formatting.
    for (unsigned seed : { 1u, 2u, 3u }) {
        const Model3DB m = load(mixedRecordsModel(seed, 300));
        const std::vector<RecordLists3DB> elements = elementLists(m);
        const std::vector<RecordLists3DB> subRecords = subRecordLists(m);
        std::string expected = "[ELEMENTS]\r\n;E000= data endcode\r\n";
        for (std::size_t k = 0; k < elements.size(); ++k) {
            char key[32];
            std::snprintf(key, sizeof key, "E%03zu= ", k);
            expected += key + referenceRecord(elements[k]);
            for (std::uint32_t child : elements[k].children)
                expected += referenceRecord(subRecords[child]);
            expected += " 255\r\n";
        }
        expected += "[END]\r\n";
        EXPECT_NE(formatTextDump(m).find(expected), std::string::npos) << seed;
    }
}

TEST(TextDump, WriteTextDumpWritesTheFileAndReportsAnUncreatableOne)
{
    Builder3DB b;
    b.addPoint(1, 2, 3, 4);
    Model3DB m = load(b);
    const auto dir = std::filesystem::temp_directory_path() / "modelconv_textdump_test";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(writeTextDump(m, dir / "OUT.TXT"));
    std::string text;
    ASSERT_TRUE(readTextFile(dir / "OUT.TXT", text));
    EXPECT_EQ(text, formatTextDump(m));
    EXPECT_FALSE(writeTextDump(m, dir / "no" / "such" / "OUT.TXT"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kvl::modelconv
