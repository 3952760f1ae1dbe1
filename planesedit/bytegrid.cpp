// The byte grid's cells and the arithmetic of its multi-byte values.
#include "planesedit/bytegrid.h"

namespace kvl::planesedit {

ByteGrid::ByteGrid() : m_cells(kGridRows)
{
    for (int r = 1; r < kGridRows; ++r) {
        m_cells[static_cast<std::size_t>(r)][kByteNumberColumn] = std::to_string(r);
        m_cells[static_cast<std::size_t>(r)][kLabelColumn] = gridLabel(r);
    }
}

const std::string& ByteGrid::cell(int row, int col) const
{
    static const std::string empty;
    if (row < 0 || row >= kGridRows || col < 0 || col >= kGridCols)
        return empty;
    return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void ByteGrid::setCell(int row, int col, std::string text)
{
    if (row < 0 || row >= kGridRows || col < 0 || col >= kGridCols)
        return;
    auto& c = m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (c != text) {
        c = std::move(text);
        ++m_revision;
    }
}

double ByteGrid::value(int row) const
{
    return Val(valueText(row));
}

void ByteGrid::writeTwoBytes(int row, double v)
{
    const auto b = split16(v);
    setValue(row, decimalText(b[0]));
    setValue(row + 1, decimalText(b[1]));
}

void ByteGrid::writeFourBytes(int row, double v)
{
    const auto b = split32(v);
    for (int k = 0; k < 4; ++k)
        setValue(row + k, decimalText(b[static_cast<std::size_t>(k)]));
}

double ByteGrid::twoByteValue(int row) const
{
    return value(row) + 256 * value(row + 1);
}

double ByteGrid::fourByteValue(int row) const
{
    return value(row) + 256 * value(row + 1) + 65536 * value(row + 2) + 16777216 * value(row + 3);
}

} // namespace kvl::planesedit
