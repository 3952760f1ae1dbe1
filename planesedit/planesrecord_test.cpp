// The record reader and writer, the grid's row layout, the number notation
// and the character set.
#include "planesedit/planesrecord.h"
#include "planesedit/recordlayout.h"
#include "planesedit/testsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kvl::planesedit;
using namespace kvl::test;

TEST(PlanesRecord, PositionsOfFirstAndLastSlot)
{
    EXPECT_EQ(filePosition(0, 1), 5u);
    EXPECT_EQ(filePosition(29, 168), 6436u);
    EXPECT_EQ(filePosition(1, 1), 221u);
}

TEST(PlanesRecord, ReaderNeedsTheWholeEditedPartAndNothingMore)
{
    auto image = makePlanesImage();
    image.resize(6436); // ends with the last edited byte of slot 29
    const auto rec = readAircraftRecord(kvl::ByteView(image), 29);
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->slot, 29);
    EXPECT_EQ(rec->positions.front(), 6269u);
    EXPECT_EQ(rec->positions.back(), 6436u);
    EXPECT_EQ(rec->values.back(), image[6435]);

    image.resize(6435);
    EXPECT_FALSE(readAircraftRecord(kvl::ByteView(image), 29));
    EXPECT_TRUE(readAircraftRecord(kvl::ByteView(image), 28));
    EXPECT_FALSE(readAircraftRecord(kvl::ByteView(image), 30));
    EXPECT_FALSE(readAircraftRecord(kvl::ByteView(image), -1));
    EXPECT_FALSE(readAircraftRecord(kvl::ByteView(), 0));
}

TEST(PlanesRecord, ReaderOverEveryShortLength)
{
    // Every length below a full file: a slot reads exactly when its edited part fits.
    const auto full = makePlanesImage();
    for (std::size_t len = 0; len <= full.size(); len += 7) {
        kvl::ByteView view(full.data(), len);
        for (int s = 0; s < kSlotCount; ++s)
            EXPECT_EQ(readAircraftRecord(view, s).has_value(), len >= filePosition(s, kRecordBytes)) << len << " " << s;
    }
}

TEST(PlanesRecord, FolderReaderFindsAnyCaseAndExplainsFailures)
{
    TempFolder dir;
    auto missing = readAircraftRecord(dir.path(), 0);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("not found"), std::string::npos) << missing.error().message;

    auto image = makePlanesImage();
    writeFile(dir.path() / "PLANES.DAT", image);
    auto rec = readAircraftRecord(dir.path(), 3);
    ASSERT_TRUE(rec) << rec.error().message;
    EXPECT_EQ(rec->values[0], image[filePosition(3, 1) - 1]);

    image.resize(1000);
    writeFile(dir.path() / "PLANES.DAT", image);
    auto shortFile = readAircraftRecord(dir.path(), 10);
    ASSERT_FALSE(shortFile);
    EXPECT_EQ(
        shortFile.error().message, "planes.dat holds 1000 bytes, too few for slot 10 (Spit Ia), which needs 2332.");

    std::filesystem::remove(dir.path() / "PLANES.DAT");
    std::filesystem::create_directory(dir.path() / "planes.dat");
    auto folder = readAircraftRecord(dir.path(), 0);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().message.rfind("planes.dat could not be read: ", 0), 0u) << folder.error().message;
}

TEST(PlanesRecord, WriterTouchesOnlyTheRecordAndNeverTruncates)
{
    TempFolder dir;
    const auto before = makePlanesImage();
    writeFile(dir.path() / "Planes.Dat", before);
    auto rec = readAircraftRecord(kvl::ByteView(before), 17);
    ASSERT_TRUE(rec);
    for (auto& v : rec->values)
        v = static_cast<std::uint8_t>(255 - v);
    auto written = writeAircraftRecord(dir.path(), rec->positions, rec->values);
    ASSERT_TRUE(written) << written.error().message;

    const auto after = readFile(dir.path() / "Planes.Dat");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1)
        << "the file of another letter case is written, no new one";
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool inRecord = i >= filePosition(17, 1) - 1 && i < filePosition(17, kRecordBytes);
        if (inRecord) {
            EXPECT_EQ(after[i], 255 - before[i]) << i;
        } else {
            ASSERT_EQ(after[i], before[i]) << "byte " << i << " outside the record changed";
        }
    }
}

