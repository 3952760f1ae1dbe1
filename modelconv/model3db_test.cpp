// Tests of the .3DB reader: layout, record decoding, end block placement and
// the refusal of files whose counts, offsets or chains run past their end.
#include "modelconv/model3db.h"
#include "modelconv/testing/builder3db.h"
#include "modelconv/testing/mixedmodels.h"
#include "modelconv/testing/recordlists.h"

#include "common/byteview.h"
#include "common/fileimage.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <filesystem>

namespace kvl::modelconv {
namespace {

using namespace kvl::test;

Model3DB decodeOk(std::vector<std::uint8_t> bytes)
{
    auto model = decode3DB(std::move(bytes));
    if (!model) {
        ADD_FAILURE() << model.error().message;
        return Model3DB();
    }
    return std::move(model).value();
}

std::string decodeError(std::vector<std::uint8_t> bytes)
{
    auto model = decode3DB(std::move(bytes));
    EXPECT_FALSE(model);
    return model ? std::string() : model.error().message;
}

Builder3DB oneElement(std::vector<RecordBytes> records)
{
    Builder3DB b;
    Element3DBData e;
    e.records = std::move(records);
    e.endCode = 0x77;
    b.addElement(std::move(e));
    return b;
}

// With I = P = T = 0 and E = 1 the element data starts at
// 60 + 20 (normal) + 4 (sequence start) + 4 (sequence) + 4 (offset) = 92.
constexpr std::size_t OneElementDataStart = 92;

TEST(Load3DB, ModelWithoutElementsHasItsEndBlockFourBytesAfterTheTables)
{
    Builder3DB b;
    b.addInsert(1, 2, 3, 4, 5, 6);
    b.addPoint(7, 8, 9, -2);
    b.setTextureName("SKIN.BMP");
    Model3DB m = decodeOk(b.build());
    EXPECT_EQ(m.insertCount(), 1);
    EXPECT_EQ(m.pointCount(), 1);
    EXPECT_EQ(m.elementCount(), 0);
    EXPECT_TRUE(m.elements().empty());
    EXPECT_TRUE(m.subRecords().empty());
    // 60 + 16 + 16 + 4 (sequence start) = 96; the end block at 100.
    EXPECT_EQ(m.endBlockPosition(), 100u);
    EXPECT_EQ(m.textureName(), "SKIN.BMP");
    EXPECT_EQ(m.image().size(), 204u);
}

TEST(Load3DB, EndBlockFollowsTheTerminatorOfTheLastElementInTheTable)
{
    // Non-empty last element: its 255 at q, the end block at q + 4.
    Model3DB full = decodeOk(oneElement({ record2(1, 2) }).build());
    EXPECT_EQ(full.endBlockPosition(), OneElementDataStart + 4 + 4);
    // Empty last element at q: the end block at q + 5.
    Model3DB empty = decodeOk(oneElement({}).build());
    EXPECT_EQ(empty.endBlockPosition(), OneElementDataStart + 5);
    EXPECT_TRUE(empty.elements()[0].isEmptyElement());
    EXPECT_EQ(empty.elements()[0].childCount, 0u);

    // The last element of the table decides, not the last one in the file:
    // swap the two offsets so that the table's last element comes first.
    Builder3DB b;
    Element3DBData big, small;
    big.records = { record3(0, 0, { 1, 2, 3 }) }; // 17 bytes with its 255
    small.records = {};
    b.addElement(big);
    b.addElement(small);
    std::vector<std::uint8_t> bytes = b.build();
    const std::size_t table = 60 + 2 * 20 + 4 + 2 * 4; // the offsets
    const std::size_t data = table + 8;
    ASSERT_TRUE(putU32(bytes, table, static_cast<std::uint32_t>(data + 17 - 60)));
    ASSERT_TRUE(putU32(bytes, table + 4, static_cast<std::uint32_t>(data - 60)));
    Model3DB swapped = decodeOk(bytes);
    EXPECT_TRUE(swapped.elements()[0].isEmptyElement());
    EXPECT_EQ(swapped.elements()[1].type, 3);
    EXPECT_EQ(swapped.endBlockPosition(), data + 16 + 4);
}

TEST(Load3DB, ElementSizesFollowTheRecordLayouts)
{
    // A type-3 record with n = 3 and the 255: 4 + 12 + 1 = 17 bytes.
    EXPECT_EQ(
        decodeOk(oneElement({ record3(0, 0, { 5, 6, 7 }) }).build()).endBlockPosition(), OneElementDataStart + 16 + 4);
    std::vector<TexVertex> three = { { 1, 0, 0 }, { 2, 0, 0 }, { 3, 0, 0 } };
    // Textured first record (no end code) then a type-2 sub-record: 4 + 36 + 4 + 1.
    Model3DB a = decodeOk(oneElement({ recordTextured(5, 0, 0, three), record2(0, 9) }).build());
    EXPECT_EQ(a.endBlockPosition(), OneElementDataStart + 44 + 4);
    EXPECT_EQ(a.elements()[0].endCode, 0u);
    // Type 2 first, textured sub-record with its end code: 4 + 4 + 36 + 1 + 1.
    Model3DB b = decodeOk(oneElement({ record2(0, 9), recordTextured(5, 0, 0, three) }).build());
    EXPECT_EQ(b.endBlockPosition(), OneElementDataStart + 45 + 4);
    ASSERT_EQ(b.subRecords().size(), 1u);
    EXPECT_EQ(b.subRecords()[0].endCode, 0x77u);
    EXPECT_EQ(listsOf(b, b.subRecords()[0]).indices, (std::vector<std::uint16_t> { 1, 2, 3 }));
}

TEST(Load3DB, DecodesEveryRecordTypeFieldByField)
{
    Builder3DB b;
    Element3DBData e;
    e.endCode = 0x42;
    e.records = { record1(11, 200, 201), record2(12, 202), record3(13, 14, { 1, 2, 255 }),
        record4({ 3, 4 }, { 250, 251 }), recordTextured(0, 15, 16, { { 5, 0.5f, -0.25f } }),
        recordTextured(7, 17, 18, { { 6, 1.0f, 2.0f }, { 7, 3.0f, 4.0f } }),
        recordPrefixed(140, 99, 6, 19, 20, { { 8, 0.125f, 0.75f } }), recordPrefixed(8, 1, 200, 21, 22, {}) };
    b.addElement(e);
    Model3DB m = decodeOk(b.build());
    const RecordLists3DB r1 = elementLists(m)[0];
    EXPECT_EQ(r1.type, 1);
    EXPECT_EQ(r1.attribute1, 11);
    EXPECT_EQ(r1.indices, (std::vector<std::uint16_t> { 200, 201 }));
    EXPECT_EQ(r1.count, 0);
    ASSERT_EQ(r1.children, (std::vector<std::uint32_t> { 0, 1, 2, 3, 4, 5, 6 }));
    const auto s = subRecordLists(m);
    EXPECT_EQ(s[0].type, 2);
    EXPECT_EQ(s[0].attribute1, 12);
    EXPECT_EQ(s[0].indices, (std::vector<std::uint16_t> { 202 }));
    EXPECT_EQ(s[0].endCode, 0u);
    EXPECT_EQ(s[1].type, 3);
    EXPECT_EQ(s[1].count, 3);
    EXPECT_EQ(s[1].attribute1, 13);
    EXPECT_EQ(s[1].attribute2, 14);
    EXPECT_EQ(s[1].indices, (std::vector<std::uint16_t> { 1, 2, 255 }));
    EXPECT_EQ(s[2].type, 4);
    EXPECT_EQ(s[2].indices, (std::vector<std::uint16_t> { 3, 4 }));
    EXPECT_EQ(s[2].secondValues, (std::vector<std::uint16_t> { 250, 251 }));
    EXPECT_EQ(s[2].attribute1, 0);
    EXPECT_EQ(s[3].type, 0);
    EXPECT_EQ(s[3].attribute1, 15);
    EXPECT_EQ(s[3].attribute2, 16);
    EXPECT_EQ(s[3].sValues, (std::vector<float> { 0.5f }));
    EXPECT_EQ(s[3].tValues, (std::vector<float> { -0.25f }));
    EXPECT_EQ(s[3].endCode, 0x42u);
    EXPECT_EQ(s[4].type, 7);
    EXPECT_EQ(s[4].sValues, (std::vector<float> { 1.0f, 3.0f }));
    EXPECT_EQ(s[4].tValues, (std::vector<float> { 2.0f, 4.0f }));
    EXPECT_EQ(s[5].prefixCode, 140);
    EXPECT_EQ(s[5].prefixValue, 99);
    EXPECT_EQ(s[5].type, 6);
    EXPECT_EQ(s[5].attribute1, 19);
    EXPECT_EQ(s[5].attribute2, 20);
    EXPECT_EQ(s[5].indices, (std::vector<std::uint16_t> { 8 }));
    EXPECT_EQ(s[5].sValues, (std::vector<float> { 0.125f }));
    EXPECT_EQ(s[5].tValues, (std::vector<float> { 0.75f }));
    EXPECT_EQ(s[6].prefixCode, 8);
    EXPECT_EQ(s[6].type, 200);
    EXPECT_EQ(s[6].count, 0);
    EXPECT_TRUE(s[6].indices.empty());
    for (const RecordLists3DB& r : s)
        EXPECT_TRUE(r.children.empty());
}

TEST(Load3DB, PrefixedRecordsAlwaysHaveTheTexturedBody)
{
    // Body type 4 after a prefix: read as textured, no second values.
    Model3DB m = decodeOk(oneElement({ recordPrefixed(150, 1, 4, 2, 3, { { 9, 0.5f, 0.5f } }) }).build());
    const RecordLists3DB r = elementLists(m)[0];
    EXPECT_EQ(r.type, 4);
    EXPECT_EQ(r.indices, (std::vector<std::uint16_t> { 9 }));
    EXPECT_TRUE(r.secondValues.empty());
    EXPECT_EQ(r.sValues.size(), 1u);
}

TEST(Load3DB, SubRecordsOfAllElementsShareOneList)
{
    Builder3DB b;
    for (int i = 0; i < 3; ++i) {
        Element3DBData e;
        e.records = { record2(0, static_cast<std::uint8_t>(i)), record2(1, 10), record2(2, 20) };
        b.addElement(e);
    }
    Model3DB m = decodeOk(b.build());
    ASSERT_EQ(m.subRecords().size(), 6u);
    EXPECT_EQ(elementLists(m)[1].children, (std::vector<std::uint32_t> { 2, 3 }));
    EXPECT_EQ(elementLists(m)[2].children, (std::vector<std::uint32_t> { 4, 5 }));
    EXPECT_EQ(m.subRecords()[3].attribute1, 2);
}

TEST(Load3DB, EntriesReadThroughTheModelAgreeWithCheckedReadsOfTheImage)
{
    // Model3DB::entries reads each record's entries with one range check per
    // record; reading every entry byte by byte through checked reads must
    // give the same values, including 0 for the entries a record lacks.
    auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
    for (unsigned seed : { 7u, 8u }) {
        const Model3DB m = decodeOk(mixedRecordsModel(seed, 300).build());
        ASSERT_EQ(m.elements().size(), 300u);
        for (const auto* records : { &m.elements(), &m.subRecords() }) {
            for (const Record3DB& r : *records) {
                const RecordEntries3DB e = m.entries(r);
                const RecordLists3DB lists = listsOf(m, r);
                for (std::size_t j = 0; j < std::size_t(r.count) + 3; ++j) {
                    ASSERT_EQ(e.index(j), lists.index(j)) << seed << " " << j;
                    ASSERT_EQ(e.second(j), lists.second(j)) << seed << " " << j;
                    ASSERT_EQ(bits(e.s(j)), bits(lists.s(j))) << seed << " " << j;
                    ASSERT_EQ(bits(e.t(j)), bits(lists.t(j))) << seed << " " << j;
                }
            }
        }
    }
}

TEST(Load3DB, SectionRecordsAreReadFromTheirTables)
{
    Builder3DB b;
    b.addInsert(1.5f, -2.0f, 3.0f, 7, 8, 0xBEEF);
    b.addPoint(4.0f, 5.0f, 6.0f, -300);
    b.addTvn(0.1f, 0.2f, 0.3f, 0.4f);
    b.startBack = 0x1234;
    b.startFront = 0xFEDC;
    Element3DBData e;
    e.normal[0] = -0.5f;
    e.normal[3] = 99.0f;
    e.f = -7;
    e.back = 3;
    e.front = 65535;
    b.addElement(e);
    Model3DB m = decodeOk(b.build());
    EXPECT_EQ(m.insert(0).y, 1.5f);
    EXPECT_EQ(m.insert(0).z, -2.0f);
    EXPECT_EQ(m.insert(0).cod, 7);
    EXPECT_EQ(m.insert(0).num, 8);
    EXPECT_EQ(m.insert(0).term, 0xBEEF);
    EXPECT_EQ(m.point(0).x, 6.0f);
    EXPECT_EQ(m.point(0).b, -300);
    EXPECT_EQ(m.tvn(0).values[3], 0.4f);
    EXPECT_EQ(m.normal(0).y, -0.5f);
    EXPECT_EQ(m.normal(0).d, 99.0f);
    EXPECT_EQ(m.normal(0).f, -7);
    EXPECT_EQ(m.sequenceStart().back, 0x1234);
    EXPECT_EQ(m.sequenceStart().front, 0xFEDC);
    EXPECT_EQ(m.sequence(0).back, 3);
    EXPECT_EQ(m.sequence(0).front, 65535);
    EXPECT_TRUE(m.elements()[0].isEmptyElement());
}

TEST(Load3DB, LoadFromDiskAndOpenFailure)
{
    const auto dir = std::filesystem::temp_directory_path() / "modelconv_load3db_test";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writeFileImage(dir / "A.3DB", oneElement({ record2(1, 2) }).build()));
    auto m = load3DB(dir / "A.3DB");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->elementCount(), 1);
    auto missing = load3DB(dir / "MISSING.3DB");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message, "Unable to open 3DB file!");
    EXPECT_EQ(missing.error().code, ENOENT);
    auto folder = load3DB(dir);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().message, "Unable to open 3DB file!");
    // A file far larger than any model is refused before it is read.
    ASSERT_TRUE(writeFileImage(dir / "HUGE.3DB", oneElement({ record2(1, 2) }).build()));
    std::filesystem::resize_file(dir / "HUGE.3DB", (std::uintmax_t(64) << 20) + 1);
    auto huge = load3DB(dir / "HUGE.3DB");
    ASSERT_FALSE(huge);
    EXPECT_EQ(
        huge.error().message, "Bad 3DB file: the file has 67108865 bytes, more than the 64 MiB a model may have!");
    std::filesystem::remove_all(dir);
}

