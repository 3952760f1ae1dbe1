// The texts and boxes of an aircraft record's own panels, as the editor works
// them out from the record document for the window to show.
#pragma once

#include "planesedit/recordlayout.h"

#include <array>
#include <string>

namespace kvl::planesedit {

/// The texts and boxes of the record's own panels.
struct RecordFields {
    /// Flag group 0..3 (flag bytes at offsets 4..7), bit 0..7.
    std::array<std::array<bool, 8>, kFlagGroups> flags {};
    std::string year;
    std::string crew;
    std::array<std::string, kNumberFields> numbers;
    std::string code;
    std::string gunCount; // the number of gun groups in use

    bool byteEditorOpen = false;
    std::string byteEditorText;
    int currentRow = 0; // the grid row last clicked
};

} // namespace kvl::planesedit
