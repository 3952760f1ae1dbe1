// The names of the record's rows and the unit readings of its numbers.
#include "planesedit/recordlayout.h"

namespace kvl::planesedit {

namespace {

// The label column for the named rows; the gun group labels are made below.
struct RowLabel {
    int row;
    const char* text;
};
constexpr RowLabel kRowLabels[] = {
    { kPlaneNumberRow, "Pln No" },
    { flagRow(0), "Pln chr" },
    { kYearRow, "Year" },
    { kCrewRow, "Crew" },
    { numberRow(0), "Stall speed" },
    { numberRow(1), "Cruise speed" },
    { numberRow(2), "Corner speed" },
    { numberRow(3), "Max speed" },
    { numberRow(4), "Weight" },
    { numberRow(5), "Fuel burn" },
    { numberRow(6), "Fuel Wt" },
    { numberRow(7), "Range" },
    { numberRow(8), "Close View" },
    { numberRow(9), "Med View" },
    { numberRow(10), "Far View" },
    { numberRow(11), "Line View" },
    { numberRow(12), "Max View" },
    { numberRow(13), "Default ext view" },
    { numberRow(14), "Collision Radius" },
    { kDamageFirstRow, "Hydraulics" },
    { kDamageFirstRow + 1, "Pilot" },
    { kDamageFirstRow + 2, "Fuselage" },
    { kDamageFirstRow + 3, "Tail" },
    { kDamageFirstRow + 4, "R Wing" },
    { kDamageFirstRow + 5, "R ailerons" },
    { kDamageFirstRow + 6, "L Wing" },
    { kDamageFirstRow + 7, "L Ailerons" },
    { kDamageFirstRow + 8, "Engine 1" },
    { kDamageFirstRow + 9, "Engine 2" },
    { kDamageFirstRow + 10, "Engine 3" },
    { kDamageLastRow, "Engine 4" },
    { kGunCountRow, "Gun Groups" },
    { kMbFirstRow, "MB 1" },
    { kMbFirstRow + 1, "MB 2" },
    { kMbFirstRow + 2, "MB 3" },
    { kMbLastRow, "MB 4" },
};

} // namespace

std::string gridLabel(int row)
{
    for (const auto& l : kRowLabels)
        if (l.row == row)
            return l.text;
    if (row >= gunGroupRow(1) && row < gunGroupRow(kGunGroups + 1)) {
        const int g = (row - gunGroupRow(1)) / kGunGroupBytes + 1;
        switch ((row - gunGroupRow(1)) % kGunGroupBytes) {
        case kGunNumberOffset:
            return Str(g) + " Number";
        case kGunPositionOffset:
            return Str(g) + " Position";
        case kGunTypeOffset:
            return Str(g) + " Type";
        case kGunAmmunitionOffset:
            return Str(g) + " Ammunition";
        case kGunSoundOffset:
            return Str(g) + " Sound";
        case kGunSmokeOffset:
            return Str(g) + " Smoke";
        default:
            break;
        }
    }
    return {};
}

std::string fieldNameOfRow(int row)
{
    if (row >= kCodeRow && row <= kRecordBytes)
        return "Code";
    for (int r = row; r >= 1; --r) {
        std::string l = gridLabel(r);
        if (!l.empty()) {
            while (!l.empty() && l.front() == ' ')
                l.erase(l.begin());
            return r == row ? l : l + ", byte " + std::to_string(row - r + 1);
        }
    }
    return {};
}

std::string unitReading(int index, double v)
{
    // Speeds are stored in hundredths of a mile per hour, weights in pounds,
    // the range in 1/132000 mile and view distances in 1/21 foot.
    if (index >= 0 && index <= 3)
        return Str(Int(v * 1.6093) * 0.01) + " kph";
    if (index == 4 || index == 6)
        return Str(Int(v * 0.4536)) + " Kg";
    if (index == 7) {
        const double m = v / 132000;
        return Str(Int(m)) + " Miles /" + Str(Int(m * 1.6093)) + "Km";
    }
    if (index >= 8 && index < kNumberFields) {
        const double f = v / 21;
        return Str(f) + "ft/" + Str(Int(f * 3.048) / 10) + "m";
    }
    return {}; // the fuel burn rate has no unit
}

} // namespace kvl::planesedit
