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

/// Who keeps the edit history: told when an edit of the loaded aircraft
/// begins and ends, so it can take the state before and after as one step.
class EditRecorder {
public:
    /// `mergeKey` names the field a typed edit comes from: consecutive edits
    /// of the same field (each keystroke) make one step. kNoMerge for clicks.
    virtual void beginEdit(int mergeKey) = 0;
    virtual void endEdit() = 0;
    virtual ~EditRecorder() = default;
};

constexpr int kNoMerge = -1;
/// The merge key of a typed field: its grid row (its first byte).
constexpr int mergeKeyOfRow(int row)
{
    return row;
}

struct EditSession {
    ByteGrid grid;
    int slot = -1; // the aircraft shown; -1 before the first load
    bool unsavedMark = false;
    std::vector<ViewRequest> viewRequests;
    EditRecorder* recorder = nullptr;

    bool loaded() const { return slot >= 0; }
    void scrollTo(int row) { viewRequests.push_back({ ViewRequest::Kind::ScrollGrid, row }); }
};

/// One user edit as a step of the history, from construction to the end of
/// the scope. Nested scopes (a type button that also chooses the sound) belong
/// to the outermost one.
class EditStep {
public:
    EditStep(EditSession& session, int mergeKey) : m_recorder(session.recorder)
    {
        if (m_recorder)
            m_recorder->beginEdit(mergeKey);
    }
    ~EditStep()
    {
        if (m_recorder)
            m_recorder->endEdit();
    }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    EditRecorder* m_recorder;
};

} // namespace kvl::planesedit
