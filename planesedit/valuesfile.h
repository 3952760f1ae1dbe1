// The two texts that carry an aircraft's values out of the editor, written and
// read back here so that the writers and the reader share one description of
// their lines:
//
// - the working copy (" 5.oaw", written by the save prompt): 168 lines, line r
//   the value cell of byte r;
// - the aircraft script ("<name>.oaw", written by the script maker): 169
//   lines, the name line (18 characters, the name centred), the destination
//   slot (decimal, empty when none was chosen), then the value cells of bytes
//   2..168. The destination slot stands where byte 1 would stand, so a script
//   never carries byte 1.
//
// Both end every line with CR LF and hold the single-byte character set.
//
// The reader takes either file back, with CR LF or LF line ends (a last line
// without its line end is still a line), and trusts nothing in it: every line
// must be there and no more, every value must be a number from 0 to 255 (a
// fraction rounds as "Save planes.dat" rounds it), the destination must be a
// slot; a text with control characters is no script at all. A refusal names
// the file and the line. The name line is only shown, never used.
#pragma once

#include "planesedit/recordtable.h"

#include "common/byteview.h"
#include "common/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::planesedit {

enum class ValuesFileKind { WorkingCopy, Script };

/// Where a file's values lie: the lines before them and the byte the first
/// value line carries; the values run from there to byte 168.
struct ValuesFileLayout {
    int headerLines = 0;
    int firstRow = 1;
    constexpr int lines() const { return headerLines + kRecordBytes - firstRow + 1; }
    /// The 1-based line that carries byte `row`.
    constexpr int lineOfRow(int row) const { return headerLines + row - firstRow + 1; }
};

constexpr ValuesFileLayout valuesFileLayout(ValuesFileKind kind)
{
    return kind == ValuesFileKind::Script ? ValuesFileLayout { 2, 2 } : ValuesFileLayout { 0, 1 };
}

constexpr int kScriptNameLine = 1;
constexpr int kScriptSlotLine = 2;
constexpr int kScriptNameLength = 18;

/// What a user calls the file: "aircraft script", "working copy".
const char* valuesFileNoun(ValuesFileKind kind);

/// The script's first line: `name` centred in 18 characters, cut to 18.
std::string scriptNameLine(const std::string& name);

/// The working copy of the record as it stands: the value cells of rows
/// 1..168, one a CR LF line, in the single-byte character set.
std::string workingCopyFileText(const RecordDocument& document);
/// The script: the name line made from `pnamesName`, `destinationLine`, then
/// the value cells of rows 2..168.
std::string scriptFileText(
    const std::string& pnamesName, std::string_view destinationLine, const RecordDocument& document);

/// A working copy or script as read back.
struct ValuesFile {
    ValuesFileKind kind = ValuesFileKind::WorkingCopy;
    /// A script's first line as UTF-8 (read as UTF-8 when it is, else as the
    /// single-byte set), blanks around the name removed. Shown only.
    std::string name;
    /// A script's destination slot; nothing when its line is empty.
    std::optional<int> destination;
    /// The values in row order, rows firstRow..168 of the layout.
    std::vector<ByteAssignment> bytes;
};

/// A working copy or script is well under 2 KB; a file far larger is none.
constexpr std::size_t kValuesFileMaxBytes = 64 * 1024;

/// The bytes of `file`, refused without reading when it is larger than any
/// working copy or script can be (the error names the file and its size).
kvl::Result<std::vector<std::uint8_t>> readValuesFileImage(const std::filesystem::path& file);

/// Reads `text` as a file of `kind`. `fileName` is how refusals name the file
/// ("He-111.oaw, line 2: ...").
kvl::Result<ValuesFile> readValuesFile(ValuesFileKind kind, kvl::ByteView text, std::string_view fileName);

/// The values `file` would change in `current`: every row it carries whose
/// value text differs, with the text now ("mine") and the file's ("theirs").
std::vector<kvl::FieldDifference> valueChanges(const ValuesFile& file, const kvl::TypedFieldTable& current);

/// The name of the working copy of `slot` (" 5.oaw"): Str(slot) and ".oaw".
std::string workingCopyName(int slot);
/// The same changes as bytes to set.
std::vector<ByteAssignment> changedBytes(const ValuesFile& file, const kvl::TypedFieldTable& current);

/// The slot a working copy was saved from, read from its name (" 5.oaw"
/// gives 5); nothing for any other name.
std::optional<int> workingCopySlot(std::string_view fileName);

/// Why a slot is offered for a file's values.
enum class ApplyReason {
    Destination, // the script's destination slot
    Shown,       // the aircraft shown
    SavedFrom,   // the slot the working copy's name says it was saved from
};

struct ApplyTarget {
    int slot = 0;
    ApplyReason reason = ApplyReason::Shown;
    bool operator==(const ApplyTarget&) const = default;
};

/// The slots `file`'s values may go into, the one proposed first: a script
/// goes into its destination slot, or into the aircraft shown when it has
/// none or the user chooses; a working copy goes into the aircraft shown, or
/// into the slot its name says it was saved from (`savedFrom`).
std::vector<ApplyTarget> applyTargets(const ValuesFile& file, int shownSlot, std::optional<int> savedFrom);

/// The choice as the apply window words it: "slot 28 (He-111), the script's
/// destination".
std::string applyTargetText(const ApplyTarget& target);

/// One change as the command line lists it: "row 9, Year: 151 -> 201".
std::string changeLine(const kvl::FieldDifference& change);

} // namespace kvl::planesedit
