// Tests of the bounds-checked little-endian byte view, cursor and writer.
#include "common/byteview.h"

#include <gtest/gtest.h>

#include <limits>

namespace kvl {
namespace {

const std::vector<std::uint8_t> Bytes = { 0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x80, 0xBF, 0xFF };

TEST(ByteView, ReadsLittleEndianFields)
{
    ByteView view(Bytes);
    EXPECT_EQ(view.u8(0), 0x01);
    EXPECT_EQ(view.u16(0), 0x0201);
    EXPECT_EQ(view.u32(0), 0x04030201u);
    EXPECT_EQ(view.i32(0), 0x04030201);
    EXPECT_EQ(view.f32(4), -1.0f);
    EXPECT_EQ(view.i16(7), static_cast<std::int16_t>(0xFFBF));
    EXPECT_EQ(view.i8(8), -1);
}

TEST(ByteView, RefusesEveryReadThatReachesPastTheEnd)
{
    ByteView view(Bytes);
    EXPECT_FALSE(view.u8(9));
    EXPECT_FALSE(view.u16(8));
    EXPECT_FALSE(view.u32(6));
    EXPECT_FALSE(view.f32(std::numeric_limits<std::size_t>::max() - 1));
    EXPECT_FALSE(view.sub(5, 5));
    EXPECT_TRUE(view.sub(5, 4));
    EXPECT_FALSE(view.sub(1, std::numeric_limits<std::size_t>::max()));
    EXPECT_FALSE(ByteView().u8(0));
}

TEST(ByteView, ZeroTerminatedTextStopsAtZeroOrWidth)
{
    std::vector<std::uint8_t> text = { 'A', 'B', 0, 'C', 'D', 'E' };
    ByteView view(text);
    EXPECT_EQ(view.zeroTerminated(0, 6), "AB");
    EXPECT_EQ(view.zeroTerminated(3, 3), "CDE");
    EXPECT_FALSE(view.zeroTerminated(3, 4));
}

TEST(RecordReader, ChecksItsRangeOnceThenReadsFieldsRelativeToItsStart)
{
    ByteView view(Bytes);
    auto record = view.record(2, 6);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->size(), 6u);
    EXPECT_EQ(record->data(), Bytes.data() + 2);
    EXPECT_EQ(record->u8(0), 0x03);
    EXPECT_EQ(record->u16(0), 0x0403);
    EXPECT_EQ(record->i16(4), static_cast<std::int16_t>(0xBF80));
    EXPECT_EQ(record->u32(0), 0x00000403u);
    EXPECT_EQ(record->f32(2), -1.0f);
    EXPECT_EQ(record->i32(2), static_cast<std::int32_t>(0xBF800000u));
    EXPECT_EQ(record->u8(5), 0xBF);
    // The last byte, and a record that fills the view exactly.
    EXPECT_EQ(view.record(8, 1)->u8(0), 0xFF);
    EXPECT_EQ(view.record(0, 9)->u32(5), 0xFFBF8000u);
    EXPECT_TRUE(view.record(9, 0));
}

TEST(RecordReader, IsRefusedWhenAnyOfItsBytesLiesOutsideTheView)
{
    ByteView view(Bytes);
    EXPECT_FALSE(view.record(4, 6));
    EXPECT_FALSE(view.record(9, 1));
    EXPECT_FALSE(view.record(10, 0));
    EXPECT_FALSE(view.record(1, std::numeric_limits<std::size_t>::max()));
    EXPECT_FALSE(view.record(std::numeric_limits<std::size_t>::max(), 2));
    EXPECT_FALSE(ByteView().record(0, 1));
    // A sub-view's records are checked against the sub-view, not its parent.
    EXPECT_FALSE(view.sub(0, 4)->record(2, 4));
    EXPECT_EQ(view.sub(4, 4)->record(0, 4)->f32(0), -1.0f);
}

TEST(ByteCursor, FailureIsStickyAndRemembersWhere)
{
    ByteCursor cursor { ByteView(Bytes) };
    EXPECT_EQ(cursor.u32(), 0x04030201u);
    EXPECT_EQ(cursor.u32(), 0xBF800000u);
    EXPECT_TRUE(cursor.ok());
    EXPECT_EQ(cursor.u16(), 0);
    EXPECT_FALSE(cursor.ok());
    EXPECT_EQ(cursor.failedAt(), 8u);
    EXPECT_EQ(cursor.u8(), 0);
    EXPECT_TRUE(cursor.bytes(1).empty());
}

TEST(ByteWriter, WritesFieldsThatReadBack)
{
    ByteWriter writer;
    writer.u8(7);
    writer.i16(-2);
    writer.i32(-100000);
    writer.f32(0.5f);
    writer.fixedText("ABCDEFG", 4);
    writer.fixedText("AB", 4);
    auto bytes = writer.take();
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 4 + 4 + 4);
    ByteCursor cursor { ByteView(bytes) };
    EXPECT_EQ(cursor.u8(), 7);
    EXPECT_EQ(cursor.i16(), -2);
    EXPECT_EQ(cursor.i32(), -100000);
    EXPECT_EQ(cursor.f32(), 0.5f);
    EXPECT_EQ(ByteView(bytes).zeroTerminated(11, 4), "ABCD");
    EXPECT_EQ(ByteView(bytes).zeroTerminated(15, 4), "AB");
    EXPECT_EQ(bytes[2], 0xFF);
}

TEST(PutField, WritesInsideAndRefusesOutside)
{
    std::vector<std::uint8_t> buffer(4, 0);
    EXPECT_TRUE(putU16(buffer, 2, 0xABCD));
    EXPECT_EQ(buffer[2], 0xCD);
    EXPECT_EQ(buffer[3], 0xAB);
    EXPECT_FALSE(putU32(buffer, 1, 0xFFFFFFFF));
    EXPECT_EQ(buffer[1], 0);
    EXPECT_TRUE(putF32(buffer, 0, 1.0f));
    EXPECT_EQ(ByteView(buffer).f32(0), 1.0f);
    EXPECT_FALSE(putU8(buffer, 4, 1));
}

TEST(CheckedMultiply, DetectsOverflow)
{
    std::size_t out = 0;
    EXPECT_TRUE(checkedMultiply(1000, 12, out));
    EXPECT_EQ(out, 12000u);
    EXPECT_FALSE(checkedMultiply(std::numeric_limits<std::size_t>::max() / 2, 3, out));
}

} // namespace
} // namespace kvl
