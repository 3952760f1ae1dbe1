// The record editors' CSV file steps: the dialog, the whole write, the whole
// read and check.
#include "common/csvfiles.h"

#include "common/fileimage.h"
#include "common/lastfolder.h"

#include <cstdint>
#include <span>

namespace kvl {

namespace {

std::filesystem::path chooseCsvFile(WindowHost& host, LastFolder* lastFolder, const FileDialogRequest& request)
{
    return lastFolder ? lastFolder->choose(host, request) : host.chooseFile(request);
}

} // namespace

CsvExportResult exportToChosenCsv(WindowHost& host, const CsvExportSteps& steps, std::string_view csv)
{
    CsvExportResult result;
    result.file = chooseCsvFile(host, steps.lastFolder, steps.dialog);
    if (result.file.empty())
        return result;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size());
    if (auto written = replaceFile(result.file, bytes); !written) {
        host.showMessage(steps.cannotWrite(result.file, written.error().message));
        result.outcome = CsvFileOutcome::Refused;
        return result;
    }
    result.outcome = CsvFileOutcome::Done;
    return result;
}

CsvImportResult importFromChosenCsv(
    WindowHost& host, const CsvImportSteps& steps, const TypedFieldTable& table, const CsvLayout& layout)
{
    CsvImportResult result;
    result.file = chooseCsvFile(host, steps.lastFolder, steps.dialog);
    if (result.file.empty())
        return result;
    result.outcome = CsvFileOutcome::Refused;
    const auto image = readFileImage(result.file);
    if (!image) {
        host.showMessage(steps.cannotRead(result.file, image.error().message));
        return result;
    }
    const std::string_view text(reinterpret_cast<const char*>(image->data()), image->size());
    auto values = parseImportCsv(table, text, layout);
    if (!values) {
        host.showMessage(steps.refused(result.file, values.error().message));
        return result;
    }
    result.values = std::move(*values);
    result.outcome = CsvFileOutcome::Done;
    return result;
}

} // namespace kvl
