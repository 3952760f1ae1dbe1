// The slot table: labels, positions, the byte check and applying an import.
#include "planesedit/recordtable.h"

#include <charconv>

namespace kvl::planesedit {

RecordTable RecordTable::fromRecord(const AircraftRecord& rec)
{
    RecordTable t;
    t.m_slot = rec.slot;
    for (std::size_t i = 0; i < kRecordBytes; ++i)
        t.m_values[i] = std::to_string(rec.values[i]);
    return t;
}

RecordTable RecordTable::fromDocument(const RecordDocument& document)
{
    RecordTable t;
    t.m_slot = document.loaded() ? document.slot() : 0;
    for (int r = 1; r <= kRecordBytes; ++r)
        t.m_values[static_cast<std::size_t>(r - 1)] = document.text(r);
    return t;
}

std::string rowLabel(int row)
{
    if (row > kCodeRow && row < kCodeRow + kCodeLength)
        return "Code, byte " + std::to_string(row - kCodeRow + 1);
    return fieldNameOfRow(row);
}

kvl::TypedField RecordTable::field(std::size_t index) const
{
    const int row = static_cast<int>(index) + 1;
    return { row, filePosition(m_slot, row), "u8", rowLabel(row) };
}

std::string RecordTable::valueText(std::size_t index) const
{
    return index < m_values.size() ? m_values[index] : std::string();
}

kvl::Result<void> RecordTable::checkValue(std::size_t, std::string_view text) const
{
    return checkByteText(text);
}

kvl::Result<void> checkByteText(std::string_view text)
{
    std::uint8_t b = 0;
    if (parseByteCell(text, b))
        return {};
    // parseByteCell refuses both texts that are no number and numbers out of
    // range; tell them apart for the message.
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    double v = 0;
    if (first != std::string_view::npos) {
        const char* begin = text.data() + first;
        const char* end = text.data() + last + 1;
        const auto [ptr, ec] = std::from_chars(begin, end, v);
        if (ptr == end && (ec == std::errc() || ec == std::errc::result_out_of_range))
            return kvl::Error { "does not fit a u8 (0 to 255)" };
    }
    return kvl::Error { "is not a number" };
}

const kvl::CsvLayout& recordCsvLayout()
{
    static const kvl::CsvLayout layout { "row", { "row", "position", "label", "value" } };
    return layout;
}

std::array<std::uint8_t, kRecordBytes> applyAssignments(
    std::array<std::uint8_t, kRecordBytes> values, const std::vector<kvl::FieldAssignment>& assignments)
{
    for (const kvl::FieldAssignment& a : assignments) {
        std::uint8_t b = 0;
        if (a.index < values.size() && parseByteCell(a.value, b))
            values[a.index] = b;
    }
    return values;
}

} // namespace kvl::planesedit
