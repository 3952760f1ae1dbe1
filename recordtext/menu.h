// The one-shot console dialogue of both converters: banner, side files, a
// two-entry menu, at most one conversion. Every text that differs between the
// programs comes from their ProgramTable.
#pragma once

#include "recordtext/annotations.h"
#include "recordtext/fieldwalkers.h"
#include "recordtext/labelledline.h"
#include "recordtext/programtable.h"

#include "common/result.h"

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::recordtext {

/// The conversion object of one program: its record data and the four
/// conversions between binary image, record data and text.
class RecordConverter {
public:
    virtual ~RecordConverter() = default;

    /// Takes the records from a whole-file image. On failure the error says
    /// why in one line and the records are unchanged.
    virtual Result<void> loadImage(const std::vector<std::uint8_t>& image) = 0;
    /// The records as a binary file.
    virtual std::vector<std::uint8_t> binaryImage() const = 0;
    /// The records as annotated text.
    virtual std::string text(const AnnotationSet& notes) const = 0;
    /// Parses a text into the records (label mismatches go to the input's
    /// message stream). When `in.ended()` afterwards, the text was incomplete.
    virtual void parseText(RecordTextInput& in) = 0;

    /// The field that holds byte `offset` of a binary file of `fileSize`
    /// bytes; nothing when the byte lies outside the records.
    virtual std::optional<FieldPlace> fieldAt(std::size_t offset, std::size_t fileSize) const = 0;
    /// Why the bytes at the end of a file of `fileSize` bytes do not come
    /// back from the text (bytes past the last record, records the text
    /// cannot count).
    virtual std::string tailNotCarried(std::size_t fileSize) const = 0;

    /// Where the records of a binary file of `fileSize` bytes end: the bytes
    /// after that belong to no field.
    virtual std::size_t recordsEnd(std::size_t fileSize) const = 0;
    /// The bytes of one record when a file holds any number of them in a
    /// row (a squadron); 0 when it holds one fixed set of records.
    virtual std::size_t repeatedRecordSize() const = 0;
};

/// Runs the dialogue in `folder`, reading answers from `in` and printing to `out`.
void runConverterMenu(const ProgramTable& table, RecordConverter& converter, std::istream& in, std::ostream& out,
    const std::filesystem::path& folder);

} // namespace kvl::recordtext
