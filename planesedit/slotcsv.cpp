// The command line's CSV export and import of one slot.
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

} // namespace kvl::planesedit
