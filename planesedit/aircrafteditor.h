// The editor of one aircraft record, free of widgets.
//
// The window shows one record of planes.dat as a byte grid plus typed panels:
// flag boxes, year, crew, fifteen 32-bit numbers, a four-character code, the
// six gun groups (GunPanels) and the script maker (ScriptMaker). Every edit,
// from whichever panel, lands as decimal text in the grid's value column;
// "Save planes.dat" writes that column back into the file in place.
//
// The window forwards each click and keystroke to one method here, then shows
// the state and carries out the view requests the action queued. Message
// boxes go through kvl::WindowHost.
#pragma once

#include "planesedit/editsession.h"
#include "planesedit/gunpanels.h"
#include "planesedit/scriptmaker.h"

#include "common/windowhost.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace kvl::planesedit {

/// The texts and boxes of the record's own panels, as the user edits them.
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

/// Fields and buttons that scroll the grid when clicked.
enum class ClickField { Year, Crew, Number, GunCount, Code, YearCaption, DamageButton };

class AircraftEditor {
public:
    /// `folder` is the working folder: planes.dat, working copies and script
    /// folders live there. `host` must outlive the editor.
    AircraftEditor(std::filesystem::path folder, kvl::WindowHost& host);

    const RecordFields& fields() const { return m_fields; }
    const ByteGrid& grid() const { return m_session.grid; }
    const std::string& cell(int row, int col) const { return m_session.grid.cell(row, col); }
    const std::filesystem::path& folder() const { return m_folder; }
    /// The aircraft shown, -1 before the first load.
    int slot() const { return m_session.slot; }
    bool loaded() const { return m_session.loaded(); }
    bool unsavedMark() const { return m_session.unsavedMark; }

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

private:
    void applyRecord(const AircraftRecord& rec);
    void runSavePrompt();
    void showError(const std::string& title, const std::string& text);
    void writeNumber(int index);
    void writeCode(const std::u32string& chars);

    std::filesystem::path m_folder;
    kvl::WindowHost& m_host;
    EditSession m_session;
    RecordFields m_fields;
    GunPanels m_gunPanels;
    ScriptMaker m_scriptMaker;
};

/// The name of the working copy of `slot` (" 5.oaw"): Str(slot) and ".oaw".
std::string workingCopyName(int slot);

} // namespace kvl::planesedit
