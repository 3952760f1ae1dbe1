// The undo history's steps, merging and saved point.
#include "planesedit/edithistory.h"

#include "planesedit/editsession.h"

#include <algorithm>
#include <utility>

namespace kvl::planesedit {

void EditHistory::clear()
{
    m_steps.clear();
    m_index = 0;
    m_saved = 0;
    m_mergeOpen = false;
}

void EditHistory::record(EditState before, EditState after, bool marks, int mergeKey)
{
    const bool merge = m_mergeOpen && mergeKey != kNoMerge && m_index == m_steps.size() && !m_steps.empty()
        && m_steps.back().mergeKey == mergeKey && m_saved != m_index;
    if (merge) {
        Step& top = m_steps.back();
        top.after = std::move(after);
        top.marks = top.marks || marks;
        if (top.before.sameBytes(top.after)) {
            // Typed back to where the field started: nothing left to undo.
            m_steps.pop_back();
            --m_index;
            m_mergeOpen = false;
        }
        return;
    }
    if (before.sameBytes(after))
        return;
    m_steps.resize(m_index);
    if (m_saved && *m_saved > m_index)
        m_saved.reset(); // the saved state was undone and is now out of reach
    m_steps.push_back({ std::move(before), std::move(after), marks, mergeKey });
    ++m_index;
    m_mergeOpen = mergeKey != kNoMerge;
}

const EditState* EditHistory::undo()
{
    m_mergeOpen = false;
    if (!canUndo())
        return nullptr;
    --m_index;
    return &m_steps[m_index].before;
}

const EditState* EditHistory::redo()
{
    m_mergeOpen = false;
    if (!canRedo())
        return nullptr;
    return &m_steps[m_index++].after;
}

void EditHistory::markSaved()
{
    m_saved = m_index;
    m_mergeOpen = false;
}

bool EditHistory::unsaved() const
{
    if (!m_saved)
        return true;
    const auto [from, to] = std::minmax(*m_saved, m_index);
    return std::any_of(m_steps.begin() + static_cast<std::ptrdiff_t>(from),
        m_steps.begin() + static_cast<std::ptrdiff_t>(to), [](const Step& s) { return s.marks; });
}

} // namespace kvl::planesedit
