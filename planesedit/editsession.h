// What the panels of the aircraft editor share: the record document, the
// one-shot requests for the view and the notifier that tells the window when
// to show them.
#pragma once

#include "planesedit/recorddocument.h"

#include "common/changenotifier.h"

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

/// The merge key of a typed field: its grid row (its first byte).
constexpr int mergeKeyOfRow(int row)
{
    return row;
}

struct EditSession {
    RecordDocument document;
    std::vector<ViewRequest> viewRequests;
    /// Every operation of the editor and its panels opens an Operation on
    /// it; the window shows the state when the outermost one ends.
    kvl::ChangeNotifier changes;

    bool loaded() const { return document.loaded(); }
    void scrollTo(int row) { viewRequests.push_back({ ViewRequest::Kind::ScrollGrid, row }); }
};

/// One user edit as a step of the record's history, from construction to the
/// end of the scope. Nested scopes (a type button that also chooses the
/// sound) belong to the outermost one.
class EditStep {
public:
    EditStep(EditSession& session, int mergeKey) : m_document(session.document) { m_document.beginStep(mergeKey); }
    ~EditStep() { m_document.endStep(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    RecordDocument& m_document;
};

} // namespace kvl::planesedit
