// The byte grid's cells, worked out from the record document.
#include "planesedit/recordgrid.h"

namespace kvl::planesedit {

std::string codeCharacter(const RecordDocument& document, int row)
{
    const std::uint8_t b = document.storedByte(row).value_or(0);
    return b == 0 ? std::string() : charFromByte(b);
}

std::string gridCellText(const RecordDocument& document, int row, int col)
{
    if (row < 1 || row >= kGridRows)
        return {};
    switch (col) {
    case kPositionColumn:
        return document.loaded() ? std::to_string(filePosition(document.slot(), row)) : std::string();
    case kReadColumn:
        return document.loaded() ? std::to_string(document.readByte(row)) : std::string();
    case kValueColumn:
        return document.text(row);
    case kLabelColumn:
        return row >= kCodeRow ? codeCharacter(document, row) : gridLabel(row);
    case kByteNumberColumn:
        return std::to_string(row);
    default:
        return {};
    }
}

} // namespace kvl::planesedit
