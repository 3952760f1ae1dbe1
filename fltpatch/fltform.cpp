// The flight editor's form without widgets.
#include "fltpatch/fltform.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/textio.h"

#include <algorithm>
#include <fstream>
#include <span>

namespace fltpatch {

namespace fs = std::filesystem;

std::string instructionsText()
{
    const std::string br = "\n";
    return std::string("TRANSFERRING DATA:") + br + br
        + "To copy some values into the storage grid below, click on the first "
        + "value you want in the main table, and drag the mouse to the last one"
        + " The values should show as highlighted." + br + br + "Then click the 'Store Values' button." + br
        + "The location of the first value will show in the panel below, and the values in the storage grid." + br
        + "Load a new file if you need to." + br + "Locate the first cell where pasting needs to start from, "
        + "and then click the 'Paste Values' button." + br
        + "Be very careful, because pasting will replace the values in the loaded 'flt' file.";
}

bool readFlightImage(const fs::path& path, std::vector<std::uint8_t>& out, std::string& error)
{
    out.clear();
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "\"" + path.string() + "\" is a folder, not a flight file. No file was loaded.";
        return false;
    }
    // Only regular files: opening a pipe or a device could block or never end.
    std::int64_t size = kvl::fileSize(path);
    if (size < 0) {
        error = "Cannot open \"" + path.string() + "\". No file was loaded.";
        return false;
    }
    if (size < kFileSize) {
        error = "\"" + path.string() + "\" is " + std::to_string(size) + " bytes long, shorter than the "
            + std::to_string(kFileSize) + " bytes of a flight file. It was not loaded.";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open \"" + path.string() + "\". No file was loaded.";
        return false;
    }
    // Only the 328 fields are read, so a large file picked by mistake costs nothing.
    out.resize(kFileSize);
    in.read(reinterpret_cast<char*>(out.data()), kFileSize);
    if (in.gcount() != kFileSize) {
        out.clear();
        error = "Cannot read \"" + path.string() + "\". No file was loaded.";
        return false;
    }
    return true;
}

std::vector<std::string> splitDescriptions(std::string_view text)
{
    std::vector<std::string> lines;
    kvl::LineReader reader(text);
    std::string line;
    while (static_cast<int>(lines.size()) < kDescriptionLines && reader.next(line))
        lines.push_back(line);
    return lines;
}

FlightForm::FlightForm(FltDialogs& dialogs) : m_dialogs(dialogs), m_cells(static_cast<std::size_t>(kRows * kColumns))
{
    cellRef(0, ColNumber) = "Field";
    cellRef(0, ColPosition) = "Position";
    cellRef(0, ColType) = "Type";
    cellRef(0, ColDescription) = "Description";
    cellRef(0, ColValue) = "Value";
    for (const FieldInfo& info : fieldTable()) {
        cellRef(info.number, ColNumber) = std::to_string(info.number);
        cellRef(info.number, ColPosition) = std::to_string(info.position);
        cellRef(info.number, ColType) = typeName(info.type);
    }
    m_status = "No file loaded. Click \"Load flt\" to open a flight file.";
}

const std::string& FlightForm::cell(int row, int column) const
{
    static const std::string empty;
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return empty;
    return m_cells[static_cast<std::size_t>(row * kColumns + column)];
}

std::string& FlightForm::cellRef(int row, int column)
{
    return m_cells[static_cast<std::size_t>(row * kColumns + column)];
}

std::string FlightForm::fieldLabel(int row) const
{
    return "field " + std::to_string(row) + " (" + cell(row, ColType) + ", position " + cell(row, ColPosition) + ")";
}

void FlightForm::formLoad(const fs::path& folder, const fs::path& file)
{
    m_startFolder = folder;
    loadDescriptions(folder);
    if (file.empty())
        loadFlt();
    else
        loadFile(file);
    enterCell(1);
}

