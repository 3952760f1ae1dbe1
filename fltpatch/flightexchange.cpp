// The editor's exchanges with other files: comparing with a second flight
// file and copying its values across, and exporting and importing values as CSV.
#include "common/platform.h"
#include "fltpatch/flighteditor.h"

#include "common/csvfiles.h"

#include <algorithm>

namespace kvl::fltpatch {

namespace fs = std::filesystem;

namespace {

Message warning(std::string text)
{
    return Message { MessageIcon::Warning, kEditorTitle, std::move(text) };
}

std::string valuesCount(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " value" : " values");
}

fs::path startFolder(const fs::path& file, const fs::path& otherwise)
{
    if (!file.empty())
        return file.parent_path();
    std::error_code ec;
    return otherwise.empty() ? fs::current_path(ec) : otherwise;
}

} // namespace

bool FlightModelEditor::compareWithFile()
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty()) {
        m_status = "No file loaded: load a flight file first, then compare it with another.";
        return false;
    }
    FileDialogRequest request = flightFileDialog(startFolder(m_file, m_startFolder));
    request.caption = "Compare with a flight file";
    request.objectName = "CompareFileDialog";
    const fs::path chosen = m_lastFolder.choose(m_host, request);
    if (chosen.empty()) {
        m_status = "No file chosen to compare with.";
        return false;
    }
    return compareWith(chosen);
}

bool FlightModelEditor::compareWith(const fs::path& path)
{
    const ChangeNotifier::Operation scope(m_changes);
    auto image = readFlightImage(path);
    if (!image) {
        // The loader's message ends "No file was loaded."; nothing else changed either.
        warn(image.error().message);
        m_status = "Nothing was compared.";
        return false;
    }
    m_comparedValues = valueTexts(*image);
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    m_comparedFile = ec ? path : full.lexically_normal();
    const std::size_t n = differences().size();
    m_status = "Compared with \"" + kvl::platform::utf8FromPath(m_comparedFile) + "\": " + valuesCount(n)
        + (n == 1 ? " differs." : " differ.");
    return true;
}

std::vector<FieldDifference> FlightModelEditor::differences() const
{
    if (m_comparedFile.empty())
        return {};
    return compareFields(table(), comparedTable());
}

bool FlightModelEditor::writeTexts(
    const FieldTexts& texts, std::string what, const std::string& cannot, const std::string& nothing)
{
    std::vector<std::pair<int, EncodedValue>> values;
    for (const auto& [number, text] : texts) {
        if (!isField(number)) {
            warn(cannot + ": there is no field " + std::to_string(number) + ". " + nothing);
            m_status = nothing;
            return false;
        }
        EncodedValue value = encodeValue(field(number).type, text);
        if (value.status != EncodedValue::Status::Ok) {
            std::string why = value.status == EncodedValue::Status::NotANumber
                ? "is not a number"
                : "does not fit: " + rangeDescription(field(number).type);
            warn(cannot + ": the value \"" + text + "\" for " + fieldLabel(number) + " " + why + ". " + nothing);
            m_status = nothing;
            return false;
        }
        values.emplace_back(number, std::move(value));
    }
    return commit(std::move(what), values, cannot, nothing);
}

bool FlightModelEditor::copyCompared(const std::vector<int>& numbers)
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty() || m_comparedFile.empty()) {
        m_status = "Nothing was copied: load a file and a file to compare it with first.";
        return false;
    }
    std::vector<int> fields = numbers;
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    if (fields.empty()) {
        m_status = "Nothing was copied: select the values to copy first.";
        return false;
    }
    FieldTexts texts;
    for (int number : fields)
        texts.emplace_back(number, isField(number) ? m_comparedValues[static_cast<std::size_t>(number - 1)] : "");
    const std::string from = "\"" + kvl::platform::utf8FromPath(m_comparedFile.filename()) + "\"";
    if (!writeTexts(texts, "copy of " + valuesCount(fields.size()) + " from " + from, "Cannot copy from " + from,
            "Nothing was copied."))
        return false;
    m_status = "Copied " + valuesCount(fields.size()) + " from \"" + kvl::platform::utf8FromPath(m_comparedFile)
        + "\".";
    return true;
}

