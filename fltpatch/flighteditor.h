// The editor of one flight-model file, without widgets: the 328 typed values
// with their descriptions, the value being typed, the range marked with the
// mouse, the stored run of values and the rules of every action. The window
// forwards its events here and shows this state; message boxes and the file
// dialog go through kvl::WindowHost.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "common/windowhost.h"
#include "fltpatch/fltfields.h"

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

class FlightModelEditor {
public:
    explicit FlightModelEditor(WindowHost& host);

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

private:
    static bool isField(int number) { return number >= 1 && number <= kFieldCount; }
    std::string fieldLabel(int number) const;
    void tell(const std::string& text);

    WindowHost& m_host;
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