TEST(PlanesRecord, WriterCreatesAMissingFile)
{
    TempFolder dir;
    std::array<std::uint64_t, kRecordBytes> pos {};
    std::array<std::uint8_t, kRecordBytes> val {};
    for (int i = 0; i < kRecordBytes; ++i) {
        pos[static_cast<std::size_t>(i)] = filePosition(1, i + 1);
        val[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    auto written = writeAircraftRecord(dir.path(), pos, val);
    ASSERT_TRUE(written) << written.error().message;
    pos[7] = 0;
    EXPECT_EQ(writeAircraftRecord(dir.path(), pos, val).error().message, "A byte position of the record is not valid.");
    const auto bytes = readFile(dir.path() / "planes.dat");
    ASSERT_EQ(bytes.size(), filePosition(1, kRecordBytes));
    EXPECT_EQ(bytes[filePosition(1, 1) - 1], 0);
    EXPECT_EQ(bytes.back(), 167);
}

TEST(RecordLayout, RowsOfTheNamedFields)
{
    // Each field's label stands on the row of its first byte (byte number = offset + 1).
    const std::pair<int, const char*> rows[] = { { kPlaneNumberRow, "Pln No" }, { flagRow(0), "Pln chr" },
        { kYearRow, "Year" }, { kCrewRow, "Crew" }, { numberRow(0), "Stall speed" },
        { numberRow(14), "Collision Radius" }, { kDamageFirstRow, "Hydraulics" }, { kDamageLastRow, "Engine 4" },
        { kGunCountRow, "Gun Groups" }, { gunGroupRow(1), " 1 Number" },
        { gunGroupRow(1) + kGunSmokeOffset, " 1 Smoke" }, { gunGroupRow(6) + kGunAmmunitionOffset, " 6 Ammunition" },
        { kMbFirstRow, "MB 1" }, { kMbLastRow, "MB 4" } };
    for (const auto& [row, label] : rows)
        EXPECT_EQ(gridLabel(row), label) << row;
    EXPECT_EQ(numberRow(14), 69);
    EXPECT_EQ(gunGroupRow(6) + kGunGroupBytes, kMbFirstRow) << "the gun groups end where MB 1 starts";
    EXPECT_EQ(kCodeRow + kCodeLength - 1, kRecordBytes);
    EXPECT_EQ(gridLabel(gunGroupRow(1) + 1), "");
    EXPECT_EQ(gridLabel(kCodeRow), "");

    EXPECT_EQ(fieldNameOfRow(kYearRow + 1), "Year, byte 2");
    EXPECT_EQ(fieldNameOfRow(gunGroupRow(2) + kGunTypeOffset + 1), "2 Type, byte 2");
    EXPECT_EQ(fieldNameOfRow(167), "Code");
    for (int row = 1; row <= kRecordBytes; ++row)
        EXPECT_EQ(isByteEditorRow(row), (row >= 73 && row <= 84) || (row >= 161 && row <= 164)) << row;
}

TEST(RecordLayout, UnitReadings)
{
    EXPECT_EQ(unitReading(0, 12345), " 198.66 kph");
    EXPECT_EQ(unitReading(3, 12345), " 198.66 kph");
    EXPECT_EQ(unitReading(4, 5000), " 2268 Kg");
    EXPECT_EQ(unitReading(6, 5000), " 2268 Kg");
    EXPECT_EQ(unitReading(5, 777), "");
    EXPECT_EQ(unitReading(7, 66000000), " 500 Miles / 804Km");
    EXPECT_EQ(unitReading(8, 2100), " 100ft/ 30.4m");
    EXPECT_EQ(unitReading(14, 1000), " 47.6190476190476ft/ 14.5m");
}

TEST(Notation, StrAndDecimalText)
{
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(1), " 1");
    EXPECT_EQ(Str(-2.5), "-2.5");
    EXPECT_EQ(Str(std::floor(12345 * 1.6093) * 0.01), " 198.66");
    EXPECT_EQ(Str(100.0 / 21), " 4.76190476190476"); // 15 significant digits
    EXPECT_EQ(Str(4294967295.0), " 4294967295");
    EXPECT_EQ(decimalText(-0.0), "0");
    EXPECT_EQ(decimalText(30.4), "30.4");
    EXPECT_EQ(decimalText(std::numeric_limits<double>::infinity()), "Inf");
}

TEST(Notation, ValReadsTheNumberAtTheStart)
{
    EXPECT_EQ(Val("1943"), 1943);
    EXPECT_EQ(Val("   12abc"), 12);
    EXPECT_EQ(Val(" 1943"), 1943);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val("-3.5e2x"), -350);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("+7"), 7);
    EXPECT_TRUE(std::isinf(Val("1e999")));
    EXPECT_EQ(Val("1e-999"), 0);
    // Out of range without an exponent, or with one that points the other way.
    EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(Val("-0." + std::string(400, '0') + "7ft"), 0);
    EXPECT_TRUE(std::isinf(Val("1" + std::string(500, '0') + "e-10")));
    EXPECT_EQ(Val("0.0001" + std::string(400, '0') + "e-400"), 0);
    EXPECT_EQ(Val(std::string(400, '0') + "5"), 5);
}

