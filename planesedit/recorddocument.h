// The aircraft record being edited, as a document of bytes: the 168 bytes
// read from planes.dat, the same bytes as they stand now, and the history of
// the edits between them. The grid, the panels and their labels are drawn
// from it; it holds no text of theirs beyond two kinds the user typed:
//
// - A value cell may hold a text that is no byte: the byte editor stores what
//   was typed, and the number fields write their arithmetic as it comes out
//   ("-1", "300", "2.5"). Such a cell keeps its text until it is overwritten;
//   "Save planes.dat" refuses it, or rounds a fraction.
// - A typed field (year, crew, a number, the code, the gun-group count) shows
//   the text typed into it rather than the text its bytes give, until a load
//   or values copied in replace it, or the step that typed it is undone.
//
// Every edit runs between beginStep() and endStep(); the changes of one step
// are kept as deltas of the cells that changed (and the typed texts before
// and after), and undo and redo put them back. The record is unsaved when it
// differs from the state last saved (read, saved, or passed on by the script
// maker or the save prompt) in a byte that counts as an edit.
#pragma once

#include "planesedit/recordlayout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvl::planesedit {

/// The 168 bytes of a record, index 0 for row 1.
using RecordBytes = std::array<std::uint8_t, kRecordBytes>;

/// One byte to set, for RecordDocument::setBytes.
struct ByteAssignment {
    int row = 0; // 1..168
    std::uint8_t value = 0;
};

/// Consecutive edits with the same key (each keystroke in one field) make one
/// step; clicks and values copied in use kNoMerge.
constexpr int kNoMerge = -1;

class RecordDocument {
public:
    /// No record yet: every value cell is empty until the first load.
    RecordDocument();

    bool loaded() const { return m_slot >= 0; }
    /// The aircraft shown, -1 before the first load.
    int slot() const { return m_slot; }

    // ---- reading ----------------------------------------------------------
    /// The value cell of `row` (1..168): the byte's decimal text, or the text
    /// stored that is no byte. "" outside the record.
    std::string text(int row) const;
    /// Val of the cell's text: the byte, or the number its text starts with.
    double value(int row) const;
    /// V(row) + 256 V(row + 1).
    double twoByteValue(int row) const;
    /// V(row) + 256 V(row + 1) + 65536 V(row + 2) + 16777216 V(row + 3).
    double fourByteValue(int row) const;
    /// The byte the cell stores as "Save planes.dat" reads it: nothing when
    /// its text is not a number from 0 to 255 (a fraction rounds).
    std::optional<std::uint8_t> storedByte(int row) const;
    /// The byte as read from the file (0 before a load).
    std::uint8_t readByte(int row) const;
    /// Whether the cell differs from the byte read.
    bool edited(int row) const;
    /// Whether the record differs from the state last saved in a byte that
    /// counts as an edit (see countsAsEdit).
    bool unsaved() const;
    /// Bumped whenever a value cell, the bytes read or the slot change.
    unsigned revision() const { return m_revision; }

    /// The record as it stands, without its history: what a view shows
    /// until it is told of the next change, so it never reads the document
    /// in the middle of an action.
    RecordDocument snapshot() const;

    /// The text typed into the field whose first byte is `fieldRow`; nothing
    /// when the field shows what its bytes give.
    const std::string* typedText(int fieldRow) const;
    void setTypedText(int fieldRow, std::string text);
    /// Every field shows its bytes again (values copied in).
    void clearTypedTexts();

    // ---- loading and saving -----------------------------------------------
    /// A new aircraft: `read` as the file holds it, `shown` as the editor's
    /// load rules leave it. The history starts empty; the record is saved.
    void load(int slot, const RecordBytes& read, const RecordBytes& shown);
    /// The same aircraft read again after it was written: the history stays,
    /// so an undo after saving and a second save put the old bytes back.
    void reload(const RecordBytes& read, const RecordBytes& shown);
    /// The record as it stands counts as saved from now on.
    void markSaved();

    // ---- editing ------------------------------------------------------------
    /// Stores `text` in the value cell of `row`; a byte's plain decimal text
    /// is stored as that byte.
    void setText(int row, std::string_view text);
    void setByte(int row, std::uint8_t value);
    /// `v` split into low and high byte, written to `row` and `row + 1`.
    void writeTwoBytes(int row, double v);
    /// `v` split into four bytes, lowest first, written to `row` .. `row + 3`.
    void writeFourBytes(int row, double v);
    /// Bytes that come in from outside (values copied, a CSV or a script
    /// applied): sets every assignment as one undoable step (or as part of
    /// the step already open), and every typed field shows its bytes again.
    /// Rows outside 1..168 are skipped.
    void setBytes(std::span<const ByteAssignment> values);

    // ---- steps, undo and redo -------------------------------------------------
    /// Opens a step; nested steps belong to the outermost one. Before the
    /// first load edits change the cells but make no step.
    void beginStep(int mergeKey);
    /// Closes the step: its changes become one step of the history, or fold
    /// into the last one when both come from the same field; a step that
    /// changed no cell adds nothing.
    void endStep();
    bool canUndo() const { return m_position > 0; }
    bool canRedo() const { return m_position < m_steps.size(); }
    /// Puts back the record as it was before the last step; false when there is none.
    bool undo();
    bool redo();
    std::size_t steps() const { return m_steps.size(); }
    std::size_t position() const { return m_position; }
    /// Bumped by every step that changed the history or wrote a byte that
    /// counts as an edit (even the same value again).
    unsigned editSerial() const { return m_editSerial; }

private:
    // The value cells: bytes, and the few cells that hold a text instead,
    // sorted by index (0 for row 1).
    struct Cells {
        RecordBytes bytes {};
        std::vector<std::pair<std::uint8_t, std::string>> texts;
        const std::string* textAt(std::size_t index) const;
        void setText(std::size_t index, std::optional<std::string> text);
        bool operator==(const Cells&) const = default;
    };
    using TypedTexts = std::vector<std::pair<int, std::string>>;
    struct ByteChange {
        std::uint8_t index;
        std::uint8_t before, after;
    };
    struct TextChange {
        std::uint8_t index;
        std::optional<std::string> before, after; // nothing: the cell holds its byte
    };
    struct Step {
        std::vector<ByteChange> bytes;
        std::vector<TextChange> texts;
        TypedTexts typedBefore, typedAfter;
        int mergeKey = kNoMerge;
        bool empty() const { return bytes.empty() && texts.empty(); }
    };

    static bool validRow(int row) { return row >= 1 && row <= kRecordBytes; }
    void changed() { ++m_revision; }
    void noteWrite(int row);
    Step delta(const Cells& before, const Cells& after) const;
    static void fold(Step& into, Step&& next);
    void apply(const Step& step, bool forward);

    int m_slot = -1;
    Cells m_cells;
    RecordBytes m_read {};
    Cells m_saved;
    TypedTexts m_typed;
    unsigned m_revision = 0;

    std::vector<Step> m_steps;
    std::size_t m_position = 0; // steps [0, m_position) are done
    bool m_mergeOpen = false;
    int m_depth = 0;
    int m_mergeKey = kNoMerge;
    Cells m_before;
    TypedTexts m_typedBefore;
    bool m_countingWrite = false;
    unsigned m_editSerial = 0;
};

} // namespace kvl::planesedit
