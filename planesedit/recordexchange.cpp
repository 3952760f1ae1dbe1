// The aircraft editor's compare, copy, CSV export and import, and the
// working copies and scripts applied: values that come in from another
// record or a file are checked whole and enter the value column as one step
// of the history.
#include "common/platform.h"
#include "planesedit/aircrafteditor.h"

#include "planesedit/slotcsv.h"

#include "common/csvfiles.h"
#include "common/fileimage.h"

namespace kvl::planesedit {

namespace {

constexpr const char* kCompareTitle = "Compare with...";
constexpr const char* kExportTitle = "Export CSV";
constexpr const char* kImportTitle = "Import CSV";
constexpr const char* kCsvFilter = "CSV files (*.csv);;All files (*)";
constexpr const char* kValuesFilter = "Aircraft scripts and working copies (*.oaw);;All files (*)";

kvl::Message warning(const char* title, std::string text)
{
    return { kvl::MessageIcon::Warning, title, std::move(text), {}, {} };
}

const char* applyTitle(ValuesFileKind kind)
{
    return kind == ValuesFileKind::Script ? "Apply Script" : "Open Working Copy";
}

} // namespace

RecordTable AircraftEditor::table() const
{
    return RecordTable::fromDocument(m_session.document);
}

bool AircraftEditor::compareWithSlot(int slotToRead)
{
    return compareWith({}, slotToRead);
}

bool AircraftEditor::compareWith(const std::filesystem::path& file)
{
    return compareWith(file, slot());
}

// Slot `slotToRead` of `file`, or of this folder's planes.dat when `file` is empty.
bool AircraftEditor::compareWith(const std::filesystem::path& file, int slotToRead)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    const auto path = file.empty() ? kvl::findFileNoCase(m_folder, kPlanesFile) : file;
    auto rec = readSlot(path, slotToRead);
    if (!rec) {
        showError(kCompareTitle, rec.error().message);
        return false;
    }
    m_compared = CompareTarget { path, RecordTable::fromRecord(*rec) };
    return true;
}

bool AircraftEditor::compareWithFile()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return false;
    const auto path = m_host.chooseFile({ kvl::FileDialogKind::OpenFile, kCompareTitle, m_folder,
        "Aircraft tables (planes.dat *.dat);;All files (*)", "CompareFileDialog" });
    if (path.empty())
        return false;
    return compareWith(path);
}

bool AircraftEditor::copyCompared(const std::vector<int>& rows)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_compared)
        return false;
    const RecordTable& other = m_compared->table;
    std::vector<kvl::FieldAssignment> assignments;
    for (int row : rows) {
        if (row < 1 || row > kRecordBytes || static_cast<std::size_t>(row) > other.fieldCount())
            continue;
        assignments.push_back(
            { static_cast<std::size_t>(row - 1), other.valueText(static_cast<std::size_t>(row - 1)), 0 });
    }
    return applyValues(assignments, StatusReport::Kind::Copied);
}

bool AircraftEditor::applyValues(const std::vector<kvl::FieldAssignment>& assignments, StatusReport::Kind kind)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return false;
    if (assignments.empty()) {
        setStatus({ kind, slot(), 0, {} });
        return true;
    }
    // Checked whole first: one value that cannot be stored and nothing changes.
    const RecordTable mine = table();
    for (const kvl::FieldAssignment& a : assignments) {
        if (auto checked = mine.checkValue(a.index, a.value); !checked) {
            showError(kind == StatusReport::Kind::Imported ? kImportTitle : kCompareTitle,
                "Row " + std::to_string(a.index + 1) + " (" + rowLabel(static_cast<int>(a.index) + 1) + "): \""
                    + a.value + "\" " + checked.error().message + ". Nothing was changed.");
            return false;
        }
    }
    std::vector<ByteAssignment> bytes;
    bytes.reserve(assignments.size());
    for (const kvl::FieldAssignment& a : assignments) {
        std::uint8_t b = 0;
        parseByteCell(a.value, b);
        bytes.push_back({ static_cast<int>(a.index) + 1, b });
    }
    applyBytes(bytes, kind);
    return true;
}

