// Little-endian field access over a bounds-checked view of a byte image.
//
// Every binary reader works from a whole-file image and reads fields through
// these types only: a read that would reach past the end yields no value
// instead of touching memory outside the image.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvl {

/// True when [offset, offset + count) lies inside a buffer of `size` bytes.
/// Safe against overflow of offset + count.
constexpr bool rangeFits(std::size_t size, std::size_t offset, std::size_t count)
{
    return offset <= size && count <= size - offset;
}

/// True when count * elementSize does not overflow; the product goes to `out`.
bool checkedMultiply(std::size_t count, std::size_t elementSize, std::size_t& out);

/// A fixed-size record of a byte image whose range was checked once, when it
/// was taken (ByteView::record). Its field reads check nothing more: a reader
/// that works through a table of thousands of records pays for one range
/// check per record, not one per field. Every field must lie inside the size
/// the record was taken with; debug builds assert it.
class RecordReader {
public:
    RecordReader() = default;

    std::size_t size() const { return m_size; }
    const std::uint8_t* data() const { return m_data; }

    std::uint8_t u8(std::size_t at) const
    {
        assert(at < m_size);
        return m_data[at];
    }
    std::uint16_t u16(std::size_t at) const
    {
        assert(at + 2 <= m_size);
        return static_cast<std::uint16_t>(m_data[at] | m_data[at + 1] << 8);
    }
    std::int16_t i16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
    std::uint32_t u32(std::size_t at) const
    {
        assert(at + 4 <= m_size);
        const std::uint8_t* p = m_data + at;
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    float f32(std::size_t at) const { return std::bit_cast<float>(u32(at)); }

private:
    friend class ByteView;
    RecordReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) { }

    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

/// Read-only view of bytes; every accessor checks its range.
class ByteView {
public:
    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) { }
    ByteView(std::span<const std::uint8_t> bytes) : m_data(bytes.data()), m_size(bytes.size()) { }
    ByteView(const std::vector<std::uint8_t>& bytes) : m_data(bytes.data()), m_size(bytes.size()) { }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const std::uint8_t* data() const { return m_data; }
    bool has(std::size_t offset, std::size_t count) const { return rangeFits(m_size, offset, count); }

    std::optional<std::uint8_t> u8(std::size_t offset) const;
    std::optional<std::int8_t> i8(std::size_t offset) const;
    std::optional<std::uint16_t> u16(std::size_t offset) const;
    std::optional<std::int16_t> i16(std::size_t offset) const;
    std::optional<std::uint32_t> u32(std::size_t offset) const;
    std::optional<std::int32_t> i32(std::size_t offset) const;
    std::optional<float> f32(std::size_t offset) const;

    /// The sub-view [offset, offset + count), or nothing when it does not fit.
    std::optional<ByteView> sub(std::size_t offset, std::size_t count) const;

    /// The record [offset, offset + size) for unchecked field reads, or
    /// nothing when it does not fit. Inline: table readers call it per record.
    std::optional<RecordReader> record(std::size_t offset, std::size_t size) const
    {
        if (!has(offset, size))
            return std::nullopt;
        return RecordReader(m_data + offset, size);
    }

    /// Bytes [offset, offset + count) as text up to the first zero byte; nothing
    /// when the range does not fit.
    std::optional<std::string> zeroTerminated(std::size_t offset, std::size_t count) const;

private:
    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

/// Sequential reader over a ByteView with a sticky failure: once a read runs
/// past the end every later read yields 0 and `ok()` stays false; `failedAt()`
/// tells where the first short read started, for error messages.
class ByteCursor {
public:
    explicit ByteCursor(ByteView view, std::size_t offset = 0) : m_view(view), m_offset(offset) { }

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t i16();
    std::uint32_t u32();
    std::int32_t i32();
    float f32();
    /// Copies `count` bytes; fails (and copies nothing) when they are not all there.
    std::vector<std::uint8_t> bytes(std::size_t count);
    void skip(std::size_t count);
    void seek(std::size_t offset);

    std::size_t offset() const { return m_offset; }
    std::size_t remaining() const { return m_offset <= m_view.size() ? m_view.size() - m_offset : 0; }
    bool ok() const { return m_ok; }
    std::size_t failedAt() const { return m_failedAt; }

private:
    bool take(std::size_t count, std::size_t& at);

    ByteView m_view;
    std::size_t m_offset = 0;
    bool m_ok = true;
    std::size_t m_failedAt = 0;
};

/// Little-endian writes into a byte vector that grows as needed.
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::size_t reserve) { m_bytes.reserve(reserve); }

    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v);
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void f32(float v);
    void bytes(std::span<const std::uint8_t> b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    void zeros(std::size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    /// Writes `text` into a field of exactly `width` bytes, cut or padded with zeros.
    void fixedText(std::string_view text, std::size_t width);

    std::size_t size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& data() const { return m_bytes; }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

/// Bounds-checked little-endian stores into an existing buffer. Each returns
/// false, writing nothing, when the field does not fit.
bool putU8(std::span<std::uint8_t> buffer, std::size_t offset, std::uint8_t value);
bool putU16(std::span<std::uint8_t> buffer, std::size_t offset, std::uint16_t value);
bool putI16(std::span<std::uint8_t> buffer, std::size_t offset, std::int16_t value);
bool putU32(std::span<std::uint8_t> buffer, std::size_t offset, std::uint32_t value);
bool putI32(std::span<std::uint8_t> buffer, std::size_t offset, std::int32_t value);
bool putF32(std::span<std::uint8_t> buffer, std::size_t offset, float value);

} // namespace kvl
