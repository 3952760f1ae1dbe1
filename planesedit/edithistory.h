// The undo history of the aircraft being edited: every edit of its record
// (a grid cell, a typed panel, a flag, a gun panel, values copied in) is one
// step holding the record's state before and after it. Consecutive keystrokes
// in one field make one step. The history lasts until the aircraft is left.
//
// The unsaved mark follows the history: it is set exactly when a step that
// counts as an edit lies between the current state and the last saved one.
// The code field and the gun type field change bytes without counting as
// edits, as they always have, so their steps alone leave the mark clear.
#pragma once

#include "planesedit/recordfields.h"

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kvl::planesedit {

/// What an undo or redo puts back: the value column, the characters shown
/// beside the code bytes, and the panels' texts and boxes.
struct EditState {
    std::array<std::string, kRecordBytes> values;
    std::array<std::string, kCodeLength> codeLabels;
    RecordFields fields;

    /// Whether the bytes differ (the panels' texts alone do not make a step).
    bool sameBytes(const EditState& other) const { return values == other.values && codeLabels == other.codeLabels; }
};

class EditHistory {
public:
    /// Forgets every step; the current state is the saved one.
    void clear();

    /// Adds the edit from `before` to `after`. `marks` says whether it counts
    /// as an edit for the unsaved mark. A step of the same field as the last
    /// one (`mergeKey`, not kNoMerge) is folded into it; an edit that changed
    /// no byte adds nothing. Steps that were undone are dropped.
    void record(EditState before, EditState after, bool marks, int mergeKey);

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < m_steps.size(); }
    /// The state to put back, or nothing when there is nothing to undo.
    const EditState* undo();
    const EditState* redo();

    /// The current state is now the saved one; the next edit starts a step of its own.
    void markSaved();
    /// Whether the current state differs from the saved one by an edit that counts.
    bool unsaved() const;

    std::size_t size() const { return m_steps.size(); }
    std::size_t position() const { return m_index; }

private:
    struct Step {
        EditState before;
        EditState after;
        bool marks = false;
        int mergeKey = 0;
    };

    // A deque: a new step never moves the states of the steps before it.
    std::deque<Step> m_steps;
    std::size_t m_index = 0;                // steps [0, m_index) are done
    std::optional<std::size_t> m_saved = 0; // none when the saved state was undone and replaced
    bool m_mergeOpen = false;
};

} // namespace kvl::planesedit
