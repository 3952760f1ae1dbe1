// The editor's byte grid: one row per byte of the aircraft record, five
// columns of text. Every panel of the editor edits the record through the
// value column, and "Save planes.dat" writes that column back.
#pragma once

#include "planesedit/recordlayout.h"

#include <array>
#include <string>
#include <vector>

namespace kvl::planesedit {

constexpr int kGridRows = kRecordBytes + 1; // row 0 is the empty header row
constexpr int kGridCols = 5;

/// The columns: the byte's 1-based file position, its value as read, its
/// current value (the only column saved), the field label and the byte number.
constexpr int kPositionColumn = 0;
constexpr int kReadColumn = 1;
constexpr int kValueColumn = 2;
constexpr int kLabelColumn = 3;
constexpr int kByteNumberColumn = 4;

/// Column widths of the byte grid in twips.
constexpr std::array<int, kGridCols> kColumnTwips = { 390, 320, 320, 1200, 320 };

class ByteGrid {
public:
    /// A grid as at start: labels and byte numbers, everything else empty.
    ByteGrid();

    /// The cell's text; "" outside the grid.
    const std::string& cell(int row, int col) const;
    /// Changes a cell; ignored outside the grid.
    void setCell(int row, int col, std::string text);

    const std::string& valueText(int row) const { return cell(row, kValueColumn); }
    void setValue(int row, std::string text) { setCell(row, kValueColumn, std::move(text)); }
    /// The number the value column of `row` starts with (Val of its text).
    double value(int row) const;

    /// `v` split into low and high byte, written to `row` and `row + 1`.
    void writeTwoBytes(int row, double v);
    /// `v` split into four bytes, lowest first, written to `row` .. `row + 3`.
    void writeFourBytes(int row, double v);
    /// V(row) + 256 V(row + 1).
    double twoByteValue(int row) const;
    /// V(row) + 256 V(row + 1) + 65536 V(row + 2) + 16777216 V(row + 3).
    double fourByteValue(int row) const;

    /// Bumped whenever a cell changes, so a view can skip unchanged refreshes.
    unsigned revision() const { return m_revision; }

private:
    std::vector<std::array<std::string, kGridCols>> m_cells;
    unsigned m_revision = 0;
};

} // namespace kvl::planesedit
