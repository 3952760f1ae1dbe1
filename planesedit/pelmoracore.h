// The state and rules of the editor window, free of widgets.
//
// The window shows one aircraft record as a byte grid (`ByteGrid`, 169 rows
// by 5 columns of text) plus typed panels: flag boxes, year, crew, fifteen
// 32-bit numbers with unit readings, a four-character code, the six gun
// groups and the script maker. Every edit, from whichever panel, lands as
// decimal text in column 2 of the grid; "Save planes.dat" writes that column
// back into the file in place.
//
// The form forwards each click and keystroke to one method here, then shows
// `state()` and the grid. Message boxes go through `EditorPrompts`.
#pragma once

#include "planesedit/planesrecord.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace planesedit {

constexpr int kGridRows = 169;
constexpr int kGridCols = 5;
constexpr int kNumberFields = 15;
constexpr int kGunGroups = 6;

/// Column widths of the byte grid in twips.
constexpr std::array<int, kGridCols> kColumnTwips = { 390, 320, 320, 1200, 320 };

/// The message boxes the editor needs; the form implements them with QMessageBox.
class EditorPrompts {
public:
    virtual ~EditorPrompts() = default;
    /// "Save the changes before closing ?" titled "File closure:"; true for OK.
    virtual bool askSaveChanges() = 0;
    /// A failure the user must know about.
    virtual void showError(const std::string& title, const std::string& text) = 0;
    /// A question with Yes and No; true for Yes.
    virtual bool confirm(const std::string& title, const std::string& text) = 0;
};

/// Everything the form shows besides the grid cells.
struct FormState {
    // aircraft and grid
    int slot = -1;               // selection of List1; -1 before the first load
    bool loaded = false;         // an aircraft has been read
    std::string workingCopyName; // Label7
    bool unsavedMark = false;
    int topRow = 1;              // the grid's top row
    unsigned scrollRequests = 0; // bumped by every action that sets the top row
    int currentRow = 0;          // the grid's current row (last clicked)

    // flags: group 0..3 (flag bytes at offsets 4..7), bit 0..7
    std::array<std::array<bool, 8>, 4> flags {};
    std::array<std::string, 4> flagCaptions; // F1..F4, empty until a load

    std::string year, crew;                              // Text8, Text7
    std::array<std::string, kNumberFields> numbers;      // Text3(i)
    std::array<std::string, kNumberFields> unitReadings; // Label10/Label9(i)
    std::string code;                                    // Text5

    // gun groups
    bool gunChooserVisible = false; // Frame1
    std::string gunCount;           // Text6
    int gunGroup = 0;               // 1..6, 0 = none chosen
    bool gunPanelsVisible = false;  // FGG, FGC, FGS
    bool ammoVisible = false;       // Text2
    std::string gunPanelCaption;    // FGG caption
    std::string gunNumber;          // Text1
    int position = -1;              // Option1 index, -1 = none
    std::string positionLabel;      // Label3
    std::string gunType;            // Gundamage
    int typeButton = -1;            // Option2 value (0, 2, 4, 12, 24), -1 = none
    std::string ammo;               // Text2
    int sound = -1;                 // Option3 index, -1 = none
    std::string soundLabel;         // Label5
    bool smoke = false;             // smoke
    std::string smokeCaption = "Smoke";

    // byte editor
    bool byteEditorVisible = false;  // Text4
    unsigned byteEditorOpenings = 0; // bumped each time a click opens it
    std::string byteEditor;

    // script maker
    bool scriptMakerVisible = false; // Frame3
    int destination = -1;            // List2 selection
    std::string destinationLabel;    // Label14
    std::string scriptName;          // Text9
    std::string pnamesName;          // Text11
    std::string description;         // Text10
    std::string scriptFolder = "P-"; // Text12
};

/// Fields that scroll the grid when clicked.
enum class ClickField { Year, Crew, Number, GunCount, Code, YearCaption, DamageButton };

class PelmoraCore {
public:
    /// `folder` is the working folder: planes.dat, working copies and script
    /// folders live there. `prompts` must outlive the core.
    PelmoraCore(std::filesystem::path folder, EditorPrompts& prompts);

    const FormState& state() const { return m_state; }
    const std::string& cell(int row, int col) const;
    const std::filesystem::path& folder() const { return m_folder; }
    /// Bumped whenever a grid cell changes, so a view can skip unchanged refreshes.
    unsigned gridRevision() const { return m_gridRevision; }

    // --- aircraft and grid
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
    /// "Save planes.dat". False when nothing was written.
    bool savePlanes();
    /// Closing the window: runs the save prompt when there are unsaved edits.
    void close();
    /// "Save Script": opens the script maker for the aircraft being edited.
    void openScriptMaker();

    // --- gun groups
    void chooseGunGroup(int g); // 1..6
    void gunNumberChanged(const std::string& text);
    void gunNumberEnter();
    void positionChosen(int code);
    void ammoChanged(const std::string& text);
    void ammoEnter();
    void smokeClicked(bool checked);
    void soundChosen(int code);
    void typeChanged(const std::string& text);
    void typeEnter();
    void typeChosen(int value);

    // --- script maker
    void chooseDestination(int slot);
    void setScriptName(const std::string& text) { m_state.scriptName = text; }
    void setPnamesName(const std::string& text) { m_state.pnamesName = text; }
    void setDescription(const std::string& text) { m_state.description = text; }
    void setScriptFolder(const std::string& text) { m_state.scriptFolder = text; }
    /// "Save the script". False when nothing (or not everything) was written.
    bool saveScript();
    void cancelScript() { m_state.scriptMakerVisible = false; }

    // --- file texts, exposed for tests and the script maker
    /// The working copy: column 2 of rows 1..168, one per CR LF line.
    std::string workingCopyText() const;
    /// The script file: name line, destination line, column 2 of rows 2..168.
    std::string scriptText() const;

private:
    void setCell(int row, int col, std::string text);
    void scrollTo(int row);
    double value(int row) const; // V(r)
    void applyRecord(const AircraftRecord& rec);
    void runSavePrompt();
    void writeNumberBytes(int index, double v);
    void writeTwoBytes(int row, double v);
    void updateUnitReading(int index, double v);
    void writeCode(const std::u32string& chars);
    void refreshFlagValue(int group);
    void selectSound(int code);
    int gunBase() const { return 89 + 12 * (m_state.gunGroup - 1); }

    std::filesystem::path m_folder;
    EditorPrompts& m_prompts;
    FormState m_state;
    std::vector<std::array<std::string, kGridCols>> m_grid;
    unsigned m_gridRevision = 0;
};

/// The script's first line: `name` centred in 18 characters.
std::string scriptNameLine(const std::string& name);
/// True when `name` can serve as one file or folder name.
bool isValidFileName(const std::string& name);
/// The text of column 3 for each row at start ("" for unnamed rows).
std::string gridLabel(int row);
/// The name of the field a byte belongs to, for messages.
std::string fieldNameOfRow(int row);

} // namespace planesedit
