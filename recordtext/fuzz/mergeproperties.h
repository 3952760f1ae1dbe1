// The properties of the field merge for any input, shared by the campaign and
// squadron merge fuzz targets.
//
// An input is one flags byte, two 32-bit little-endian lengths (of A and of
// X, cut to what the input holds), then A, X and Y (the rest). With bit 0 of
// the flags the three are read as texts, as diff and merge read them (the
// slip report must hold for any text); otherwise as binary files. Inputs
// that do not load are left out. For those that do:
//   merge(A, A, A) is A, byte for byte, without a conflict;
//   merge(A, A, X) and merge(A, X, A) are X;
//   merge(A, X, Y) preferring mine is merge(A, Y, X) preferring theirs;
//   diff(A, X) is empty exactly when A and X are the same bytes.
#pragma once

#include "recordtext/recordcompare.h"
#include "recordtext/textreading.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace kvl::recordtext::fuzz {

inline std::optional<RecordImage> loadForMerge(
    RecordConverter& converter, const ProgramTable& table, std::span<const std::uint8_t> bytes, bool asText)
{
    if (asText) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const TextReading reading = readRecordText(converter, table, text, "FUZZ.TXT");
        // A reading that fails always says why.
        if (!reading.ok() && readingReport(reading).empty())
            std::abort();
        if (!reading.ok())
            return std::nullopt;
        return recordImage(converter, converter.binaryImage());
    }
    const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    if (!converter.loadImage(image))
        return std::nullopt;
    return recordImage(converter, image);
}

inline void checkMergeProperties(
    RecordConverter& converter, const ProgramTable& table, const std::uint8_t* data, std::size_t size)
{
    if (size < 9)
        return;
    auto length = [&](std::size_t at) {
        return std::size_t(data[at]) | std::size_t(data[at + 1]) << 8 | std::size_t(data[at + 2]) << 16
            | std::size_t(data[at + 3]) << 24;
    };
    const std::span<const std::uint8_t> all(data + 9, size - 9);
    const std::size_t lengthA = std::min(length(1), all.size());
    const std::size_t lengthX = std::min(length(5), all.size() - lengthA);
    const bool asText = (data[0] & 1) != 0;
    const std::optional<RecordImage> a = loadForMerge(converter, table, all.subspan(0, lengthA), asText);
    const std::optional<RecordImage> x = loadForMerge(converter, table, all.subspan(lengthA, lengthX), asText);
    const std::optional<RecordImage> y = loadForMerge(converter, table, all.subspan(lengthA + lengthX), asText);
    if (!a)
        return;
    const MergeResult same = mergeImages(converter, *a, *a, *a, Prefer::Neither);
    if (!same.conflicts.empty() || same.bytes != a->bytes)
        std::abort();
    if (!x)
        return;
    if (mergeImages(converter, *a, *a, *x, Prefer::Neither).bytes != x->bytes
        || mergeImages(converter, *a, *x, *a, Prefer::Neither).bytes != x->bytes)
        std::abort();
    if (diffImages(converter, *a, *x).empty() != (a->bytes == x->bytes))
        std::abort();
    if (!y)
        return;
    if (mergeImages(converter, *a, *x, *y, Prefer::Mine).bytes
        != mergeImages(converter, *a, *y, *x, Prefer::Theirs).bytes)
        std::abort();
}

} // namespace kvl::recordtext::fuzz
