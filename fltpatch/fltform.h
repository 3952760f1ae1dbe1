// The flight editor's form without widgets: the main table of 328 typed
// fields, the value box, the marked range, the storage list and the rules of
// each button, key and mouse action. The window forwards events here and
// shows the state; message boxes and the file dialog go through FltDialogs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fltpatch/fltfields.h"

namespace fltpatch {

/// The dialogs the form needs; the window shows real ones, tests script them.
class FltDialogs {
public:
    virtual ~FltDialogs() = default;
    /// The file-open dialog, starting in `startFolder`: the chosen file, or
    /// an empty path when the user cancels.
    virtual std::filesystem::path chooseFltFile(const std::filesystem::path& startFolder) = 0;
    /// A message box with one OK button.
    virtual void showMessage(const std::string& text) = 0;
};

/// The name of the description file, looked up in the start folder.
inline constexpr const char* kDescriptionFile = "FDataDet.txt";
/// Lines the description file should have: a heading, then one per field.
inline constexpr int kDescriptionLines = kFieldCount + 1;

/// The instructions shown beside the tables; lines break at '\n'.
std::string instructionsText();

class FlightForm {
public:
    /// Rows of the main table: row 0 is the heading, row n is field n.
    static constexpr int kRows = kFieldCount + 1;
    static constexpr int kColumns = 5;
    enum Column { ColNumber = 0, ColPosition = 1, ColType = 2, ColDescription = 3, ColValue = 4 };

    explicit FlightForm(FltDialogs& dialogs);

    /// Start-up: reads the descriptions from `folder`, then loads a file -
    /// `file` when one is given, otherwise the one the user picks in the file
    /// dialog opened on `folder` - and makes field 1 the current row.
    void formLoad(const std::filesystem::path& folder, const std::filesystem::path& file = {});

    /// Reads FDataDet.txt from `folder` into the description column. A
    /// missing or short file gets one message; missing lines stay empty.
    bool loadDescriptions(const std::filesystem::path& folder);

    /// "Load flt": asks for a file and loads it. When the user cancels, the
    /// file loaded before stays loaded.
    void loadFlt();
    /// Loads `path` into the value column. A file that cannot be read or is
    /// shorter than a flight file gets a message and is not loaded; whatever
    /// was loaded before stays.
    bool loadFile(const std::filesystem::path& path);

    /// A click on, or keyboard move into, row `row`: shows that field.
    void enterCell(int row);
    /// The user's text in the value box.
    void setText1(std::string text);

    /// "Edit flt" and Enter in the value box: converts the box's text to the
    /// current field's type and writes it into the file at the field's
    /// position. False, writing nothing, when no file is loaded or the text
    /// does not convert.
    bool editFlt();

    /// Mouse button down and up over row `row` of the main table: the ends
    /// of the marked range, kept in order.
    void mouseDown(int row);
    void mouseUp(int row);

    /// "Store values": copies the values of the marked rows to the storage list.
    bool storeValues();
    /// "Paste values": writes the stored values over the fields from the
    /// current row on. The whole paste is checked first; if it runs past the
    /// last field or a value does not fit its field nothing is written.
    bool pasteValues();

    const std::string& cell(int row, int column) const;
    int currentRow() const { return m_currentRow; }
    const std::string& text1() const { return m_text1; }
    /// Label1 to Label5: file path, value, type, position and description of the current field.
    const std::string& label1() const { return m_label1; }
    const std::string& label2() const { return m_label2; }
    const std::string& label3() const { return m_label3; }
    const std::string& label4() const { return m_label4; }
    const std::string& label5() const { return m_label5; }
    /// Label9: description of the first stored field.
    const std::string& label9() const { return m_label9; }
    /// One line telling the outcome of the last action.
    const std::string& status() const { return m_status; }
    /// The storage list, one text per stored value.
    const std::vector<std::string>& stored() const { return m_stored; }
    /// The loaded file; empty when none.
    const std::filesystem::path& loadedFile() const { return m_file; }
    std::int16_t markFirst() const { return m_g1rf; }
    std::int16_t markLast() const { return m_g1rl; }

private:
    std::string& cellRef(int row, int column);
    bool validRow(int row) const { return row >= 1 && row <= kFieldCount; }
    std::string fieldLabel(int row) const;

    FltDialogs& m_dialogs;
    std::filesystem::path m_startFolder;
    std::vector<std::string> m_cells; // kRows x kColumns, row by row
    int m_currentRow = 1;
    std::string m_text1;
    std::string m_label1, m_label2, m_label3, m_label4, m_label5, m_label9;
    std::string m_status;
    std::vector<std::string> m_stored;
    std::filesystem::path m_file;
    std::int16_t m_g1rf = 0;
    std::int16_t m_g1rl = 0;
};

/// Reads the first kFileSize bytes of a flight file into `out`. False, with a
/// message for the user in `error`, when the file cannot be read or is short.
bool readFlightImage(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string& error);

/// The lines of a description file's text, at most kDescriptionLines.
std::vector<std::string> splitDescriptions(std::string_view text);

} // namespace fltpatch
