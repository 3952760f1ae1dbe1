// Which row of the editor's byte grid holds which field of an aircraft
// record. Row r (1..168) stands for byte number r, that is record offset
// r - 1; row 0 is the grid's empty header row. Every panel of the editor
// finds its bytes through these names, so the layout is written down once.
#pragma once

#include "planesedit/planesrecord.h"

#include <string>

namespace kvl::planesedit {

constexpr int kPlaneNumberRow = 1; // four bytes, edited in the grid only

/// The four flag bytes, group 0..3 (record offsets 4..7).
constexpr int kFlagGroups = 4;
constexpr int flagRow(int group)
{
    return 5 + group;
}

constexpr int kYearRow = 9;  // u16
constexpr int kCrewRow = 11; // u16

/// The fifteen 32-bit numbers (speeds, weights, range, view distances and
/// collision radius), index 0..14.
constexpr int kNumberFields = 15;
constexpr int numberRow(int index)
{
    return 13 + 4 * index;
}

/// The damage byte section, one byte per part of the aircraft.
constexpr int kDamageFirstRow = 73;
constexpr int kDamageLastRow = 84;

constexpr int kGunCountRow = 85; // number of gun groups in use

/// Six gun groups of twelve bytes each; a group's fields lie at these
/// distances from its first row (the bytes between them are not named).
constexpr int kGunGroups = 6;
constexpr int kGunGroupBytes = 12;
constexpr int gunGroupRow(int group) // group 1..6
{
    return 89 + kGunGroupBytes * (group - 1);
}
constexpr int kGunNumberOffset = 0;     // u8: guns in the group
constexpr int kGunPositionOffset = 2;   // u8: position code 0..13
constexpr int kGunTypeOffset = 4;       // u16: the gun's damage value
constexpr int kGunAmmunitionOffset = 6; // u16
constexpr int kGunSoundOffset = 8;      // u8: sound code 0..3
constexpr int kGunSmokeOffset = 10;     // u8: 0 or 1

constexpr int kMbFirstRow = 161;
constexpr int kMbLastRow = 164;

/// The four-character code, one single-byte character per row.
constexpr int kCodeRow = 165;
constexpr int kCodeLength = 4;

/// The damage and "MB" bytes are edited through the byte editor below the grid.
constexpr bool isByteEditorRow(int row)
{
    return (row >= kDamageFirstRow && row <= kDamageLastRow) || (row >= kMbFirstRow && row <= kMbLastRow);
}

/// Whether a change of `row` counts as an edit for the unsaved mark: the code
/// and the gun type fields change bytes without counting, as they always have.
constexpr bool countsAsEdit(int row)
{
    if (row >= kCodeRow && row < kCodeRow + kCodeLength)
        return false;
    if (row >= gunGroupRow(1) && row < gunGroupRow(kGunGroups + 1)) {
        const int offset = (row - gunGroupRow(1)) % kGunGroupBytes;
        return offset != kGunTypeOffset && offset != kGunTypeOffset + 1;
    }
    return true;
}

// Flag bytes: in each group two bits exclude each other (the lower one and the
// one above it); bit 3 of groups 1 and 2 is "Not used" and cannot be changed;
// group 3 has boxes for bits 0..5 only.
constexpr int exclusivePairLow(int group)
{
    return group == 0 || group == 3 ? 4 : group + 4;
}
constexpr bool isFixedFlagBit(int group, int bit)
{
    return (group == 1 || group == 2) && bit == 3;
}
constexpr int flagBoxCount(int group)
{
    return group == 3 ? 6 : 8;
}

/// The label column's text for `row` at start: the field's name on its first
/// row, "" on the other rows.
std::string gridLabel(int row);

/// The name of the field a byte belongs to, for messages ("Year, byte 2").
std::string fieldNameOfRow(int row);

/// What number field `index` reads in units when it holds `v` (" 198.66 kph",
/// " 2268 Kg", " 500 Miles / 804Km", " 100ft/ 30.4m"; "" for the fuel burn rate).
std::string unitReading(int index, double v);

} // namespace kvl::planesedit