bool FlightForm::loadDescriptions(const fs::path& folder)
{
    fs::path path = kvl::findFileNoCase(folder, kDescriptionFile);
    std::string text;
    std::vector<std::string> lines;
    bool ok = true;
    if (kvl::fileSize(path) < 0) {
        m_dialogs.showMessage(std::string(kDescriptionFile) + " was not found in \"" + folder.string()
            + "\". The fields are shown without descriptions.");
        ok = false;
    } else if (!kvl::readTextFile(path, text)) {
        m_dialogs.showMessage("Cannot read \"" + path.string() + "\". The fields are shown without descriptions.");
        ok = false;
    } else {
        lines = splitDescriptions(text);
        if (static_cast<int>(lines.size()) < kDescriptionLines) {
            m_dialogs.showMessage(std::string(kDescriptionFile) + " has " + std::to_string(lines.size())
                + " lines where " + std::to_string(kDescriptionLines)
                + " are expected (a heading, then one description for each of the " + std::to_string(kFieldCount)
                + " fields). The missing descriptions are left empty.");
            ok = false;
        }
    }
    for (int row = 0; row < kRows; ++row) {
        const auto index = static_cast<std::size_t>(row);
        if (index < lines.size())
            cellRef(row, ColDescription) = lines[index];
        else if (row > 0)
            cellRef(row, ColDescription).clear();
    }
    if (validRow(m_currentRow))
        m_label5 = cell(m_currentRow, ColDescription);
    return ok;
}

void FlightForm::loadFlt()
{
    fs::path chosen = m_dialogs.chooseFltFile(m_startFolder.empty() ? fs::current_path() : m_startFolder);
    if (chosen.empty()) {
        if (m_file.empty())
            m_status = "No file loaded. Click \"Load flt\" to open a flight file.";
        else
            m_status = "No new file chosen; \"" + m_file.string() + "\" stays loaded.";
        return;
    }
    loadFile(chosen);
}

bool FlightForm::loadFile(const fs::path& path)
{
    std::vector<std::uint8_t> image;
    std::string error;
    if (!readFlightImage(path, image, error)) {
        m_dialogs.showMessage(error);
        m_status = m_file.empty() ? "No file loaded." : "\"" + m_file.string() + "\" stays loaded.";
        return false;
    }
    kvl::ByteView view(image);
    for (const FieldInfo& info : fieldTable())
        cellRef(info.number, ColValue) = readFieldText(view, info).value_or(std::string());
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    m_file = ec ? path : full.lexically_normal();
    m_label1 = m_file.string();
    m_status = "Loaded \"" + m_file.string() + "\".";
    if (validRow(m_currentRow))
        enterCell(m_currentRow);
    return true;
}

void FlightForm::enterCell(int row)
{
    if (!validRow(row))
        return;
    m_currentRow = row;
    m_text1 = cell(row, ColValue);
    m_label2 = cell(row, ColValue);
    m_label3 = cell(row, ColType);
    m_label4 = cell(row, ColPosition);
    m_label5 = cell(row, ColDescription);
}

void FlightForm::setText1(std::string text)
{
    m_text1 = std::move(text);
}

bool FlightForm::editFlt()
{
    const int row = m_currentRow;
    if (m_file.empty()) {
        m_status = "No file loaded: nothing was written. Click \"Load flt\" first.";
        return false;
    }
    if (!validRow(row))
        return false;
    const FieldInfo& info = field(row);
    EncodedValue value = encodeValue(info.type, m_text1);
    if (value.status == EncodedValue::Status::NotANumber) {
        m_dialogs.showMessage("\"" + m_text1 + "\" is not a number. Nothing was written to " + fieldLabel(row) + ".");
        m_status = "Nothing was written.";
        return false;
    }
    if (value.status == EncodedValue::Status::OutOfRange) {
        m_dialogs.showMessage(m_text1 + " does not fit " + fieldLabel(row) + ": " + rangeDescription(info.type)
            + ". Nothing was written.");
        m_status = "Nothing was written.";
        return false;
    }
    std::string error;
    std::span<const std::uint8_t> bytes(value.bytes.data(), static_cast<std::size_t>(value.size));
    if (!kvl::writeInPlace(m_file, static_cast<std::uint64_t>(info.position - 1), bytes, &error)) {
        m_dialogs.showMessage("Cannot write " + fieldLabel(row) + ": " + error + ". Nothing was written.");
        m_status = "Nothing was written.";
        return false;
    }
    cellRef(row, ColValue) = value.text;
    enterCell(row);
    m_status = "Wrote " + value.text + " to " + fieldLabel(row) + ".";
    return true;
}

