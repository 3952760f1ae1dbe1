// The byte grid as the window draws it from the record document: one row per
// byte of the record, five columns of text. Nothing here is stored; every
// cell is worked out from the document when it is shown.
#pragma once

#include "planesedit/recorddocument.h"

#include <array>
#include <string>

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

/// The text of one cell of the grid; "" outside it. Before the first load only
/// the labels, the byte numbers and what was typed show. On the code's rows
/// the label column shows the code's characters (none for a zero byte).
std::string gridCellText(const RecordDocument& document, int row, int col);

/// The character a code byte stands for in the label column: "" for zero or
/// a cell that holds no byte.
std::string codeCharacter(const RecordDocument& document, int row);

} // namespace kvl::planesedit
