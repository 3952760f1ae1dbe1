// The editor of one flight-model file, without widgets: the 328 typed values
// with their descriptions, the value being typed, the range marked with the
// mouse, the stored run of values and the rules of every action. The window
// forwards its events here and shows this state when the editor's change
// notification says so (at the end of each action); message boxes and the
// file dialog go through kvl::WindowHost.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/changenotifier.h"
#include "common/fieldtable.h"
#include "common/lastfolder.h"
#include "common/result.h"
#include "common/windowhost.h"
#include "fltpatch/flighthistory.h"
#include "fltpatch/fltfields.h"
#include "fltpatch/fltfieldtable.h"

namespace kvl::fltpatch {

/// The editor's title: the window's caption and the title of its message boxes.
inline constexpr const char* kEditorTitle = "Orlith's Flight Editor";
/// The name of the description file, looked up in the start folder.
inline constexpr const char* kDescriptionFile = "FDataDet.txt";
/// Lines the description file should have: a heading, then one per field.
inline constexpr int kDescriptionLines = kFieldCount + 1;

/// The instructions shown beside the tables; lines break at '\n'.
std::string instructionsText();

/// The file dialog that picks a flight file, starting in `folder`.
FileDialogRequest flightFileDialog(const std::filesystem::path& folder);

/// The value texts to write, as field number and text.
using FieldTexts = std::vector<std::pair<int, std::string>>;

class FlightModelEditor {
public:
    explicit FlightModelEditor(WindowHost& host);

    /// Tells the window when to show the editor's state again: once at the
    /// end of every action below, and at start-up also once the descriptions
    /// are read, before the file dialog opens. Typing (setEditText) and
    /// marking (beginMark, endMark) come from the window and send none.
    ChangeNotifier& changes() { return m_changes; }

    /// Start-up: reads the descriptions from `folder`, then loads a file -
    /// `file` when one is given, otherwise the one the user picks in the file
    /// dialog opened on `folder` - and selects field 1.
    void startUp(const std::filesystem::path& folder, const std::filesystem::path& file = {});

    /// Reads FDataDet.txt from `folder`. A missing or short file gets one
    /// message and false; the descriptions it lacks are left empty.
    bool loadDescriptions(const std::filesystem::path& folder);

    /// "Load flt": asks for a file and loads it. When the user cancels, the
    /// file loaded before stays loaded.
    void chooseAndLoadFile();
    /// Loads the values of `path`. A file that cannot be read or is shorter
    /// than a flight file gets a message and false; whatever was loaded before
    /// stays loaded.
    bool loadFile(const std::filesystem::path& path);

    /// Makes field `number` (1 to 328) the selected one and puts its value
    /// into the edit text. Other numbers are ignored.
    void selectField(int number);
    /// The text the user typed for the selected field.
    void setEditText(std::string text);

    /// "Edit flt" and Enter: converts the edit text to the selected field's
    /// type and writes it into the file at the field's position. False,
    /// writing nothing, when no file is loaded or the text does not convert.
    bool writeEditText();

    /// Mouse button down and up over field `number`: the two ends of the
    /// marked range, kept in order. Numbers outside 1 to 328 clamp to them.
    void beginMark(int number);
    void endMark(int number);

    /// "Store values": copies the values of the marked fields into the store.
    bool storeValues();
    /// "Paste values": writes the stored values over the fields from the
    /// selected one on. The whole paste is checked first; if it runs past the
    /// last field or a value does not fit its field nothing is written.
    bool pasteValues();

    /// Undo and redo of the writes into the loaded file (Enter, paste, copy
    /// from a compared file, import, revert), one step at a time. A step is
    /// refused, writing nothing, when the file no longer holds at its fields
    /// what the step left there (another program changed them). Loading a
    /// file starts a new history.
    bool undo();
    bool redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    /// What undo and redo would take back or do again ("write to field 3"),
    /// empty when there is nothing.
    std::string undoWhat() const { return m_undo.empty() ? std::string() : m_undo.back().what; }
    std::string redoWhat() const { return m_redo.empty() ? std::string() : m_redo.back().what; }

    /// "Revert file": after asking, writes back every field that differs from
    /// the file as it was when loaded, as one step that can be undone.
    bool revertFile();

    /// "Compare with...": asks for a second flight file and loads it beside
    /// the loaded one (compareWith). A file that cannot be loaded gets a
    /// message and leaves the comparison as it was.
    bool compareWithFile();
    bool compareWith(const std::filesystem::path& path);
    /// The compared file; empty while none is loaded.
    const std::filesystem::path& comparedFile() const { return m_comparedFile; }
    /// The fields whose shown values differ between this file and the compared one.
    std::vector<FieldDifference> differences() const;
    /// Writes the compared file's values of `numbers` into this file as one
    /// step, checked whole first like a paste.
    bool copyCompared(const std::vector<int>& numbers);