void FlightForm::mouseDown(int row)
{
    m_g1rf = static_cast<std::int16_t>(std::clamp(row, 1, kFieldCount));
}

void FlightForm::mouseUp(int row)
{
    m_g1rl = static_cast<std::int16_t>(std::clamp(row, 1, kFieldCount));
    if (m_g1rl < m_g1rf) {
        std::int16_t tempnum = m_g1rf;
        m_g1rf = m_g1rl;
        m_g1rl = tempnum;
    }
}

bool FlightForm::storeValues()
{
    if (m_file.empty()) {
        m_status = "No file loaded: there are no values to store.";
        return false;
    }
    if (!validRow(m_g1rf) || !validRow(m_g1rl) || m_g1rl < m_g1rf) {
        m_status = "No values are marked: drag the mouse over the values to store first.";
        return false;
    }
    const int n = m_g1rl + 1 - m_g1rf;
    m_stored.clear();
    for (int i = 0; i < n; ++i)
        m_stored.push_back(cell(m_g1rf + i, ColValue));
    m_label9 = cell(m_g1rf, ColDescription);
    m_status = "Stored " + std::to_string(n) + (n == 1 ? " value" : " values") + " from field " + std::to_string(m_g1rf)
        + (n == 1 ? "." : " to field " + std::to_string(m_g1rl) + ".");
    return true;
}

bool FlightForm::pasteValues()
{
    const int first = m_currentRow;
    const auto count = static_cast<int>(m_stored.size());
    if (m_file.empty()) {
        m_status = "No file loaded: nothing was pasted. Click \"Load flt\" first.";
        return false;
    }
    if (count == 0) {
        m_status = "Nothing is stored: mark values and click \"Store values\" first.";
        return false;
    }
    if (!validRow(first))
        return false;
    const int last = first + count - 1;
    if (last > kFieldCount) {
        m_dialogs.showMessage("Pasting " + std::to_string(count) + " values from field " + std::to_string(first)
            + " on would run past field " + std::to_string(kFieldCount) + ", the last one. Nothing was pasted.");
        m_status = "Nothing was pasted.";
        return false;
    }
    // Convert every value before writing any, so a paste is all or nothing.
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const int row = first + i;
        const std::string& text = m_stored[static_cast<std::size_t>(i)];
        EncodedValue value = encodeValue(field(row).type, text);
        if (value.status != EncodedValue::Status::Ok) {
            std::string why = value.status == EncodedValue::Status::NotANumber
                ? "is not a number"
                : "does not fit " + fieldLabel(row) + ": " + rangeDescription(field(row).type);
            m_dialogs.showMessage(
                "Stored value " + std::to_string(i + 1) + " (\"" + text + "\") " + why + ". Nothing was pasted.");
            m_status = "Nothing was pasted.";
            return false;
        }
        bytes.insert(bytes.end(), value.bytes.begin(), value.bytes.begin() + value.size);
        texts.push_back(value.text);
    }
    // The fields follow each other without gaps, so the paste is one run of bytes.
    std::string error;
    if (!kvl::writeInPlace(m_file, static_cast<std::uint64_t>(field(first).position - 1), bytes, &error)) {
        m_dialogs.showMessage("Cannot paste: " + error + ". Nothing was pasted.");
        m_status = "Nothing was pasted.";
        return false;
    }
    for (int i = 0; i < count; ++i)
        cellRef(first + i, ColValue) = texts[static_cast<std::size_t>(i)];
    enterCell(last);
    m_status = "Pasted " + std::to_string(count) + (count == 1 ? " value" : " values") + " into field "
        + std::to_string(first) + (count == 1 ? "" : " to field " + std::to_string(last)) + ".";
    return true;
}

} // namespace fltpatch