// Bad files: every kind of count, offset and chain that runs past the end.

std::vector<std::uint8_t> withI32(std::vector<std::uint8_t> bytes, std::size_t at, std::int32_t value)
{
    EXPECT_TRUE(putI32(bytes, at, value));
    return bytes;
}

TEST(Load3DB, RefusesBadHeadersAndCounts)
{
    const std::vector<std::uint8_t> good = oneElement({ record2(1, 2) }).build();
    EXPECT_NE(decodeError({}).find("less than the 60-byte header"), std::string::npos);
    EXPECT_NE(
        decodeError(std::vector<std::uint8_t>(good.begin(), good.begin() + 59)).find("59 bytes"), std::string::npos);
    for (std::size_t field = 0; field < 4; ++field) {
        std::string error = decodeError(withI32(good, 12 + 4 * field, -1));
        EXPECT_EQ(error.rfind("Bad 3DB file: ", 0), 0u) << error;
        EXPECT_NE(error.find("negative"), std::string::npos) << error;
        EXPECT_NE(decodeError(withI32(good, 12 + 4 * field, 0x7FFFFFFF)).find("bytes of tables"), std::string::npos);
    }
    // One more point than the file holds.
    EXPECT_NE(decodeError(withI32(good, 16, 100)).find("need"), std::string::npos);
}