TEST(Notation, ByteCellsRoundHalvesToEvenAndRejectTheRest)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        { "0", true, 0 },
        { "255", true, 255 },
        { " 7 ", true, 7 },
        { "2.5", true, 2 },
        { "3.5", true, 4 },
        { "255.4", true, 255 },
        { "-0.4", true, 0 },
        { "256", false, 0 },
        { "255.5", false, 0 },
        { "-1", false, 0 },
        { "", false, 0 },
        { "  ", false, 0 },
        { "7a", false, 0 },
        { "abc", false, 0 },
        { "1e999", false, 0 },
        { "NaN", false, 0 },
    };
    for (const auto& c : cases) {
        std::uint8_t b = 99;
        EXPECT_EQ(parseByteCell(c.text, b), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(b, c.value) << c.text;
        }
    }
}

TEST(Notation, SplittingIsArithmetic)
{
    EXPECT_EQ(split16(1943), (std::array<double, 2> { 151, 7 }));
    EXPECT_EQ(split32(30000), (std::array<double, 4> { 48, 117, 0, 0 }));
    EXPECT_EQ(split32(4294967295.0), (std::array<double, 4> { 255, 255, 255, 255 }));
    // Out of range values give out-of-range bytes, which a save then refuses.
    EXPECT_EQ(split16(-5), (std::array<double, 2> { 251, -1 }));
    EXPECT_EQ(split32(4294967296.0)[3], 256);
}

TEST(CharacterSet, Utf8AndSingleBytes)
{
    EXPECT_EQ(decodeUtf8("A\xC3\xA9"), U"A\u00E9");
    EXPECT_EQ(toSingleByte(decodeUtf8("A\xC3\xA9\xE2\x82\xAC")), std::string("A\xE9?"));
    EXPECT_EQ(charFromByte(0xE9), "\xC3\xA9");
    // Malformed and cut-off sequences become replacement characters, never a read past the end.
    EXPECT_EQ(decodeUtf8("\xC3"), U"\uFFFD");
    EXPECT_EQ(decodeUtf8("\xE2\x82"), U"\uFFFD\uFFFD");
    EXPECT_EQ(decodeUtf8("\xFF"
                         "a"),
        U"\uFFFDa");
    EXPECT_EQ(encodeUtf8(U"x\U0001F600"), "x\xF0\x9F\x98\x80");
}
