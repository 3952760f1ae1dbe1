// Little-endian field access over a bounds-checked view of a byte image.
#include "common/byteview.h"

#include <bit>
#include <cstring>
#include <limits>

namespace kvl {

bool checkedMultiply(std::size_t count, std::size_t elementSize, std::size_t& out)
{
    if (elementSize != 0 && count > std::numeric_limits<std::size_t>::max() / elementSize)
        return false;
    out = count * elementSize;
    return true;
}

namespace {

std::uint16_t loadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t loadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void storeU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void storeU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::optional<std::uint8_t> ByteView::u8(std::size_t offset) const
{
    if (!has(offset, 1))
        return std::nullopt;
    return m_data[offset];
}

std::optional<std::int8_t> ByteView::i8(std::size_t offset) const
{
    if (!has(offset, 1))
        return std::nullopt;
    return static_cast<std::int8_t>(m_data[offset]);
}

std::optional<std::uint16_t> ByteView::u16(std::size_t offset) const
{
    if (!has(offset, 2))
        return std::nullopt;
    return loadU16(m_data + offset);
}

std::optional<std::int16_t> ByteView::i16(std::size_t offset) const
{
    if (!has(offset, 2))
        return std::nullopt;
    return static_cast<std::int16_t>(loadU16(m_data + offset));
}

std::optional<std::uint32_t> ByteView::u32(std::size_t offset) const
{
    if (!has(offset, 4))
        return std::nullopt;
    return loadU32(m_data + offset);
}

std::optional<std::int32_t> ByteView::i32(std::size_t offset) const
{
    if (!has(offset, 4))
        return std::nullopt;
    return static_cast<std::int32_t>(loadU32(m_data + offset));
}

std::optional<float> ByteView::f32(std::size_t offset) const
{
    if (!has(offset, 4))
        return std::nullopt;
    return std::bit_cast<float>(loadU32(m_data + offset));
}

std::optional<ByteView> ByteView::sub(std::size_t offset, std::size_t count) const
{
    if (!has(offset, count))
        return std::nullopt;
    return ByteView(m_data + offset, count);
}

std::optional<std::string> ByteView::zeroTerminated(std::size_t offset, std::size_t count) const
{
    if (!has(offset, count))
        return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(m_data + offset);
    const void* zero = std::memchr(begin, 0, count);
    std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : count;
    return std::string(begin, length);
}

bool ByteCursor::take(std::size_t count, std::size_t& at)
{
    if (!m_ok)
        return false;
    if (!m_view.has(m_offset, count)) {
        m_ok = false;
        m_failedAt = m_offset;
        return false;
    }
    at = m_offset;
    m_offset += count;
    return true;
}

std::uint8_t ByteCursor::u8()
{
    std::size_t at;
    return take(1, at) ? *m_view.u8(at) : 0;
}

std::uint16_t ByteCursor::u16()
{
    std::size_t at;
    return take(2, at) ? *m_view.u16(at) : 0;
}

std::int16_t ByteCursor::i16()
{
    return static_cast<std::int16_t>(u16());
}

std::uint32_t ByteCursor::u32()
{
    std::size_t at;
    return take(4, at) ? *m_view.u32(at) : 0;
}

std::int32_t ByteCursor::i32()
{
    return static_cast<std::int32_t>(u32());
}

float ByteCursor::f32()
{
    return std::bit_cast<float>(u32());
}

std::vector<std::uint8_t> ByteCursor::bytes(std::size_t count)
{
    std::size_t at;
    if (!take(count, at))
        return {};
    return std::vector<std::uint8_t>(m_view.data() + at, m_view.data() + at + count);
}

void ByteCursor::skip(std::size_t count)
{
    std::size_t at;
    take(count, at);
}

void ByteCursor::seek(std::size_t offset)
{
    if (!m_ok)
        return;
    if (offset > m_view.size()) {
        m_ok = false;
        m_failedAt = offset;
        return;
    }
    m_offset = offset;
}

void ByteWriter::u16(std::uint16_t v)
{
    std::uint8_t b[2];
    storeU16(b, v);
    m_bytes.insert(m_bytes.end(), b, b + 2);
}

void ByteWriter::u32(std::uint32_t v)
{
    std::uint8_t b[4];
    storeU32(b, v);
    m_bytes.insert(m_bytes.end(), b, b + 4);
}

void ByteWriter::f32(float v)
{
    u32(std::bit_cast<std::uint32_t>(v));
}

void ByteWriter::fixedText(std::string_view text, std::size_t width)
{
    std::size_t n = text.size() < width ? text.size() : width;
    m_bytes.insert(m_bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    zeros(width - n);
}

bool putU8(std::span<std::uint8_t> buffer, std::size_t offset, std::uint8_t value)
{
    if (!rangeFits(buffer.size(), offset, 1))
        return false;
    buffer[offset] = value;
    return true;
}

bool putU16(std::span<std::uint8_t> buffer, std::size_t offset, std::uint16_t value)
{
    if (!rangeFits(buffer.size(), offset, 2))
        return false;
    storeU16(buffer.data() + offset, value);
    return true;
}

bool putI16(std::span<std::uint8_t> buffer, std::size_t offset, std::int16_t value)
{
    return putU16(buffer, offset, static_cast<std::uint16_t>(value));
}

bool putU32(std::span<std::uint8_t> buffer, std::size_t offset, std::uint32_t value)
{
    if (!rangeFits(buffer.size(), offset, 4))
        return false;
    storeU32(buffer.data() + offset, value);
    return true;
}

bool putI32(std::span<std::uint8_t> buffer, std::size_t offset, std::int32_t value)
{
    return putU32(buffer, offset, static_cast<std::uint32_t>(value));
}

bool putF32(std::span<std::uint8_t> buffer, std::size_t offset, float value)
{
    return putU32(buffer, offset, std::bit_cast<std::uint32_t>(value));
}

} // namespace kvl
