// What both reader targets check for any input: a refusal names the file and
// a line that exists or is the first one missing, in valid UTF-8; a file read
// carries every byte of its layout once, in row order, a script's
// destination is a slot, and written again by the editor's own writer it
// reads back to the same values. Applying the changes it reports to a record
// leaves nothing to change.
#pragma once

#include "planesedit/valuesfile.h"

#include "common/textdecode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kvl::planesedit::fuzz {

inline kvl::Result<ValuesFile> readText(ValuesFileKind kind, std::string_view text)
{
    return readValuesFile(
        kind, kvl::ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), "fuzz.oaw");
}

inline void checkValuesFileReader(ValuesFileKind kind, const std::uint8_t* data, std::size_t size)
{
    const ValuesFileLayout layout = valuesFileLayout(kind);
    const auto file = readValuesFile(kind, kvl::ByteView(data, size), "fuzz.oaw");
    if (!file) {
        const std::string& m = file.error().message;
        constexpr std::string_view prefix = "fuzz.oaw, line ";
        if (!m.starts_with(prefix) || !kvl::isValidUtf8(m))
            std::abort();
        const int line = std::atoi(m.c_str() + prefix.size());
        if (line < 1 || line > layout.lines() + 1)
            std::abort();
        return;
    }
    if (file->kind != kind || file->bytes.size() != static_cast<std::size_t>(kRecordBytes - layout.firstRow + 1))
        std::abort();
    for (std::size_t i = 0; i < file->bytes.size(); ++i)
        if (file->bytes[i].row != layout.firstRow + static_cast<int>(i))
            std::abort();
    if (file->destination && (*file->destination < 0 || *file->destination >= kSlotCount))
        std::abort();
    if (kind == ValuesFileKind::WorkingCopy && (file->destination || !file->name.empty()))
        std::abort();
    if (!kvl::isValidUtf8(file->name))
        std::abort();

    // Written again: the same values, the same destination.
    RecordBytes bytes {};
    for (const ByteAssignment& a : file->bytes)
        bytes[static_cast<std::size_t>(a.row - 1)] = a.value;
    RecordDocument document;
    document.load(0, bytes, bytes);
    const std::string text = kind == ValuesFileKind::Script
        ? scriptFileText(file->name, file->destination ? std::to_string(*file->destination) : "", document)
        : workingCopyFileText(document);
    const auto again = readText(kind, text);
    if (!again || again->destination != file->destination)
        std::abort();
    for (std::size_t i = 0; i < file->bytes.size(); ++i)
        if (again->bytes[i].row != file->bytes[i].row || again->bytes[i].value != file->bytes[i].value)
            std::abort();
    // A name of up to 18 plain ASCII characters comes back as it was.
    bool plain = file->name.size() <= kScriptNameLength;
    for (unsigned char c : file->name)
        plain = plain && c < 0x80;
    if (plain && again->name != file->name)
        std::abort();

    // The changes reported, made, leave none.
    AircraftRecord rec;
    for (std::size_t i = 0; i < rec.values.size(); ++i)
        rec.values[i] = static_cast<std::uint8_t>(i < size ? data[size - 1 - i] : i);
    const auto changes = valueChanges(*file, RecordTable::fromRecord(rec));
    const auto changed = changedBytes(*file, RecordTable::fromRecord(rec));
    if (changes.size() != changed.size())
        std::abort();
    for (const ByteAssignment& a : changed)
        rec.values[static_cast<std::size_t>(a.row - 1)] = a.value;
    if (!valueChanges(*file, RecordTable::fromRecord(rec)).empty())
        std::abort();
}

} // namespace kvl::planesedit::fuzz