TEST(Load3DB, RefusesElementsAndEndBlocksPastTheEnd)
{
    const std::vector<std::uint8_t> good = oneElement({ record3(0, 0, { 1, 2, 3 }) }).build();
    const std::size_t offsetField = OneElementDataStart - 4;
    // Offset past the end, and the largest offset (no wrap-around).
    EXPECT_NE(decodeError(withI32(good, offsetField, 100000)).find("past the end"), std::string::npos);
    EXPECT_NE(decodeError(withI32(good, offsetField, -1)).find("past the end"), std::string::npos);
    // Every cut inside the element or the end block is refused.
    const std::size_t elementEnd = OneElementDataStart + 17;
    for (std::size_t cut = OneElementDataStart; cut < good.size(); ++cut) {
        std::string error = decodeError(std::vector<std::uint8_t>(good.begin(), good.begin() + cut));
        EXPECT_EQ(error.rfind("Bad 3DB file: ", 0), 0u) << cut;
        if (cut >= elementEnd) {
            EXPECT_NE(error.find("end block"), std::string::npos) << cut << error;
        }
    }
}

TEST(Load3DB, RefusesChainsThatRunPastTheEnd)
{
    // A record whose count runs past the end of the file, of each layout.
    for (std::uint8_t lead : { 3, 4, 0, 5, 6, 7, 150 }) {
        std::vector<std::uint8_t> bytes = oneElement({ record2(1, 2) }).build();
        bytes[OneElementDataStart] = lead;
        bytes[OneElementDataStart + 1] = 255; // n = 255 (or a prefix value)
        bytes[OneElementDataStart + 5] = 255; // n of a prefixed body
        std::string error = decodeError(bytes);
        EXPECT_NE(error.find("runs past the end of the file"), std::string::npos) << int(lead) << error;
    }
    // No terminating 255 anywhere: a chain of type-2 records up to the end.
    std::vector<std::uint8_t> bytes = oneElement({ record2(1, 2) }).build();
    for (std::size_t i = OneElementDataStart; i < bytes.size(); ++i)
        bytes[i] = (i - OneElementDataStart) % 4 == 0 ? 2 : 0;
    EXPECT_EQ(decodeError(bytes).rfind("Bad 3DB file: ", 0), 0u);
    // A textured sub-record whose end code byte is missing.
    Builder3DB b = oneElement({ record2(1, 2), recordTextured(5, 0, 0, { { 1, 0, 0 } }) });
    std::vector<std::uint8_t> full = b.build();
    std::vector<std::uint8_t> cut(full.begin(), full.begin() + OneElementDataStart + 4 + 16);
    EXPECT_NE(decodeError(cut).find("runs past the end"), std::string::npos);
}

