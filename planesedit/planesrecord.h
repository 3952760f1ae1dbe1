// The aircraft table planes.dat: one 216-byte record per aircraft slot after
// a 4-byte header. The editor only ever reads and writes the first 168 bytes
// of a record, in place; the header and bytes 168..215 of every record are
// opaque and stay as they are.
//
// Also here: the number notation the editor uses for every text it shows or
// stores (Str, Val, Int and plain decimal text), and the code tables.
#pragma once

#include "common/byteview.h"
#include "common/result.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::planesedit {

constexpr int kSlotCount = 30;
constexpr int kRecordBytes = 168; // the edited part of a record
constexpr int kRecordSize = 216;  // the whole record in the file
constexpr int kHeaderSize = 4;
constexpr const char* kPlanesFile = "planes.dat";

/// Slot number -> the name the editor lists it under.
extern const std::array<const char*, kSlotCount> kSlotNames;
/// Position code 0..13 -> label.
extern const std::array<const char*, 14> kPositionLabels;
/// Gun type values that have a button, and their labels.
extern const std::array<int, 5> kTypeValues;
extern const std::array<const char*, 5> kTypeLabels;
/// Sound code 0..3 -> label.
extern const std::array<const char*, 4> kSoundLabels;
/// Flag group 1..4 (index 0..3), bit 0..7 -> check box caption; empty where no box exists.
extern const std::array<std::array<const char*, 8>, 4> kFlagLabels;

/// 1-based file position of byte number `byteNumber` (1..168) of `slot`.
constexpr std::uint64_t filePosition(int slot, int byteNumber)
{
    return static_cast<std::uint64_t>(kRecordSize) * static_cast<std::uint64_t>(slot) + kHeaderSize
        + static_cast<std::uint64_t>(byteNumber);
}

/// One slot's edited bytes with their 1-based file positions; index 0 is byte number 1.
struct AircraftRecord {
    int slot = 0;
    std::array<std::uint64_t, kRecordBytes> positions {};
    std::array<std::uint8_t, kRecordBytes> values {};
};

/// Reads slot `slot` from a planes.dat image; nothing when the slot is out
/// of range or the image is too short for it.
std::optional<AircraftRecord> readAircraftRecord(kvl::ByteView image, int slot);

/// Reads slot `slot` from planes.dat in `folder` (name matched without regard
/// to letter case). The error is a sentence for the user: the file is
/// missing, unreadable or too short for the slot.
kvl::Result<AircraftRecord> readAircraftRecord(const std::filesystem::path& folder, int slot);

/// Writes the 168 values at their 1-based positions into planes.dat in
/// `folder` without truncating it (a missing file is created). Everything
/// else in the file keeps its contents. The bytes go out in as few writes as
/// the positions allow (one for a record read by this program). The error
/// says what could not be opened or written.
kvl::Result<void> writeAircraftRecord(const std::filesystem::path& folder,
    const std::array<std::uint64_t, kRecordBytes>& positions, const std::array<std::uint8_t, kRecordBytes>& values);

// ---- number notation ------------------------------------------------------

/// Rounds toward minus infinity.
double Int(double x);
/// Decimal text: no padding, no trailing zeros, up to 15 significant digits,
/// a minus sign for negative values; always with '.' as decimal point.
std::string decimalText(double x);
/// Decimal text with a leading space for x >= 0 (the minus sign otherwise).
std::string Str(double x);
/// The number at the start of `text` (leading blanks skipped); 0 when the
/// text does not start with a number.
double Val(std::string_view text);

/// The value a byte cell stores: the whole text must be a number (blanks
/// around it allowed); a fraction rounds to the nearest whole number, halves
/// to the even one; the result must lie in 0..255.
bool parseByteCell(std::string_view text, std::uint8_t& out);

/// Splits a value into four bytes (b0 lowest) arithmetically, so values out
/// of range give out-of-range "bytes" rather than wrapping silently.
std::array<double, 4> split32(double v);
/// Low and high byte.
std::array<double, 2> split16(double v);

// ---- single-byte character set -------------------------------------------

/// UTF-8 text -> code points (malformed sequences give U+FFFD).
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);
/// Code points -> single bytes (Latin-1); code points above 255 become '?'.
std::string toSingleByte(std::u32string_view text);
/// One byte of the single-byte set -> UTF-8.
std::string charFromByte(std::uint8_t byte);

} // namespace kvl::planesedit
