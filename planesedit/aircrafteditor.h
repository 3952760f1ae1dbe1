// The editor of one aircraft record, free of widgets.
//
// The window shows one record of planes.dat as a byte grid plus typed panels:
// flag boxes, year, crew, fifteen 32-bit numbers, a four-character code, the
// six gun groups (GunPanels) and the script maker (ScriptMaker). The record
// itself is a RecordDocument of bytes; every edit, from whichever panel, is a
// change of its bytes, and "Save planes.dat" writes them back into the file
// in place. What the panels show is worked out from the document.
//
// The window forwards each click and keystroke to one method here. Each is
// an operation of the editor's change notifier (changes()): when it ends,
// however it ends, the window shows the state and carries out the view
// requests the operation queued. Message boxes and file dialogs go through
// kvl::WindowHost, which shows them and returns the answer; the notifier never
// runs while one is open, so behind a box the window shows what it showed
// before the click.
#pragma once

#include "planesedit/editsession.h"
#include "planesedit/gunpanels.h"
#include "planesedit/recordfields.h"
#include "planesedit/recordgrid.h"
#include "planesedit/recordtable.h"
#include "planesedit/scriptmaker.h"
#include "planesedit/valuesfile.h"

#include "common/changenotifier.h"
#include "common/windowhost.h"

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvl::planesedit {

/// Fields and buttons that scroll the grid when clicked.
enum class ClickField { Year, Crew, Number, GunCount, Code, YearCaption, DamageButton };

/// What the last action that reports in the status line did; the window
/// words it.
struct StatusReport {
    enum class Kind { None, Saved, Undone, Redone, Copied, Imported, Exported, Applied };
    Kind kind = Kind::None;
    int slot = -1;
    int count = 0;              // values copied, imported or applied
    std::filesystem::path file; // the file imported from, exported to or applied
};

/// Where "Compare with..." finds the other record.
enum class CompareSource { OtherSlot, OtherFile };

/// The other side of a compare: its slot, the file it comes from and its bytes.
struct CompareTarget {
    std::filesystem::path file;
    RecordTable table;
};

/// One slot a working copy's or script's values may go into, and what they
/// would change there.
struct ApplyChoice {
    ApplyTarget target;
    /// Row by row: the value there now ("mine") and the file's ("theirs").
    std::vector<kvl::FieldDifference> changes;
    /// Why the slot cannot be read from planes.dat; empty when it can.
    std::string unreadable;
};

/// A working copy or script read and checked whole, with the slots its
/// values may go into, the one proposed first.
struct ApplyProposal {
    std::filesystem::path file;
    ValuesFile values;
    std::vector<ApplyChoice> choices;
};

class AircraftEditor {
public:
    /// `folder` is the working folder: planes.dat, working copies and script
    /// folders live there. `host` must outlive the editor.
    AircraftEditor(std::filesystem::path folder, kvl::WindowHost& host);

    /// Tells the window when to show the editor's state: once at the end of
    /// every operation below and of the gun panels' and script maker's.
    /// Typing in the byte editor and the script maker's texts sends none.
    kvl::ChangeNotifier& changes() { return m_session.changes; }
    const kvl::ChangeNotifier& changes() const { return m_session.changes; }

    /// The texts and boxes of the record's panels, from the document.
    RecordFields fields() const;
    const RecordDocument& document() const { return m_session.document; }
    /// The text of a cell of the byte grid.
    std::string cell(int row, int col) const { return gridCellText(m_session.document, row, col); }
    const std::filesystem::path& folder() const { return m_folder; }
    /// The aircraft shown, -1 before the first load.
    int slot() const { return m_session.document.slot(); }
    bool loaded() const { return m_session.loaded(); }
    bool unsavedMark() const { return m_session.document.unsaved(); }

    GunPanels& gunPanels() { return m_gunPanels; }
    const GunPanels& gunPanels() const { return m_gunPanels; }
    ScriptMaker& scriptMaker() { return m_scriptMaker; }
    const ScriptMaker& scriptMaker() const { return m_scriptMaker; }

    /// The view requests queued since the last call, oldest first.
    std::vector<ViewRequest> takeViewRequests();

    /// Choosing slot s in the aircraft list. False (nothing changed) when the
    /// record cannot be read; the user has been told why.
    bool chooseAircraft(int slot);
    /// The part of a load after the read: save prompt for the aircraft shown,
    /// then the record into the grid and panels.
    void loadRecord(const AircraftRecord& rec);

    void flagClicked(int group, int bit, bool checked); // group 0..3
    void yearChanged(const std::string& text);
    void yearEnter();
    void crewChanged(const std::string& text);
    void crewEnter();
    void numberChanged(int index, const std::string& text);
    void numberEnter(int index);
    void gunCountChanged(const std::string& text);
    void gunCountEnter();
    void codeChanged(const std::string& text);
    void codeEnter();
    void gridClicked(int row);
    void byteEditorChanged(const std::string& text);
    void byteEditorEnter();
    /// Scroll shortcuts; `index` is the number field for ClickField::Number.
    void fieldClicked(ClickField field, int index = 0);
    /// "Save planes.dat". False when nothing was written; the user has been told why.
    bool savePlanes();
    /// Closing the window: runs the save prompt when there are unsaved edits.
    void close();
    /// "Save Script": opens the script maker for the aircraft being edited.
    void openScriptMaker();

    /// The working copy: the value column of rows 1..168, one per CR LF line.
    std::string workingCopyText() const;

    // ---- undo and redo ----
    bool canUndo() const { return m_session.document.canUndo(); }
    bool canRedo() const { return m_session.document.canRedo(); }
    /// Puts back the record as it was before the last step; false when there is none.
    bool undo();
    bool redo();

    /// Whether row `row`'s value differs from the value as read (the grid
    /// shows it bold until saved).
    bool rowEdited(int row) const { return m_session.document.edited(row); }
    /// What the last action that reports did; nothing once an edit followed it.
    const StatusReport& status() const;

    // ---- compare, export and import ----
    /// The aircraft shown as a typed field table (its unsaved values included).
    RecordTable table() const;
    /// "Compare with...": reads slot `slot` of this folder's planes.dat as
    /// the record compared with. False when it cannot be read (the record
    /// compared with so far stays; the user has been told why).
    bool compareWithSlot(int slot);
    /// The same with the aircraft's slot of another planes.dat, `file`.
    bool compareWith(const std::filesystem::path& file);
    /// Asks for another planes.dat and compares with the same slot of it.
    bool compareWithFile();
    /// The record compared with; nothing until one was read.
    const std::optional<CompareTarget>& compared() const { return m_compared; }
    /// Writes the values of `rows` (1..168) from the record compared with
    /// into the value column as one step. Checked whole first; false
    /// (nothing changed, the user told why) when a value cannot be stored.
    bool copyCompared(const std::vector<int>& rows);
    /// Values to write, checked against the record's table, as one step.
    bool applyValues(const std::vector<kvl::FieldAssignment>& assignments, StatusReport::Kind kind);
    /// Bytes that come in from outside (values copied, a CSV or a script
    /// applied) as one undoable step: the typed fields and the gun panels
    /// show the new bytes, the byte editor closes. `kind` and `file` are what
    /// the status line reports. Ignored before the first load.
    void applyBytes(std::span<const ByteAssignment> bytes, StatusReport::Kind kind, std::filesystem::path file = {});
    /// "Export CSV...": asks for a file and writes the aircraft's 168 rows.
    bool exportCsvFile();
    /// "Import CSV...": asks for a file, checks it whole and writes its
    /// values into the grid as one step (saved with "Save planes.dat").
    bool importCsvFile();

    // ---- working copies and scripts ----
    /// "Open Working Copy..." and "Apply Script...": asks for the file, then
    /// proposeApply(). Nothing when the dialog was cancelled.
    std::optional<ApplyProposal> chooseValuesFile(ValuesFileKind kind);
    /// Reads `file` as a working copy or script, checks it whole and works
    /// out what its values would change in each slot they may go into: the
    /// aircraft shown as it stands, another slot as a load would show it.
    /// Nothing when it is refused; the user has been told why (the file and
    /// the line).
    std::optional<ApplyProposal> proposeApply(const std::filesystem::path& file, ValuesFileKind kind);
    /// Puts the proposal's values into slot `slot` as one undoable step, to
    /// be saved with "Save planes.dat". Another slot than the one shown is
    /// chosen first, as the aircraft list chooses it (save prompt included).
    /// False when that slot cannot be read; the user has been told why.
    bool applyValuesFile(const ApplyProposal& proposal, int slot);

private:
    /// The byte editor below the grid.
    struct ByteEditor {
        bool open = false;
        std::string text;
        int row = 0; // the grid row last clicked
    };

    void reloadAfterSave();
    void runSavePrompt();
    void showError(const std::string& title, const std::string& text);
    void setStatus(StatusReport status);
    /// What a typed field shows: the text typed into it, or what its bytes give.
    std::string fieldText(int fieldRow) const;
    void typeInto(int fieldRow, const std::string& text);
    void writeNumber(int index);
    void writeCode(const std::u32string& chars);
    void afterUndoOrRedo(StatusReport::Kind kind);
    bool compareWith(const std::filesystem::path& file, int slot);

    std::filesystem::path m_folder;
    kvl::WindowHost& m_host;
    EditSession m_session;
    ByteEditor m_byteEditor;
    GunPanels m_gunPanels;
    ScriptMaker m_scriptMaker;
    std::optional<CompareTarget> m_compared;
    StatusReport m_status;
    unsigned m_statusSerial = 0; // the document's edit serial when the status was set
};

/// The bytes as a load shows them: where a flag byte holds both bits of its
/// exclusive pair, only the lower box is checked and the higher bit leaves
/// the value cell.
RecordBytes shownBytes(const RecordBytes& read);

} // namespace kvl::planesedit
