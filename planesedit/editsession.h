// What the panels of the aircraft editor share: the byte grid, the aircraft
// shown, the unsaved mark, and the one-shot requests for the view.
#pragma once

#include "planesedit/bytegrid.h"

#include <vector>

namespace kvl::planesedit {

/// A one-shot command for the view. The core queues it while it runs a user
/// action; the window takes the queue afterwards and carries it out once.
struct ViewRequest {
    enum class Kind {
        ScrollGrid,     // make `row` the grid's top row
        OpenByteEditor, // the byte editor has opened on `row`: mark the row, focus the editor
    };
    Kind kind = Kind::ScrollGrid;
    int row = 0;

    bool operator==(const ViewRequest&) const = default;
};

struct EditSession {
    ByteGrid grid;
    int slot = -1; // the aircraft shown; -1 before the first load
    bool unsavedMark = false;
    std::vector<ViewRequest> viewRequests;

    bool loaded() const { return slot >= 0; }
    void scrollTo(int row) { viewRequests.push_back({ ViewRequest::Kind::ScrollGrid, row }); }
};

} // namespace kvl::planesedit
