// The command line's CSV export and import of one slot, and its working
// copies and scripts applied to one.
#include "planesedit/slotcsv.h"
#include "common/platform.h"

#include "common/fileimage.h"

namespace kvl::planesedit {

kvl::Result<AircraftRecord> readSlot(const std::filesystem::path& planesFile, int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        return kvl::Error { "there is no aircraft slot " + std::to_string(slot) };
    const auto image = kvl::readFileImage(planesFile);
    if (!image)
        return image.error();
    auto rec = readAircraftRecord(kvl::ByteView(*image), slot);
    if (!rec)
        return kvl::Error { kvl::platform::utf8FromPath(planesFile) + " holds " + std::to_string(image->size())
            + " bytes, too few for slot " + std::to_string(slot) + " (" + kSlotNames[static_cast<std::size_t>(slot)]
            + "), which needs " + std::to_string(filePosition(slot, kRecordBytes)) };
    return *rec;
}

kvl::Result<std::string> exportSlotCsv(const std::filesystem::path& planesFile, int slot)
{
    auto rec = readSlot(planesFile, slot);
    if (!rec)
        return rec.error();
    return kvl::exportCsv(RecordTable::fromRecord(*rec), recordCsvLayout());
}

kvl::Result<int> importSlotCsv(const std::filesystem::path& planesFile, int slot, std::string_view csv)
{
    auto rec = readSlot(planesFile, slot);
    if (!rec)
        return rec.error();
    auto assignments = kvl::parseImportCsv(RecordTable::fromRecord(*rec), csv, recordCsvLayout());
    if (!assignments)
        return assignments.error();
    const auto values = applyAssignments(rec->values, *assignments);
    int changed = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        changed += values[i] != rec->values[i];
    std::string why;
    // The slot's bytes lie inside the file (they were just read), so the
    // write neither grows nor truncates it.
    if (!kvl::writeInPlace(planesFile, rec->positions[0] - 1, values, &why))
        return kvl::Error { why };
    return changed;
}

kvl::Result<int> commandLineSlot(const ValuesFile& file, std::optional<int> slotOption, std::string_view fileName)
{
    if (slotOption)
        return *slotOption;
    if (file.kind == ValuesFileKind::Script && file.destination)
        return *file.destination;
    if (file.kind == ValuesFileKind::Script)
        return kvl::Error { std::string(fileName) + ", line " + std::to_string(kScriptSlotLine)
            + ": the script names no destination slot; choose one with --slot N" };
    return kvl::Error { std::string(fileName) + ": a working copy names no slot; choose one with --slot N" };
}

kvl::Result<std::vector<kvl::FieldDifference>> applyValuesToSlot(
    const std::filesystem::path& planesFile, int slot, const ValuesFile& file, bool dryRun)
{
    auto rec = readSlot(planesFile, slot);
    if (!rec)
        return rec.error();
    auto changes = valueChanges(file, RecordTable::fromRecord(*rec));
    if (dryRun || changes.empty())
        return changes;
    auto values = rec->values;
    for (const ByteAssignment& a : changedBytes(file, RecordTable::fromRecord(*rec)))
        values[static_cast<std::size_t>(a.row - 1)] = a.value;
    std::string why;
    // As for the CSV import: the slot lies inside the file, so the write
    // neither grows nor truncates it.
    if (!kvl::writeInPlace(planesFile, rec->positions[0] - 1, values, &why))
        return kvl::Error { why };
    return changes;
}

} // namespace kvl::planesedit
