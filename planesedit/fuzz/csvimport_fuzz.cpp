// Feeds arbitrary text to the CSV import of a slot: it must either refuse
// the whole text or give assignments whose every value the slot can store,
// and exporting after applying them must read back to the same bytes.
#include "planesedit/recordtable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::planesedit;
    AircraftRecord rec;
    rec.slot = 3;
    for (int i = 0; i < kRecordBytes; ++i) {
        rec.positions[static_cast<std::size_t>(i)] = filePosition(3, i + 1);
        rec.values[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
    }
    const auto table = RecordTable::fromRecord(rec);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto assignments = kvl::parseImportCsv(table, text, recordCsvLayout());
    if (!assignments)
        return 0;
    for (const auto& a : *assignments)
        if (a.index >= kRecordBytes || !table.checkValue(a.index, a.value))
            __builtin_trap();
    rec.values = applyAssignments(rec.values, *assignments);
    const std::string csv = kvl::exportCsv(RecordTable::fromRecord(rec), recordCsvLayout());
    auto back = kvl::parseImportCsv(table, csv, recordCsvLayout());
    if (!back || back->size() != kRecordBytes || applyAssignments({}, *back) != rec.values)
        __builtin_trap();
    return 0;
}