void AircraftEditor::applyBytes(
    std::span<const ByteAssignment> bytes, StatusReport::Kind kind, std::filesystem::path file)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return;
    m_session.document.setBytes(bytes);
    m_byteEditor.open = false;
    m_gunPanels.refill();
    setStatus({ kind, slot(), static_cast<int>(bytes.size()), std::move(file) });
}

bool AircraftEditor::exportCsvFile()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return false;
    kvl::CsvExportSteps steps;
    steps.dialog = { kvl::FileDialogKind::SaveFile, kExportTitle, m_folder / ("slot" + std::to_string(slot()) + ".csv"),
        kCsvFilter, "ExportCsvDialog" };
    steps.cannotWrite = [](const std::filesystem::path&, const std::string& reason) {
        return warning(kExportTitle, reason);
    };
    const auto exported = kvl::exportToChosenCsv(m_host, steps, kvl::exportCsv(table(), recordCsvLayout()));
    if (!exported.done())
        return false;
    setStatus({ StatusReport::Kind::Exported, slot(), kRecordBytes, exported.file });
    return true;
}

bool AircraftEditor::importCsvFile()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return false;
    kvl::CsvImportSteps steps;
    steps.dialog = { kvl::FileDialogKind::OpenFile, kImportTitle, m_folder, kCsvFilter, "ImportCsvDialog" };
    steps.cannotRead = [](const std::filesystem::path&, const std::string& reason) {
        return warning(kImportTitle, reason);
    };
    steps.refused = [](const std::filesystem::path& file, const std::string& reason) {
        return warning(
            kImportTitle, kvl::platform::utf8FromPath(file.filename()) + ", " + reason + ". Nothing was imported.");
    };
    const auto imported = kvl::importFromChosenCsv(m_host, steps, table(), recordCsvLayout());
    if (!imported.done() || !applyValues(imported.values, StatusReport::Kind::Imported))
        return false;
    m_status.file = imported.file;
    return true;
}

std::optional<ApplyProposal> AircraftEditor::chooseValuesFile(ValuesFileKind kind)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return std::nullopt;
    const auto path = m_host.chooseFile({ kvl::FileDialogKind::OpenFile, applyTitle(kind), m_folder, kValuesFilter,
        kind == ValuesFileKind::Script ? "ApplyScriptDialog" : "WorkingCopyDialog" });
    if (path.empty())
        return std::nullopt;
    return proposeApply(path, kind);
}

std::optional<ApplyProposal> AircraftEditor::proposeApply(const std::filesystem::path& file, ValuesFileKind kind)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return std::nullopt;
    const auto image = readValuesFileImage(file);
    if (!image) {
        showError(applyTitle(kind), image.error().message + ". Nothing was changed.");
        return std::nullopt;
    }
    const std::string name = kvl::platform::utf8FromPath(file.filename());
    auto values = readValuesFile(kind, kvl::ByteView(*image), name);
    if (!values) {
        showError(applyTitle(kind), values.error().message + ". Nothing was changed.");
        return std::nullopt;
    }
    ApplyProposal proposal { file, std::move(*values), {} };
    const std::optional<int> savedFrom = kind == ValuesFileKind::WorkingCopy ? workingCopySlot(name) : std::nullopt;
    for (const ApplyTarget& target : applyTargets(proposal.values, slot(), savedFrom)) {
        ApplyChoice choice { target, {}, {} };
        if (target.slot == slot()) {
            choice.changes = valueChanges(proposal.values, table());
        } else if (auto rec = readSlot(kvl::findFileNoCase(m_folder, kPlanesFile), target.slot)) {
            // Compared with the slot as choosing it would show it.
            rec->values = shownBytes(rec->values);
            choice.changes = valueChanges(proposal.values, RecordTable::fromRecord(*rec));
        } else {
            choice.unreadable = rec.error().message;
        }
        proposal.choices.push_back(std::move(choice));
    }
    return proposal;
}

bool AircraftEditor::applyValuesFile(const ApplyProposal& proposal, int slotToFill)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return false;
    if (slotToFill != slot() && !chooseAircraft(slotToFill))
        return false;
    const auto bytes = changedBytes(proposal.values, table());
    applyBytes(bytes, StatusReport::Kind::Applied, proposal.file);
    return true;
}

} // namespace kvl::planesedit