TEST(Load3DB, RefusesElementsThatShareTheirDataBeyondReason)
{
    // 2000 elements whose offsets all point at one long chain: reading them
    // would walk the file hundreds of times over.
    Builder3DB b;
    Element3DBData e;
    e.records.push_back(record2(0, 0));
    for (int i = 0; i < 2000; ++i)
        e.records.push_back(record2(0, 1));
    b.addElement(e);
    for (int i = 1; i < 2000; ++i)
        b.addElement(Element3DBData {});
    std::vector<std::uint8_t> bytes = b.build();
    const std::size_t table = 60 + 2000 * 20 + 4 + 2000 * 4;
    const std::uint32_t first = ByteView(bytes).u32(table).value();
    for (std::size_t i = 0; i < 2000; ++i)
        ASSERT_TRUE(putU32(bytes, table + 4 * i, first));
    EXPECT_NE(decodeError(bytes).find("share"), std::string::npos);
    // A few elements sharing one chain are still read.
    Builder3DB few;
    for (int i = 0; i < 3; ++i)
        few.addElement(e);
    std::vector<std::uint8_t> fewBytes = few.build();
    const std::size_t fewTable = 60 + 3 * 20 + 4 + 3 * 4;
    const std::uint32_t fewFirst = ByteView(fewBytes).u32(fewTable).value();
    ASSERT_TRUE(putU32(fewBytes, fewTable + 4, fewFirst));
    Model3DB m = decodeOk(fewBytes);
    EXPECT_EQ(m.subRecords().size(), 3u * 2000u);
}

} // namespace
} // namespace kvl::modelconv