std::string FlightModelEditor::exportCsv() const
{
    return kvl::exportCsv(table(), flightCsvLayout());
}

bool FlightModelEditor::importCsv(std::string_view csv, const std::string& source)
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty()) {
        m_status = "No file loaded: nothing was imported. Click \"Load flt\" first.";
        return false;
    }
    auto rows = parseImportCsv(table(), csv, flightCsvLayout());
    if (!rows) {
        warn(cannotImport(source) + ": " + rows.error().message + ". Nothing was written.");
        m_status = "Nothing was imported.";
        return false;
    }
    return importRows(*rows, source);
}

std::string FlightModelEditor::cannotImport(const std::string& source)
{
    return "Cannot import \"" + source + "\"";
}

bool FlightModelEditor::importRows(const std::vector<FieldAssignment>& rows, const std::string& source)
{
    // A value that shows as the field shows now is not written at all, so an
    // exported file imports back without touching a byte (a not-a-number's
    // payload bits included).
    FieldTexts texts;
    for (const FieldAssignment& row : rows) {
        const int number = static_cast<int>(row.index) + 1;
        if (encodeValue(field(number).type, row.value).text != valueText(number))
            texts.emplace_back(number, row.value);
    }
    if (texts.empty()) {
        m_status = "Imported " + valuesCount(rows.size()) + " from \"" + source
            + "\": the file holds them already, nothing was written.";
        return true;
    }
    if (!writeTexts(texts, "import of " + valuesCount(texts.size()), cannotImport(source), "Nothing was imported."))
        return false;
    m_status = "Imported " + valuesCount(rows.size()) + " from \"" + source + "\": " + valuesCount(texts.size())
        + (texts.size() == 1 ? " was" : " were") + " written.";
    return true;
}

bool FlightModelEditor::exportCsvFile()
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty()) {
        m_status = "No file loaded: nothing to export.";
        return false;
    }
    CsvExportSteps steps;
    steps.dialog.kind = FileDialogKind::SaveFile;
    steps.dialog.caption = "Export the values as CSV";
    steps.dialog.start = std::filesystem::path(m_file).replace_extension(".csv");
    steps.dialog.filter = "CSV files (*.csv);;All files (*)";
    steps.dialog.objectName = "ExportCsvDialog";
    steps.lastFolder = &m_lastFolder;
    steps.cannotWrite = [](const fs::path&, const std::string& reason) {
        return warning("Cannot export the values: " + reason + ". Nothing was written.");
    };
    const CsvExportResult exported = exportToChosenCsv(m_host, steps, exportCsv());
    if (!exported.done()) {
        m_status = "Nothing was exported.";
        return false;
    }
    m_status = "Exported " + valuesCount(kFieldCount) + " to \"" + kvl::platform::utf8FromPath(exported.file) + "\".";
    return true;
}

bool FlightModelEditor::importCsvFile()
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty()) {
        m_status = "No file loaded: nothing was imported. Click \"Load flt\" first.";
        return false;
    }
    CsvImportSteps steps;
    steps.dialog.kind = FileDialogKind::OpenFile;
    steps.dialog.caption = "Import values from CSV";
    steps.dialog.start = m_file.parent_path();
    steps.dialog.filter = "CSV files (*.csv *.CSV);;All files (*)";
    steps.dialog.objectName = "ImportCsvDialog";
    steps.lastFolder = &m_lastFolder;
    steps.cannotRead = [](const fs::path&, const std::string& reason) {
        return warning("Cannot import: " + reason + ". Nothing was written.");
    };
    steps.refused = [](const fs::path& file, const std::string& reason) {
        return warning(cannotImport(kvl::platform::utf8FromPath(file)) + ": " + reason + ". Nothing was written.");
    };
    const CsvImportResult imported = importFromChosenCsv(m_host, steps, table(), flightCsvLayout());
    if (!imported.done()) {
        m_status = "Nothing was imported.";
        return false;
    }
    return importRows(imported.values, kvl::platform::utf8FromPath(imported.file));
}

} // namespace kvl::fltpatch
