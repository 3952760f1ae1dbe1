// The record document's cells, steps, undo and redo.
#include "planesedit/recorddocument.h"

#include <algorithm>

namespace kvl::planesedit {

namespace {

std::size_t indexOf(int row)
{
    return static_cast<std::size_t>(row - 1);
}

// The byte whose plain decimal text `text` is ("0" .. "255", no sign, blank
// or leading zero); any other text is stored as it is.
std::optional<std::uint8_t> plainByte(std::string_view text)
{
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

} // namespace

// ---- cells ------------------------------------------------------------------------

const std::string* RecordDocument::Cells::textAt(std::size_t index) const
{
    const auto it = std::lower_bound(
        texts.begin(), texts.end(), index, [](const auto& cell, std::size_t i) { return cell.first < i; });
    return it != texts.end() && it->first == index ? &it->second : nullptr;
}

void RecordDocument::Cells::setText(std::size_t index, std::optional<std::string> text)
{
    const auto it = std::lower_bound(
        texts.begin(), texts.end(), index, [](const auto& cell, std::size_t i) { return cell.first < i; });
    const bool present = it != texts.end() && it->first == index;
    if (!text) {
        if (present)
            texts.erase(it);
    } else if (present) {
        it->second = std::move(*text);
    } else {
        texts.insert(it, { static_cast<std::uint8_t>(index), std::move(*text) });
    }
}

RecordDocument::RecordDocument()
{
    // Before the first load every value cell is empty.
    for (std::size_t i = 0; i < kRecordBytes; ++i)
        m_cells.texts.emplace_back(static_cast<std::uint8_t>(i), std::string());
}

// ---- reading ----------------------------------------------------------------------

std::string RecordDocument::text(int row) const
{
    if (!validRow(row))
        return {};
    if (const std::string* t = m_cells.textAt(indexOf(row)))
        return *t;
    return std::to_string(m_cells.bytes[indexOf(row)]);
}

double RecordDocument::value(int row) const
{
    if (!validRow(row))
        return 0;
    if (const std::string* t = m_cells.textAt(indexOf(row)))
        return Val(*t);
    return m_cells.bytes[indexOf(row)];
}

double RecordDocument::twoByteValue(int row) const
{
    return value(row) + 256 * value(row + 1);
}

double RecordDocument::fourByteValue(int row) const
{
    return value(row) + 256 * value(row + 1) + 65536 * value(row + 2) + 16777216 * value(row + 3);
}

std::optional<std::uint8_t> RecordDocument::storedByte(int row) const
{
    if (!validRow(row))
        return std::nullopt;
    if (const std::string* t = m_cells.textAt(indexOf(row))) {
        std::uint8_t b = 0;
        if (!parseByteCell(*t, b))
            return std::nullopt;
        return b;
    }
    return m_cells.bytes[indexOf(row)];
}

std::uint8_t RecordDocument::readByte(int row) const
{
    return validRow(row) ? m_read[indexOf(row)] : 0;
}

bool RecordDocument::edited(int row) const
{
    if (!loaded() || !validRow(row))
        return false;
    return m_cells.textAt(indexOf(row)) || m_cells.bytes[indexOf(row)] != m_read[indexOf(row)];
}

bool RecordDocument::unsaved() const
{
    if (!loaded())
        return false;
    for (int row = 1; row <= kRecordBytes; ++row) {
        if (!countsAsEdit(row))
            continue;
        const std::size_t i = indexOf(row);
        const std::string* now = m_cells.textAt(i);
        const std::string* then = m_saved.textAt(i);
        if (now || then ? !(now && then && *now == *then) : m_cells.bytes[i] != m_saved.bytes[i])
            return true;
    }
    return false;
}

RecordDocument RecordDocument::snapshot() const
{
    RecordDocument copy;
    copy.m_slot = m_slot;
    copy.m_cells = m_cells;
    copy.m_read = m_read;
    copy.m_saved = m_saved;
    copy.m_typed = m_typed;
    copy.m_revision = m_revision;
    return copy;
}

const std::string* RecordDocument::typedText(int fieldRow) const
{
    for (const auto& [row, text] : m_typed)
        if (row == fieldRow)
            return &text;
    return nullptr;
}

void RecordDocument::setTypedText(int fieldRow, std::string text)
{
    for (auto& [row, typed] : m_typed) {
        if (row == fieldRow) {
            typed = std::move(text);
            return;
        }
    }
    m_typed.emplace_back(fieldRow, std::move(text));
}

void RecordDocument::clearTypedTexts()
{
    m_typed.clear();
}

// ---- loading and saving -----------------------------------------------------------

void RecordDocument::load(int slot, const RecordBytes& read, const RecordBytes& shown)
{
    m_slot = slot;
    m_steps.clear();
    m_position = 0;
    reload(read, shown);
}

void RecordDocument::reload(const RecordBytes& read, const RecordBytes& shown)
{
    m_read = read;
    m_cells = Cells { shown, {} };
    m_saved = m_cells;
    m_typed.clear();
    m_mergeOpen = false;
    changed();
}

void RecordDocument::markSaved()
{
    m_saved = m_cells;
    m_mergeOpen = false;
}

// ---- editing ------------------------------------------------------------------------

void RecordDocument::noteWrite(int row)
{
    if (countsAsEdit(row))
        m_countingWrite = true;
}

void RecordDocument::setText(int row, std::string_view text)
{
    if (!validRow(row))
        return;
    if (const auto b = plainByte(text)) {
        setByte(row, *b);
        return;
    }
    noteWrite(row);
    const std::size_t i = indexOf(row);
    const std::string* old = m_cells.textAt(i);
    if (old && *old == text)
        return;
    m_cells.setText(i, std::string(text));
    changed();
}

void RecordDocument::setByte(int row, std::uint8_t value)
{
    if (!validRow(row))
        return;
    noteWrite(row);
    const std::size_t i = indexOf(row);
    if (!m_cells.textAt(i) && m_cells.bytes[i] == value)
        return;
    m_cells.setText(i, std::nullopt);
    m_cells.bytes[i] = value;
    changed();
}

void RecordDocument::writeTwoBytes(int row, double v)
{
    const auto b = split16(v);
    setText(row, decimalText(b[0]));
    setText(row + 1, decimalText(b[1]));
}

void RecordDocument::writeFourBytes(int row, double v)
{
    const auto b = split32(v);
    for (int k = 0; k < 4; ++k)
        setText(row + k, decimalText(b[static_cast<std::size_t>(k)]));
}

void RecordDocument::setBytes(std::span<const ByteAssignment> values)
{
    beginStep(kNoMerge);
    m_typed.clear();
    for (const ByteAssignment& a : values)
        setByte(a.row, a.value);
    endStep();
}

// ---- steps ----------------------------------------------------------------------------

void RecordDocument::beginStep(int mergeKey)
{
    if (m_depth++ > 0 || !loaded())
        return;
    m_before = m_cells;
    m_typedBefore = m_typed;
    m_mergeKey = mergeKey;
    m_countingWrite = false;
}

RecordDocument::Step RecordDocument::delta(const Cells& before, const Cells& after) const
{
    Step step;
    for (std::size_t i = 0; i < kRecordBytes; ++i)
        if (before.bytes[i] != after.bytes[i])
            step.bytes.push_back({ static_cast<std::uint8_t>(i), before.bytes[i], after.bytes[i] });
    // The cells holding a text before or after: both lists are short and sorted.
    std::vector<std::uint8_t> indices;
    for (const auto& cell : before.texts)
        indices.push_back(cell.first);
    for (const auto& cell : after.texts)
        indices.push_back(cell.first);
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (const std::uint8_t i : indices) {
        const std::string* a = before.textAt(i);
        const std::string* b = after.textAt(i);
        if (a && b && *a == *b)
            continue;
        step.texts.push_back({ i, a ? std::optional<std::string>(*a) : std::nullopt,
            b ? std::optional<std::string>(*b) : std::nullopt });
    }
    return step;
}

void RecordDocument::fold(Step& into, Step&& next)
{
    for (const ByteChange& n : next.bytes) {
        const auto it = std::find_if(
            into.bytes.begin(), into.bytes.end(), [&](const ByteChange& c) { return c.index == n.index; });
        if (it == into.bytes.end())
            into.bytes.push_back(n);
        else
            it->after = n.after;
    }
    std::erase_if(into.bytes, [](const ByteChange& c) { return c.before == c.after; });
    for (TextChange& n : next.texts) {
        const auto it = std::find_if(
            into.texts.begin(), into.texts.end(), [&](const TextChange& c) { return c.index == n.index; });
        if (it == into.texts.end())
            into.texts.push_back(std::move(n));
        else
            it->after = std::move(n.after);
    }
    std::erase_if(into.texts, [](const TextChange& c) { return c.before == c.after; });
    into.typedAfter = std::move(next.typedAfter);
}

void RecordDocument::endStep()
{
    if (--m_depth > 0 || !loaded())
        return;
    Step step = delta(m_before, m_cells);
    step.typedBefore = std::move(m_typedBefore);
    step.typedAfter = m_typed;
    step.mergeKey = m_mergeKey;
    const std::size_t position = m_position;
    const bool merge = m_mergeOpen && m_mergeKey != kNoMerge && m_position == m_steps.size() && !m_steps.empty()
        && m_steps.back().mergeKey == m_mergeKey;
    if (merge) {
        fold(m_steps.back(), std::move(step));
        if (m_steps.back().empty()) {
            // Typed back to where the field started: nothing left to undo.
            m_steps.pop_back();
            --m_position;
            m_mergeOpen = false;
        }
    } else if (!step.empty()) {
        m_steps.resize(m_position); // the steps undone are dropped
        m_steps.push_back(std::move(step));
        ++m_position;
        m_mergeOpen = m_mergeKey != kNoMerge;
    }
    if (m_position != position || m_countingWrite)
        ++m_editSerial;
}

void RecordDocument::apply(const Step& step, bool forward)
{
    for (const ByteChange& c : step.bytes)
        m_cells.bytes[c.index] = forward ? c.after : c.before;
    for (const TextChange& c : step.texts)
        m_cells.setText(c.index, forward ? c.after : c.before);
    m_typed = forward ? step.typedAfter : step.typedBefore;
    changed();
}

bool RecordDocument::undo()
{
    m_mergeOpen = false;
    if (!canUndo())
        return false;
    --m_position;
    apply(m_steps[m_position], false);
    return true;
}

bool RecordDocument::redo()
{
    m_mergeOpen = false;
    if (!canRedo())
        return false;
    apply(m_steps[m_position++], true);
    return true;
}

} // namespace kvl::planesedit