    /// The loaded file's values as CSV (kvl::exportCsv with flightCsvLayout).
    std::string exportCsv() const;
    /// Writes the values of a CSV text (a header row naming "field" and
    /// "value", then any subset of the fields) as one step. The whole text is
    /// checked before anything is written; a bad row gets a message naming
    /// its line and nothing is written. Fields whose value is the one shown
    /// already are left untouched. `source` names the text in messages.
    bool importCsv(std::string_view csv, const std::string& source);
    /// "Export CSV..." and "Import CSV...": the same through a file dialog
    /// (common/csvfiles.h).
    bool exportCsvFile();
    bool importCsvFile();

    /// The loaded file's values and descriptions, and the compared file's.
    FlightFieldTable table() const { return FlightFieldTable(m_values, m_descriptions); }
    FlightFieldTable comparedTable() const { return FlightFieldTable(m_comparedValues, m_descriptions); }

    /// The value of field `number` as text; empty before a file is loaded.
    const std::string& valueText(int number) const;
    /// The description of field `number` (UTF-8); empty when the description
    /// file did not have it.
    const std::string& description(int number) const;
    /// The heading line of the description file, when it was read.
    const std::optional<std::string>& descriptionHeading() const { return m_heading; }

    /// The selected field: field 1 until another is selected.
    int selectedField() const { return m_selected; }
    /// False until a field was first selected (start-up selects field 1 once
    /// the file is loaded). Until then the window shows no value, type or
    /// position, only the description of field 1 as soon as it is read, so
    /// that the user sees it behind the start-up file dialog.
    bool fieldShown() const { return m_fieldShown; }
    const std::string& editText() const { return m_editText; }
    /// The loaded file, as a full path; empty when none is loaded.
    const std::filesystem::path& loadedFile() const { return m_file; }
    /// One line telling the outcome of the last action.
    const std::string& status() const { return m_status; }
    /// The stored values, as text, and the field they were stored from (0 before a store).
    const std::vector<std::string>& storedValues() const { return m_stored; }
    int storedFrom() const { return m_storedFrom; }
    /// The marked range: first and last field, 0 before the mouse marked any.
    int markFirst() const { return m_markFirst; }
    int markLast() const { return m_markLast; }

    /// The folder every file dialog (load, compare, export, import) starts
    /// in once one was used; the window keeps it in the profile. Without
    /// one, each dialog starts where its request says.
    void setLastFolder(LastFolder last) { m_lastFolder = std::move(last); }
    const LastFolder& lastFolder() const { return m_lastFolder; }

private:
    static bool isField(int number) { return number >= 1 && number <= kFieldCount; }
    std::string fieldLabel(int number) const;
    void tell(const std::string& text);
    void warn(const std::string& text);
    bool commit(std::string what, const std::vector<std::pair<int, EncodedValue>>& values, const std::string& cannot,
        const std::string& nothing);
    bool writeTexts(const FieldTexts& texts, std::string what, const std::string& cannot, const std::string& nothing);
    /// The rows of a CSV text already checked whole, written as one step.
    bool importRows(const std::vector<FieldAssignment>& rows, const std::string& source);
    static std::string cannotImport(const std::string& source);
    void showFields(const Bytes& image, const std::vector<int>& fields);
    bool moveStep(bool backwards);

    WindowHost& m_host;
    ChangeNotifier m_changes;
    LastFolder m_lastFolder;
    std::filesystem::path m_startFolder;
    std::vector<std::string> m_values;       // entry n - 1 is field n
    std::vector<std::string> m_descriptions; // entry n - 1 is field n
    std::optional<std::string> m_heading;
    int m_selected = 1;
    bool m_fieldShown = false;
    std::string m_editText;
    std::string m_status;
    std::vector<std::string> m_stored;
    int m_storedFrom = 0;
    std::filesystem::path m_file;
    int m_markFirst = 0;
    int m_markLast = 0;
    Bytes m_loadedImage; // the fields as they were when the file was loaded, for "Revert file"
    std::vector<WriteStep> m_undo;
    std::vector<WriteStep> m_redo;
    std::filesystem::path m_comparedFile;
    std::vector<std::string> m_comparedValues;
};

/// The first kFileSize bytes of the flight file at `path`, or an error whose
/// message tells the user why the file cannot be loaded (it cannot be read,
/// is a folder, or is shorter than a flight file).
Result<std::vector<std::uint8_t>> readFlightImage(const std::filesystem::path& path);

/// The lines of a description file's text, at most kDescriptionLines, each
/// decoded to UTF-8 on its own (the game's own lines are Latin-1, lines added
/// by modders often UTF-8). A UTF-8 byte-order mark at the start is dropped.
std::vector<std::string> splitDescriptions(std::string_view text);

} // namespace kvl::fltpatch
