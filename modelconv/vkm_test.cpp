// Tests of the VKM conversion and writer: table positions, value rules,
// record bytes, offsets, and the checks that keep a written file readable.
#include "modelconv/testing/builder3db.h"
#include "modelconv/testing/loadbuilt.h"
#include "modelconv/testing/mixedmodels.h"
#include "modelconv/testing/recordlists.h"
#include "modelconv/vkm.h"

#include "common/byteview.h"
#include "common/fileimage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kvl::modelconv {
namespace {

using namespace kvl::test;
using Bytes = std::vector<std::uint8_t>;

Model3DB load(const Builder3DB& b)
{
    return loadBuilt(b);
}

Bytes vkmOf(const Builder3DB& b)
{
    return vkmBytes(convertToVKM(load(b)));
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count)
{
    EXPECT_LE(from + count, bytes.size());
    if (from + count > bytes.size())
        return {};
    return Bytes(
        bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

TEST(VkmValues, TruncateTowardZeroAndKeepTheLowBits)
{
    auto s16 = [](double v) { return static_cast<std::int16_t>(truncatedLowBits(v)); };
    auto u8 = [](double v) { return static_cast<std::uint8_t>(truncatedLowBits(v)); };
    EXPECT_EQ(s16(-3.9), -3);
    EXPECT_EQ(s16(3.9), 3);
    EXPECT_EQ(s16(-0.5 * 16384), -8192);
    EXPECT_EQ(s16(1.0 * 16384), 16384);
    EXPECT_EQ(s16(2.0 * 16384), -32768); // 32768 keeps its low 16 bits
    EXPECT_EQ(s16(70000.7), 4464);
    EXPECT_EQ(s16(-70000.7), -4464);
    EXPECT_EQ(u8(0.999 * 256), 255);
    EXPECT_EQ(u8(1.0 * 256), 0);
    EXPECT_EQ(u8(0.5 * 256), 128);
    EXPECT_EQ(u8(-0.5 * 256), 128); // -128 as a byte
    EXPECT_EQ(static_cast<std::int32_t>(truncatedLowBits(-2147483648.0 * 2 - 5.5)), -5);
    EXPECT_EQ(truncatedLowBits(1e30), static_cast<std::uint32_t>(truncatedLowBits(1e30))); // defined, no trap
    EXPECT_EQ(truncatedLowBits(std::numeric_limits<double>::infinity()), 0u);
    EXPECT_EQ(truncatedLowBits(std::numeric_limits<double>::quiet_NaN()), 0u);
}

TEST(VkmFile, EmptyModelIsHeaderAndSequenceStart)
{
    Builder3DB b;
    b.setTextureName("AB");
    b.textureName[5] = 'Z'; // bytes after the first zero are copied too
    b.startBack = 0x0102;
    b.startFront = 0x0304;
    const Bytes expected = { 182, 0, 'A', 'B', 0, 0, 0, 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x02, 0x04 };
    EXPECT_EQ(vkmOf(b), expected);
}

TEST(VkmFile, TablesStandWhereTheCountsPutThem)
{
    // A = 2, P = 4, E = 1 with one type-3 record of n = 3.
    Builder3DB b;
    b.addInsert(10.9f, -20.9f, 30000.0f, 7, 8, 999);
    b.addPoint(-3.9f, 1.0f, 2.0f, -5);
    b.addPoint(100000.0f, 0, 0, 1);
    b.addPoint(0, 0, 0, 2);
    b.addPoint(0, 0, 0, 3);
    b.addTvn(1, 2, 3, 4); // not carried
    b.startBack = 0x1201;
    b.startFront = 0x3402;
    Element3DBData e;
    e.normal[0] = -0.5f;
    e.normal[1] = 1.0f;
    e.normal[2] = 0.25f;
    e.normal[3] = -1000.5f;
    e.f = -2;
    e.back = 0xAB03;
    e.front = 4;
    e.records = { record3(9, 8, { 0, 1, 3 }) };
    b.addElement(e);
    const Bytes v = vkmOf(b);
    ASSERT_EQ(v.size(), 87u);
    const ByteView view(v);
    EXPECT_EQ(view.u16(16), 2);
    EXPECT_EQ(view.u16(18), 4);
    EXPECT_EQ(view.u16(20), 1);
    // Insert at 22: cod, num, y, z, x.
    EXPECT_EQ(slice(v, 22, 2), (Bytes { 7, 8 }));
    EXPECT_EQ(view.i16(24), 10);
    EXPECT_EQ(view.i16(26), -20);
    EXPECT_EQ(view.i16(28), 30000);
    // Normal at 14 + 8A = 30.
    EXPECT_EQ(view.i16(30), -8192);
    EXPECT_EQ(view.i16(32), 16384);
    EXPECT_EQ(view.i16(34), 4096);
    EXPECT_EQ(view.i32(36), -16392192);
    EXPECT_EQ(view.i16(40), -2);
    // Sequence at 14 + 8A + 12E = 42: low bytes, Back first.
    EXPECT_EQ(slice(v, 42, 4), (Bytes { 0x01, 0x02, 0x03, 0x04 }));
    // Points at 16 + 8A + 14E = 46.
    EXPECT_EQ(view.i16(46), -3);
    EXPECT_EQ(view.i16(48), 1);
    EXPECT_EQ(view.i16(50), 2);
    EXPECT_EQ(view.i16(52), -5);
    EXPECT_EQ(view.i16(54), static_cast<std::int16_t>(100000 & 0xFFFF));
    // Offsets at 16 + 8A + 14E + 8P = 78; the element at 80 to 86.
    EXPECT_EQ(view.u16(78), 80);
    EXPECT_EQ(slice(v, 80, 7), (Bytes { 3, 3, 0, 1, 3, 9, 255 }));
}

TEST(VkmFile, RecordBytesOfEveryType)
{
    Builder3DB b;
    Element3DBData e;
    e.records = { record1(5, 10, 11), record2(6, 12), record4({ 1, 2 }, { 200, 201 }),
        recordTextured(0, 7, 8, { { 13, 0.5f, 0.999f }, { 14, 1.0f, 0.0f } }),
        recordPrefixed(131, 44, 7, 1, 2, { { 15, 0.25f, 0.75f } }), recordPrefixed(199, 45, 6, 3, 4, {}),
        recordPrefixed(130, 46, 5, 5, 6, { { 16, 0, 0 } }), recordPrefixed(200, 47, 0, 7, 8, {}) };
    b.addElement(e);
    Element3DBData empty;
    b.addElement(empty);
    Element3DBData last;
    last.records = { record4({ 3, 4 }, { 5, 6 }), record2(1, 2) };
    b.addElement(last);
    const Bytes v = vkmOf(b);
    const std::size_t start = 16 + 8 * 1 + 16 * 3;
    const ByteView view(v);
    EXPECT_EQ(view.u16(start - 6), start);
    const Bytes expected = {
        1,
        10,
        11,
        5, // type 1: indices, attribute 1
        2,
        6,
        12, // type 2: attribute 1, index
        4,
        2,
        1,
        200,
        2,
        201,
        0, // type 4: pairs, attribute 1 = 0
        0,
        2,
        13,
        128,
        255,
        14,
        0,
        0,
        7,
        8, // textured: (index, s, t)..., attributes
        131,
        44,
        7,
        1,
        15,
        64,
        192,
        1,
        2, // prefix kept (131..199)
        199,
        45,
        6,
        0,
        3,
        4,
        5,
        1,
        16,
        0,
        0,
        5,
        6, // prefix 130 dropped
        0,
        0,
        7,
        8, // prefix 200 dropped
        255,
    };
    EXPECT_EQ(slice(v, start, expected.size()), expected);
    // The empty element is one byte; the last is 7 + 3 + 1 = 11 bytes.
    EXPECT_EQ(view.u16(start - 4), start + expected.size());
    EXPECT_EQ(view.u16(start - 2), start + expected.size() + 1);
    EXPECT_EQ(slice(v, start + expected.size(), 12), (Bytes { 255, 4, 2, 3, 5, 4, 6, 0, 2, 1, 2, 255 }));
    EXPECT_EQ(v.size(), start + expected.size() + 12);
}

// Walks a VKM file the way its reader does: tables from the counts, then
// each element's records from its offset, a first byte of 7 or more taken as
// a prefix. True when every element ends exactly where the next begins.
bool readsBack(const Bytes& v)
{
    const ByteView view(v);
    const std::size_t A = view.u16(16).value_or(0), P = view.u16(18).value_or(0), E = view.u16(20).value_or(0);
    const std::size_t offsets = 16 + 8 * A + 14 * E + 8 * P;
    std::size_t expectedStart = offsets + 2 * E;
    for (std::size_t k = 0; k < E; ++k) {
        std::size_t pos = view.u16(offsets + 2 * k).value_or(0);
        if (pos != expectedStart)
            return false;
        for (;;) {
            auto lead = view.u8(pos);
            if (!lead)
                return false;
            if (*lead == 255)
                break;
            std::size_t n = view.u8(pos + 1).value_or(0);
            switch (*lead) {
            case 1:
                pos += 4;
                break;
            case 2:
                pos += 3;
                break;
            case 3:
                pos += n + 3;
                break;
            case 4:
                pos += 2 * n + 3;
                break;
            case 0:
            case 5:
            case 6:
                pos += 3 * n + 4;
                break;
            default:
                pos += 3 * view.u8(pos + 3).value_or(0) + 6;
                break;
            }
        }
        expectedStart = pos + 1;
    }
    return expectedStart == v.size();
}

TEST(VkmFile, ModelsTheCheckAcceptsReadBackRecordByRecord)
{
    Builder3DB b;
    for (int i = 0; i < 40; ++i)
        b.addPoint(static_cast<float>(i), 0, 0, 0);
    for (int i = 0; i < 30; ++i) {
        Element3DBData e;
        std::uint8_t k = static_cast<std::uint8_t>(i);
        switch (i % 6) {
        case 0:
            e.records = { record3(1, 1, { k, 1, 2 }), record1(0, 3, 4) };
            break;
        case 1:
            e.records = { recordTextured(5, 1, 1, { { k, 0.1f, 0.2f } }), record2(0, 1) };
            break;
        case 2:
            e.records = { recordPrefixed(160, 1, 7, 0, 0, { { k, 0, 0 }, { 2, 0, 0 } }) };
            break;
        case 3:
            e.records = { record4({ k }, { 9 }), recordPrefixed(20, 0, 6, 0, 0, { { 1, 0, 0 } }) };
            break;
        case 4:
            e.records = {};
            break;
        default:
            e.records = { recordTextured(6, 0, 0, {}), recordPrefixed(190, 3, 0, 1, 1, { { 4, 0, 0 } }) };
        }
        b.addElement(e);
    }
    Model3DB m = load(b);
    EXPECT_FALSE(vkmProblem(m));
    EXPECT_TRUE(readsBack(vkmBytes(convertToVKM(m))));
}

// A texture coordinate as the format stores it: times 256, truncated, low
// 8 bits; 0 for infinities and NaNs.
std::uint8_t referenceCoordinate(float v)
{
    const double scaled = 256.0 * v;
    if (!std::isfinite(scaled))
        return 0;
    return static_cast<std::uint8_t>(static_cast<int>(std::trunc(std::fmod(scaled, 256.0))));
}

// One record's VKM bytes from its decoded lists, by the record table.
Bytes referenceRecord(const RecordLists3DB& r)
{
    auto index = [&](std::size_t j) { return static_cast<std::uint8_t>(r.index(j)); };
    Bytes b;
    switch (r.type) {
    case 1:
        return { 1, index(0), index(1), r.attribute1 };
    case 2:
        return { 2, r.attribute1, index(0) };
    case 3:
        b = { 3, r.count };
        for (std::size_t j = 0; j < r.count; ++j)
            b.push_back(index(j));
        b.push_back(r.attribute1);
        return b;
    case 4:
        b = { 4, r.count };
        for (std::size_t j = 0; j < r.count; ++j)
            b.insert(b.end(), { index(j), static_cast<std::uint8_t>(r.second(j)) });
        b.push_back(0); // attribute 1 of a type-4 record
        return b;
    default:
        if (r.prefixCode >= 131 && r.prefixCode <= 199)
            b = { static_cast<std::uint8_t>(r.prefixCode), static_cast<std::uint8_t>(r.prefixValue) };
        b.insert(b.end(), { r.type, r.count });
        for (std::size_t j = 0; j < r.count; ++j)
            b.insert(b.end(), { index(j), referenceCoordinate(r.s(j)), referenceCoordinate(r.t(j)) });
        b.insert(b.end(), { r.attribute1, r.attribute2 });
        return b;
    }
}

TEST(VkmFile, ElementsAreTheirRecordsByTheRecordTable)
{
    // Every record type, prefix and float kind in random chains: each
    // element's bytes must be its records written by the record table from
    // the decoded lists, each element starting where the one before ended.
    for (unsigned seed : { 4u, 5u, 6u }) {
        const Model3DB m = load(mixedRecordsModel(seed, 200));
        const std::vector<RecordLists3DB> elements = elementLists(m);
        const std::vector<RecordLists3DB> subRecords = subRecordLists(m);
        const Bytes v = vkmBytes(convertToVKM(m));
        const std::size_t offsets = 16 + 8 + 14 * 200 + 8 * 20;
        std::size_t at = offsets + 2 * 200;
        for (std::size_t k = 0; k < elements.size(); ++k) {
            Bytes expected;
            if (!elements[k].isEmptyElement()) {
                expected = referenceRecord(elements[k]);
                for (std::uint32_t child : elements[k].children) {
                    const Bytes sub = referenceRecord(subRecords[child]);
                    expected.insert(expected.end(), sub.begin(), sub.end());
                }
            }
            expected.push_back(255);
            ASSERT_EQ(ByteView(v).u16(offsets + 2 * k), at) << seed << " " << k;
            ASSERT_EQ(slice(v, at, expected.size()), expected) << seed << " " << k;
            at += expected.size();
        }
        EXPECT_EQ(at, v.size()) << seed;
    }
}

Element3DBData textured255()
{
    std::vector<TexVertex> vertices(255);
    Element3DBData e;
    e.records = { recordTextured(0, 0, 0, vertices) }; // 3 * 255 + 4 = 769 VKM bytes
    return e;
}

TEST(VkmCheck, AnElementMayStartAt65535ButNotAt65536)
{
    // Two elements, one point, no inserts: element 0 starts at 16 + 8 + 32 + 8
    // = 64. Element 0 = a one-vertex type-3 record (4 bytes), a type-3
    // sub-record (n + 3 bytes), 85 textured sub-records of 769 bytes, and its
    // 255: 64 + 4 + (n + 3) + 65365 + 1 = 65535 for n = 98.
    auto build = [](std::size_t n) {
        Builder3DB b;
        b.addPoint(0, 0, 0);
        Element3DBData e;
        e.records = { record3(0, 0, { 0 }), record3(0, 0, std::vector<std::uint8_t>(n, 0)) };
        for (int i = 0; i < 85; ++i)
            e.records.push_back(textured255().records[0]);
        b.addElement(e);
        b.addElement(Element3DBData {});
        return b;
    };
    Model3DB fits = load(build(98));
    EXPECT_FALSE(vkmProblem(fits));
    const Bytes v = vkmBytes(convertToVKM(fits));
    EXPECT_EQ(ByteView(v).u16(64 - 2), 65535);
    EXPECT_EQ(v.size(), 65536u);
    EXPECT_TRUE(readsBack(v));

    auto problem = vkmProblem(load(build(99)));
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, "Element 1 would start past byte 65535 of the VKM file!");
}

TEST(VkmCheck, RecordsTheViewerWouldMisreadAreRefused)
{
    auto check = [](std::vector<RecordBytes> records) {
        Builder3DB b;
        b.addPoint(0, 0, 0);
        b.addElement(Element3DBData {});
        Element3DBData e;
        e.records = std::move(records);
        b.addElement(e);
        return vkmProblem(load(b));
    };
    std::vector<TexVertex> one = { { 0, 0, 0 } };
    EXPECT_EQ(check({ recordTextured(7, 0, 0, one) }).value_or(""), "Element 1 has a record of type 7 without prefix!");
    EXPECT_TRUE(check({ record2(0, 0), recordTextured(7, 0, 0, one) }));
    // A prefix outside 131..199 is not written, so the body type must not look like one.
    EXPECT_EQ(check({ recordPrefixed(100, 0, 9, 0, 0, one) }).value_or(""),
        "Element 1 has a record of type 9 without prefix!");
    EXPECT_TRUE(check({ record2(0, 0), recordPrefixed(220, 0, 255, 0, 0, one) }));
    // A prefixed element record of type 255 would turn into an empty element.
    EXPECT_EQ(
        check({ recordPrefixed(140, 0, 255, 0, 0, one) }).value_or(""), "Element 1 starts with a record of type 255!");
    // Written prefixes and plain types are fine.
    EXPECT_FALSE(check({ recordPrefixed(140, 0, 7, 0, 0, one), recordPrefixed(199, 0, 255, 0, 0, one) }));
    EXPECT_FALSE(check({ recordPrefixed(100, 0, 6, 0, 0, one), recordTextured(0, 0, 0, one) }));
}

TEST(VkmCheck, PointsPastTheModelsPointsAndLongFirstRecordsAreRefused)
{
    // Two points; element 1 holds the records under test after an empty element 0.
    auto check = [](std::vector<RecordBytes> records) {
        Builder3DB b;
        b.addPoint(0, 0, 0);
        b.addPoint(1, 1, 1);
        b.addElement(Element3DBData {});
        Element3DBData e;
        e.records = std::move(records);
        b.addElement(e);
        return vkmProblem(load(b)).value_or("");
    };
    const std::string pastTwo = ", but this 3DB has only 2 nodes!";
    struct Case {
        std::vector<RecordBytes> records;
        std::string problem;
    };
    const std::vector<Case> cases = {
        { { record1(0, 0, 1) }, "" },
        { { record1(0, 1, 2) }, "Element 1 uses node 2" + pastTwo },
        { { record2(0, 255) }, "Element 1 uses node 255" + pastTwo },
        { { record3(0, 0, { 0, 1, 5 }) }, "Element 1 uses node 5" + pastTwo },
        { { record4({ 1, 0 }, { 200, 255 }) }, "" }, // second values are not points
        { { record4({ 1, 2 }, { 0, 0 }) }, "Element 1 uses node 2" + pastTwo },
        { { recordTextured(5, 0, 0, { { 1, 0, 0 }, { 9, 0, 0 } }) }, "Element 1 uses node 9" + pastTwo },
        { { recordPrefixed(150, 0, 6, 0, 0, { { 3, 0, 0 } }) }, "Element 1 uses node 3" + pastTwo },
        // Sub-records name points too, though the viewer decodes only the first record.
        { { record2(0, 0), record3(0, 0, { 1, 4 }) }, "Element 1 uses node 4" + pastTwo },
        { { record2(0, 0), record3(0, 0, { 1, 0 }) }, "" },
        // The viewer reads at most 20 vertices of an element's first record.
        { { record3(0, 0, std::vector<std::uint8_t>(20, 1)) }, "" },
        { { record3(0, 0, std::vector<std::uint8_t>(21, 1)) }, "Element 1 has 21 vertices, more than 20!" },
        { { record2(0, 0), record3(0, 0, std::vector<std::uint8_t>(21, 1)) }, "" },
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(check(cases[i].records), cases[i].problem) << "case " << i;

    // A model without points has no point a line could name.
    Builder3DB none;
    Element3DBData line;
    line.records = { record1(0, 0, 0) };
    none.addElement(line);
    EXPECT_EQ(vkmProblem(load(none)).value_or(""), "Element 0 uses node 0, but this 3DB has only 0 nodes!");
}

TEST(VkmWriter, ReportsFilesItCannotCreate)
{
    Builder3DB b;
    b.addPoint(1, 1, 1);
    ModelVKM vkm = convertToVKM(load(b));
    const auto dir = std::filesystem::temp_directory_path() / "modelconv_vkm_test";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(writeVKM(vkm, dir / "OUT.VKM"));
    Bytes back;
    ASSERT_TRUE(readFileImage(dir / "OUT.VKM", back));
    EXPECT_EQ(back, vkmBytes(vkm));
    EXPECT_FALSE(writeVKM(vkm, dir / "missing" / "OUT.VKM"));
    EXPECT_FALSE(writeVKM(vkm, dir)); // a folder
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kvl::modelconv
