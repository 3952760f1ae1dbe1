#include "modelview/testing/vkmbuilder.h"
#include "modelview/vkmmodel.h"

#include <gtest/gtest.h>

namespace kvl::modelview {
namespace {

using kvl::test::VkmBuilder;
using Bytes = std::vector<std::uint8_t>;

const PointSizeRange kSizes { 1.0f, 64.0f, 0.5f };

// A model with `points` points along the x axis and the given elements.
VkmBuilder withPoints(int points)
{
    VkmBuilder b;
    for (int i = 0; i < points; ++i)
        b.point(i, 2 * i, -i);
    return b;
}

// Loads `image` into `model`; false when the loader refuses it.
bool loadBytes(Bytes image, VkmModel& model)
{
    Result<VkmModel> loaded = loadVkm(std::move(image), kSizes);
    if (!loaded)
        return false;
    model = std::move(*loaded);
    return true;
}

bool load(const VkmBuilder& b, VkmModel& model)
{
    return loadBytes(b.build(), model);
}

// Why the loader refuses `image` ("" when it loads).
std::string refusal(Bytes image)
{
    const Result<VkmModel> loaded = loadVkm(std::move(image), kSizes);
    return loaded ? std::string() : loaded.error().message;
}

TEST(VkmLoader, DecodesTheFirstRecordOfEveryType)
{
    VkmBuilder b = withPoints(8);
    b.element({ 255 });
    b.element({ 1, 4, 5, 44, 255 });
    b.element({ 2, 7, 6, 255 });
    b.element({ 3, 4, 0, 1, 2, 3, 9, 255 });
    b.element({ 4, 2, 5, 11, 6, 12, 0, 255 });
    b.element({ 0, 2, 1, 21, 31, 2, 22, 32, 1, 2, 255 });
    b.element({ 5, 1, 3, 23, 33, 1, 2, 255 });
    b.element({ 6, 1, 4, 24, 34, 1, 2, 255 });
    // Prefix code 131 and its value, then the real type: the prefix code is
    // kept as the type and the count is record byte 3.
    b.element({ 131, 4, 6, 3, 0, 1, 2, 1, 3, 4, 2, 5, 6, 1, 2, 255 });
    // A record starting with 7 is taken as prefixed too.
    b.element({ 7, 0, 0, 1, 7, 8, 9, 1, 2, 255 });
    VkmModel m;
    ASSERT_TRUE(load(b, m));
    ASSERT_EQ(m.elementCount(), 10);
    const auto& e = m.elements();

    EXPECT_EQ(e[0].type, 255);
    EXPECT_EQ(e[0].count, 0);

    EXPECT_EQ(e[1].type, 1);
    EXPECT_EQ(e[1].indices[0], 4);
    EXPECT_EQ(e[1].indices[1], 5);
    EXPECT_EQ(e[1].trailing[0], 44);
    EXPECT_EQ(e[1].count, 0);

    EXPECT_EQ(e[2].type, 2);
    EXPECT_EQ(e[2].trailing[0], 7);
    EXPECT_EQ(e[2].indices[0], 6);

    EXPECT_EQ(e[3].type, 3);
    ASSERT_EQ(e[3].count, 4);
    EXPECT_EQ((Bytes { e[3].indices.begin(), e[3].indices.begin() + 4 }), (Bytes { 0, 1, 2, 3 }));
    EXPECT_EQ(e[3].trailing[0], 9);

    EXPECT_EQ(e[4].type, 4);
    ASSERT_EQ(e[4].count, 2);
    EXPECT_EQ(e[4].indices[0], 5);
    EXPECT_EQ(e[4].indices[1], 6);
    EXPECT_EQ(e[4].s[0], 11);
    EXPECT_EQ(e[4].s[1], 12);
    EXPECT_EQ(e[4].trailing[0], 0);

    EXPECT_EQ(e[5].type, 0);
    ASSERT_EQ(e[5].count, 2);
    EXPECT_EQ(e[5].indices[1], 2);
    EXPECT_EQ(e[5].s[0], 21);
    EXPECT_EQ(e[5].t[0], 31);
    EXPECT_EQ(e[5].s[1], 22);
    EXPECT_EQ(e[5].t[1], 32);

    EXPECT_EQ(e[6].type, 5);
    EXPECT_EQ(e[6].indices[0], 3);
    EXPECT_EQ(e[7].type, 6);
    EXPECT_EQ(e[7].t[0], 34);

    EXPECT_EQ(e[8].type, 131);
    ASSERT_EQ(e[8].count, 3);
    EXPECT_EQ(e[8].indices[2], 2);
    EXPECT_EQ(e[8].s[2], 5);
    EXPECT_EQ(e[8].t[2], 6);

    EXPECT_EQ(e[9].type, 7);
    ASSERT_EQ(e[9].count, 1);
    EXPECT_EQ(e[9].indices[0], 7);
    EXPECT_EQ(e[9].s[0], 8);

    EXPECT_EQ(m.textureName(), 0u);
    EXPECT_EQ(m.pointSizes().granularity, 0.5f);
}

TEST(VkmLoader, ReadsPointsAsStoredAndLocatesTables)
{
    VkmBuilder b;
    b.inserts = 2;
    b.point(-3, 32767, -32768);
    b.point(1, 2, 3);
    b.element(VkmBuilder::polygon({ 0, 1, 0 }));
    VkmModel m;
    ASSERT_TRUE(load(b, m));
    const VkmPoint p = m.point(0);
    EXPECT_EQ(p.x, -3);
    EXPECT_EQ(p.y, 32767);
    EXPECT_EQ(p.z, -32768);
    EXPECT_EQ(m.point(1).z, 3);
    const VkmLayout& l = m.layout();
    EXPECT_EQ(l.insertCountPlusOne, 3);
    EXPECT_EQ(l.normalTable, 14u + 8 * 3);
    EXPECT_EQ(l.sequenceTable, l.normalTable + 12);
    EXPECT_EQ(l.pointTable, 16u + 8 * 3 + 14);
    EXPECT_EQ(l.elementOffsets, l.pointTable + 16);
    EXPECT_EQ(m.elementOffset(0), b.dataStart());
}

TEST(VkmLoader, OnlyTheFirstRecordOfAnElementIsRead)
{
    // The sub-record declares 200 vertices and runs off the end; the loader
    // never looks at it.
    VkmBuilder b = withPoints(3);
    b.element({ 3, 3, 0, 1, 2, 9, 3, 200, 0 });
    VkmModel m;
    ASSERT_TRUE(load(b, m));
    EXPECT_EQ(m.elements()[0].count, 3);
}

TEST(VkmLoader, TwentyVerticesLoadAndTwentyOneFail)
{
    // For every record kind that carries a count.
    auto record = [](std::uint8_t type, int n) {
        Bytes r;
        if (type >= 7)
            r = { type, 0, 3 };
        else
            r = { type };
        r.push_back(std::uint8_t(n));
        for (int k = 0; k < n; ++k) {
            r.push_back(std::uint8_t(k));
            if (type == 4)
                r.push_back(1);
            else if (type != 3) {
                r.push_back(2);
                r.push_back(3);
            }
        }
        r.insert(r.end(), { 0, 0, 255 });
        return r;
    };
    for (std::uint8_t type : { 3, 4, 0, 5, 6, 131, 199 }) {
        SCOPED_TRACE(int(type));
        VkmBuilder ok = withPoints(21);
        ok.element(record(type, 20));
        VkmModel m;
        ASSERT_TRUE(load(ok, m));
        EXPECT_EQ(m.elements()[0].count, 20);
        EXPECT_EQ(m.elements()[0].indices[19], 19);

        VkmBuilder bad = withPoints(21);
        bad.element(record(type, 21));
        EXPECT_FALSE(load(bad, m));
    }
}

TEST(VkmLoader, NoElementsLoadsPointsOnly)
{
    VkmBuilder b = withPoints(5);
    VkmModel m;
    ASSERT_TRUE(load(b, m));
    EXPECT_EQ(m.pointCount(), 5);
    EXPECT_EQ(m.elementCount(), 0);
    EXPECT_EQ(m.layout().normalTable, 22u);

    VkmBuilder none;
    const Bytes image = none.build();
    EXPECT_EQ(image.size(), 24u);
    ASSERT_TRUE(loadBytes(image, m));
    EXPECT_EQ(m.pointCount(), 0);
}

TEST(VkmLoader, IgnoresTheFirstSixteenBytes)
{
    VkmBuilder b = withPoints(4);
    b.element(VkmBuilder::polygon({ 0, 1, 2, 3 }));
    b.element(VkmBuilder::marker(2));
    Bytes image = b.build();
    for (int i = 0; i < 16; ++i)
        image[i] = std::uint8_t(0xA5 ^ (i * 37));
    VkmModel plain;
    VkmModel scrambled;
    ASSERT_TRUE(load(b, plain));
    ASSERT_TRUE(loadBytes(image, scrambled));
    ASSERT_EQ(scrambled.elementCount(), 2);
    EXPECT_EQ(scrambled.elements()[0].count, 4);
    EXPECT_EQ(scrambled.elements()[1].indices[0], 2);
    EXPECT_EQ(scrambled.point(3).x, plain.point(3).x);
}

TEST(VkmLoader, RejectsTablesOutsideTheImage)
{
    VkmModel m;
    // Too short for the three counts.
    EXPECT_FALSE(loadBytes({}, m));
    EXPECT_FALSE(loadBytes(Bytes(21, 0), m));

    VkmBuilder b = withPoints(3);
    b.element(VkmBuilder::polygon({ 0, 1, 2 }));
    const Bytes good = b.build();
    ASSERT_TRUE(loadBytes(good, m));
    const std::size_t offsetTable = m.layout().elementOffsets;

    // More points than the file holds.
    Bytes image = good;
    putU16(image, 18, 60000);
    EXPECT_FALSE(loadBytes(image, m));
    // A huge insert count moves every table past the end.
    image = good;
    putU16(image, 16, 65535);
    EXPECT_FALSE(loadBytes(image, m));
    // More elements than offsets: the offset table runs past the end.
    image = good;
    putU16(image, 20, 40);
    EXPECT_FALSE(loadBytes(image, m));
    // The file cut inside the element offset table.
    image = good;
    image.resize(offsetTable + 1);
    EXPECT_FALSE(loadBytes(image, m));
}

TEST(VkmLoader, RejectsElementOffsetsAndRecordsOutsideTheImage)
{
    VkmBuilder b = withPoints(3);
    b.element(VkmBuilder::polygon({ 0, 1, 2 }));
    const Bytes good = b.build();
    VkmModel m;
    ASSERT_TRUE(loadBytes(good, m));
    const std::size_t offsetAt = m.layout().elementOffsets;

    Bytes image = good;
    putU16(image, offsetAt, std::uint16_t(good.size())); // one past the end
    EXPECT_FALSE(loadBytes(image, m));
    putU16(image, offsetAt, 65535);
    EXPECT_FALSE(loadBytes(image, m));

    // Records cut short at the end of the file, one kind at a time.
    for (const Bytes& record : { Bytes { 3, 3, 0, 1, 2 }, Bytes { 1, 0 }, Bytes { 2, 7 }, Bytes { 4, 1, 0 },
             Bytes { 0, 1, 0, 1 }, Bytes { 131, 1 }, Bytes { 3 } }) {
        SCOPED_TRACE(int(record[0]));
        VkmBuilder cut = withPoints(3);
        cut.element(record);
        EXPECT_FALSE(load(cut, m));
    }
    // Trailing bytes of a textured record are not needed.
    VkmBuilder textured = withPoints(3);
    textured.element({ 5, 1, 2, 0, 0 });
    EXPECT_TRUE(load(textured, m));
}

TEST(VkmLoader, RejectsVertexIndicesOutsideThePointTable)
{
    const std::vector<std::pair<Bytes, Bytes>> cases = {
        // in range (index 2 of 3 points), out of range (index 3)
        { { 1, 0, 2, 0, 255 }, { 1, 3, 0, 0, 255 } },
        { { 2, 0, 2, 255 }, { 2, 0, 3, 255 } },
        { { 3, 2, 0, 2, 0, 255 }, { 3, 2, 0, 3, 0, 255 } },
        { { 4, 1, 2, 200, 0, 255 }, { 4, 1, 3, 0, 0, 255 } },
        { { 0, 1, 2, 0, 0, 0, 0, 255 }, { 0, 1, 3, 0, 0, 0, 0, 255 } },
        { { 140, 0, 5, 1, 2, 9, 9, 0, 0, 255 }, { 140, 0, 5, 1, 255, 9, 9, 0, 0, 255 } },
    };
    for (const auto& [good, bad] : cases) {
        SCOPED_TRACE(int(good[0]));
        VkmModel m;
        VkmBuilder ok = withPoints(3);
        ok.element(good);
        EXPECT_TRUE(load(ok, m));
        VkmBuilder wrong = withPoints(3);
        wrong.element(bad);
        EXPECT_FALSE(load(wrong, m));
    }
    // With no points at all even a marker at 0 is outside.
    VkmBuilder empty;
    empty.element(VkmBuilder::marker(0));
    VkmModel m;
    EXPECT_FALSE(load(empty, m));
}

TEST(VkmLoader, RefusalsSayWhatAndWhere)
{
    EXPECT_EQ(refusal(Bytes(21, 0)), "the file has 21 bytes, fewer than the 22-byte header");

    VkmBuilder b = withPoints(3);
    b.element(VkmBuilder::polygon({ 0, 1, 2 }));
    const Bytes good = b.build();
    EXPECT_EQ(refusal(good), "");
    Bytes image = good;
    putU16(image, 18, 60000);
    EXPECT_EQ(refusal(image),
        "the point and element offset tables (60000 points, 1 elements) end at 480040, past the "
        "end of the "
            + std::to_string(good.size()) + "-byte file");

    VkmModel m;
    ASSERT_TRUE(loadBytes(good, m));
    image = good;
    putU16(image, m.layout().elementOffsets, 9000);
    EXPECT_EQ(
        refusal(image), "element 0 starts at 9000, past the end of the " + std::to_string(good.size()) + "-byte file");

    VkmBuilder cut = withPoints(3);
    cut.element({ 3, 3, 0, 1 });
    EXPECT_EQ(refusal(cut.build()).substr(0, 10), "element 0 ");
    EXPECT_NE(refusal(cut.build()).find("runs past the end"), std::string::npos);

    VkmBuilder many = withPoints(3);
    many.element(VkmBuilder::polygon({ 0, 1, 2 }));
    many.element({ 3, 21, 0 });
    EXPECT_EQ(refusal(many.build()), "element 1 declares 21 vertices, more than 20");

    VkmBuilder outside = withPoints(3);
    outside.element(VkmBuilder::marker(7));
    EXPECT_EQ(refusal(outside.build()), "element 0 uses point 7, but the file has 3 points");
}

TEST(VkmSummary, CountsElementKindsAndExtent)
{
    VkmBuilder b;
    b.point(-10, 5, 0);
    b.point(30, -20, 7);
    b.point(0, 0, -4);
    b.element(VkmBuilder::polygon({ 0, 1, 2 }));
    b.element(VkmBuilder::marker(1));
    b.element({ 1, 0, 1, 0, 255 });
    b.element({ 255 });
    b.element({ 0, 0, 0, 0, 255 });
    b.element({ 150, 0, 3, 0, 0, 0, 255 });
    VkmModel m;
    ASSERT_TRUE(load(b, m));
    const ModelSummary s = summarize(m);
    EXPECT_EQ(s.points, 3);
    EXPECT_EQ(s.elements, 6);
    EXPECT_EQ(s.polygons, 2);
    EXPECT_EQ(s.markers, 1);
    EXPECT_EQ(s.lines, 1);
    EXPECT_EQ(s.empty, 1);
    EXPECT_EQ(s.other, 1);
    ASSERT_TRUE(s.hasExtent);
    EXPECT_EQ(s.minimum, (std::array<float, 3> { -10, -20, -4 }));
    EXPECT_EQ(s.maximum, (std::array<float, 3> { 30, 5, 7 }));
}

} // namespace
} // namespace kvl::modelview
