#include "planesedit/pelmoracore.h"

#include "common/fileimage.h"
#include "common/textio.h"

#include <cmath>
#include <system_error>

namespace planesedit {

namespace {

// The labels of column 3 for the named rows; gun group labels are made below.
struct RowLabel {
    int row;
    const char* text;
};
constexpr RowLabel kRowLabels[] = {
    { 1, "Pln No" },
    { 5, "Pln chr" },
    { 9, "Year" },
    { 11, "Crew" },
    { 13, "Stall speed" },
    { 17, "Cruise speed" },
    { 21, "Corner speed" },
    { 25, "Max speed" },
    { 29, "Weight" },
    { 33, "Fuel burn" },
    { 37, "Fuel Wt" },
    { 41, "Range" },
    { 45, "Close View" },
    { 49, "Med View" },
    { 53, "Far View" },
    { 57, "Line View" },
    { 61, "Max View" },
    { 65, "Default ext view" },
    { 69, "Collision Radius" },
    { 73, "Hydraulics" },
    { 74, "Pilot" },
    { 75, "Fuselage" },
    { 76, "Tail" },
    { 77, "R Wing" },
    { 78, "R ailerons" },
    { 79, "L Wing" },
    { 80, "L Ailerons" },
    { 81, "Engine 1" },
    { 82, "Engine 2" },
    { 83, "Engine 3" },
    { 84, "Engine 4" },
    { 85, "Gun Groups" },
    { 161, "MB 1" },
    { 162, "MB 2" },
    { 163, "MB 3" },
    { 164, "MB 4" },
};

constexpr int kGunFirstRow = 89;
constexpr int kCodeRow = 165;
constexpr int kDamageRow = 73;

// The exclusive pair of each flag group: the lower and the higher bit.
constexpr int kPairLow[4] = { 4, 5, 6, 4 };
// Bits that have a box which cannot be changed ("Not used").
bool isFixedBox(int group, int bit)
{
    return (group == 1 || group == 2) && bit == 3;
}
// Boxes each group has: group 4 has none for bits 6 and 7.
int boxCount(int group)
{
    return group == 3 ? 6 : 8;
}

// Sound code that goes with a gun type value, -1 for "None" or another value.
int soundForType(int type)
{
    switch (type) {
    case 2:
        return 0;
    case 4:
        return 1;
    case 12:
        return 2;
    case 24:
        return 3;
    default:
        return -1;
    }
}

// The code a cell holds when it is a whole number in 0..max, else -1.
int wholeCode(const std::string& text, int max)
{
    std::uint8_t b = 0;
    if (!parseByteCell(text, b))
        return -1;
    // parseByteCell rounds; a code must be whole as written.
    if (Val(text) != static_cast<double>(b))
        return -1;
    return b <= max ? b : -1;
}

bool isByteEditorRow(int row)
{
    return (row >= 73 && row <= 84) || (row >= 161 && row <= 164);
}

std::string singleByteText(const std::string& utf8)
{
    return toSingleByte(decodeUtf8(utf8));
}

} // namespace

std::string gridLabel(int row)
{
    for (const auto& l : kRowLabels)
        if (l.row == row)
            return l.text;
    if (row >= kGunFirstRow && row < kGunFirstRow + 12 * kGunGroups) {
        const int g = (row - kGunFirstRow) / 12 + 1;
        switch ((row - kGunFirstRow) % 12) {
        case 0:
            return Str(g) + " Number";
        case 2:
            return Str(g) + " Position";
        case 4:
            return Str(g) + " Type";
        case 6:
            return Str(g) + " Ammunition";
        case 8:
            return Str(g) + " Sound";
        case 10:
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

std::string scriptNameLine(const std::string& name)
{
    const std::u32string p = decodeUtf8(name);
    const double pad = 9 - Int(static_cast<double>(p.size()) / 2);
    std::u32string line(pad > 0 ? static_cast<std::size_t>(pad) : 0, U' ');
    line += p;
    line.append(18, U' ');
    line.resize(18);
    return encodeUtf8(line);
}

bool isValidFileName(const std::string& name)
{
    // 255 bytes is the longest name the file systems in use take.
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    bool onlyBlanksAndDots = true;
    for (unsigned char c : name) {
        if (c < 32 || c == 127)
            return false;
        switch (c) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
        if (c != ' ' && c != '.')
            onlyBlanksAndDots = false;
    }
    return !onlyBlanksAndDots;
}

PelmoraCore::PelmoraCore(std::filesystem::path folder, EditorPrompts& prompts)
    : m_folder(std::move(folder)),
      m_prompts(prompts),
      m_grid(kGridRows)
{
    for (int r = 1; r < kGridRows; ++r) {
        m_grid[static_cast<std::size_t>(r)][4] = std::to_string(r);
        m_grid[static_cast<std::size_t>(r)][3] = gridLabel(r);
    }
}

const std::string& PelmoraCore::cell(int row, int col) const
{
    static const std::string empty;
    if (row < 0 || row >= kGridRows || col < 0 || col >= kGridCols)
        return empty;
    return m_grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void PelmoraCore::setCell(int row, int col, std::string text)
{
    if (row < 0 || row >= kGridRows || col < 0 || col >= kGridCols)
        return;
    auto& c = m_grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (c != text) {
        c = std::move(text);
        ++m_gridRevision;
    }
}

void PelmoraCore::scrollTo(int row)
{
    m_state.topRow = row;
    ++m_state.scrollRequests;
}

double PelmoraCore::value(int row) const
{
    return Val(cell(row, 2));
}

// ---- load ---------------------------------------------------------------

bool PelmoraCore::chooseAircraft(int slot)
{
    AircraftRecord rec;
    std::string error;
    // Read first: when the file fails, the aircraft on screen and its edits stay.
    if (!readAircraftRecord(m_folder, slot, rec, error)) {
        m_prompts.showError("planes.dat", error);
        return false;
    }
    loadRecord(rec);
    return true;
}

void PelmoraCore::loadRecord(const AircraftRecord& rec)
{
    if (rec.slot < 0 || rec.slot >= kSlotCount)
        return;
    if (m_state.unsavedMark && m_state.loaded)
        runSavePrompt();
    m_state.unsavedMark = false;
    applyRecord(rec);
}

void PelmoraCore::applyRecord(const AircraftRecord& rec)
{
    FormState& s = m_state;
    s.slot = rec.slot;
    s.gunChooserVisible = false;
    s.gunPanelsVisible = false;
    s.ammoVisible = false;
    s.gunGroup = 0;
    s.byteEditorVisible = false;
    s.workingCopyName = Str(rec.slot) + ".oaw";

    for (int r = 1; r <= kRecordBytes; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        setCell(r, 0, std::to_string(rec.positions[i]));
        setCell(r, 1, std::to_string(rec.values[i]));
        setCell(r, 2, std::to_string(rec.values[i]));
    }

    // The code: the characters of bytes 165..168. A zero byte ends the text
    // the field holds, as it ends any text of the single-byte world.
    std::u32string code;
    bool ended = false;
    for (int r = kCodeRow; r <= kRecordBytes; ++r) {
        const std::uint8_t b = rec.values[static_cast<std::size_t>(r - 1)];
        setCell(r, 3, b == 0 ? std::string() : charFromByte(b));
        if (b == 0)
            ended = true;
        if (!ended)
            code.push_back(b);
    }
    s.code = encodeUtf8(code);
    if (code.size() == 4)
        scrollTo(kCodeRow);

    // Flags: where both bits of the exclusive pair are set, only the lower box
    // is checked and the higher bit leaves the value cell.
    for (int k = 0; k < 4; ++k) {
        const int row = 5 + k;
        int b = rec.values[static_cast<std::size_t>(row - 1)];
        const int low = kPairLow[k], high = low + 1;
        if ((b & (1 << low)) && (b & (1 << high))) {
            b &= ~(1 << high);
            setCell(row, 2, std::to_string(b));
        }
        for (int i = 0; i < 8; ++i)
            s.flags[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] = i < boxCount(k) && (b & (1 << i));
        s.flagCaptions[static_cast<std::size_t>(k)] = cell(row, 2);
    }

    s.gunChooserVisible = true;
    s.loaded = true;

    s.year = Str(value(9) + 256 * value(10));
    s.crew = Str(value(11) + 256 * value(12));
    for (int i = 0; i < kNumberFields; ++i) {
        const int r = 13 + 4 * i;
        const double v = value(r) + 256 * value(r + 1) + 65536 * value(r + 2) + 16777216 * value(r + 3);
        s.numbers[static_cast<std::size_t>(i)] = Str(v);
        updateUnitReading(i, v);
    }
    s.gunCount = cell(85, 2);
    s.unsavedMark = false;
}

// ---- flags ---------------------------------------------------------------

void PelmoraCore::flagClicked(int group, int bit, bool checked)
{
    if (group < 0 || group > 3 || bit < 0 || bit >= boxCount(group) || isFixedBox(group, bit))
        return;
    auto& boxes = m_state.flags[static_cast<std::size_t>(group)];
    boxes[static_cast<std::size_t>(bit)] = checked;
    const int low = kPairLow[group], high = low + 1;
    if (checked && (bit == low || bit == high))
        boxes[static_cast<std::size_t>(bit == low ? high : low)] = false;
    refreshFlagValue(group);
}

void PelmoraCore::refreshFlagValue(int group)
{
    const auto& boxes = m_state.flags[static_cast<std::size_t>(group)];
    int v = 0;
    for (int j = 0; j < boxCount(group); ++j)
        if (boxes[static_cast<std::size_t>(j)])
            v += 1 << j;
    m_state.flagCaptions[static_cast<std::size_t>(group)] = std::to_string(v);
    setCell(5 + group, 2, std::to_string(v));
    m_state.unsavedMark = true;
}

// ---- number fields ----------------------------------------------------------

void PelmoraCore::writeTwoBytes(int row, double v)
{
    const auto b = split16(v);
    setCell(row, 2, decimalText(b[0]));
    setCell(row + 1, 2, decimalText(b[1]));
}

void PelmoraCore::yearChanged(const std::string& text)
{
    m_state.year = text;
    yearEnter();
}

void PelmoraCore::yearEnter()
{
    writeTwoBytes(9, Val(m_state.year));
    m_state.unsavedMark = true;
}

void PelmoraCore::crewChanged(const std::string& text)
{
    m_state.crew = text;
    crewEnter();
}

void PelmoraCore::crewEnter()
{
    writeTwoBytes(11, Val(m_state.crew));
    m_state.unsavedMark = true;
}

void PelmoraCore::gunCountChanged(const std::string& text)
{
    m_state.gunCount = text;
    gunCountEnter();
}

void PelmoraCore::gunCountEnter()
{
    setCell(85, 2, decimalText(Val(m_state.gunCount)));
    m_state.unsavedMark = true;
}

void PelmoraCore::updateUnitReading(int index, double v)
{
    std::string& out = m_state.unitReadings[static_cast<std::size_t>(index)];
    if (index <= 3) {
        out = Str(Int(v * 1.6093) * 0.01) + " kph";
    } else if (index == 4 || index == 6) {
        out = Str(Int(v * 0.4536)) + " Kg";
    } else if (index == 5) {
        out.clear();
    } else if (index == 7) {
        const double m = v / 132000;
        out = Str(Int(m)) + " Miles /" + Str(Int(m * 1.6093)) + "Km";
    } else {
        const double f = v / 21;
        out = Str(f) + "ft/" + Str(Int(f * 3.048) / 10) + "m";
    }
}

void PelmoraCore::writeNumberBytes(int index, double v)
{
    const auto b = split32(v);
    const int row = 13 + 4 * index;
    for (int k = 0; k < 4; ++k)
        setCell(row + k, 2, decimalText(b[static_cast<std::size_t>(k)]));
    m_state.unsavedMark = true;
}

void PelmoraCore::numberChanged(int index, const std::string& text)
{
    if (index < 0 || index >= kNumberFields)
        return;
    m_state.numbers[static_cast<std::size_t>(index)] = text;
    const double v = Val(text);
    updateUnitReading(index, v);
    writeNumberBytes(index, v);
}

void PelmoraCore::numberEnter(int index)
{
    if (index < 0 || index >= kNumberFields)
        return;
    writeNumberBytes(index, Val(m_state.numbers[static_cast<std::size_t>(index)]));
}

// ---- code -----------------------------------------------------------------

void PelmoraCore::writeCode(const std::u32string& chars)
{
    scrollTo(kCodeRow);
    const std::string bytes = toSingleByte(chars.substr(0, 4));
    for (int k = 0; k < 4; ++k) {
        const auto b = static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(k)]);
        setCell(kCodeRow + k, 2, std::to_string(b));
        setCell(kCodeRow + k, 3, b == 0 ? std::string() : charFromByte(b));
    }
}

void PelmoraCore::codeChanged(const std::string& text)
{
    m_state.code = text;
    const auto chars = decodeUtf8(text);
    if (chars.size() >= 4)
        writeCode(chars);
}

void PelmoraCore::codeEnter()
{
    const auto chars = decodeUtf8(m_state.code);
    if (chars.size() == 4)
        writeCode(chars);
}

// ---- grid and byte editor -----------------------------------------------------

void PelmoraCore::gridClicked(int row)
{
    if (!m_state.loaded || row < 1 || row >= kGridRows)
        return;
    m_state.byteEditorVisible = false;
    m_state.currentRow = row;
    if (isByteEditorRow(row)) {
        m_state.byteEditorVisible = true;
        ++m_state.byteEditorOpenings;
        m_state.byteEditor = cell(row, 2);
    }
}

void PelmoraCore::byteEditorChanged(const std::string& text)
{
    m_state.byteEditor = text;
}

void PelmoraCore::byteEditorEnter()
{
    if (!m_state.byteEditorVisible || m_state.currentRow < 1 || m_state.currentRow >= kGridRows)
        return;
    setCell(m_state.currentRow, 2, m_state.byteEditor);
    m_state.byteEditorVisible = false;
    m_state.unsavedMark = true;
}

void PelmoraCore::fieldClicked(ClickField field, int index)
{
    switch (field) {
    case ClickField::DamageButton:
        scrollTo(kDamageRow);
        break;
    case ClickField::YearCaption:
        scrollTo(kGunFirstRow);
        break;
    case ClickField::Year:
        scrollTo(9);
        break;
    case ClickField::Crew:
        scrollTo(11);
        break;
    case ClickField::Number:
        if (index >= 0 && index < kNumberFields)
            scrollTo(13 + 4 * index);
        break;
    case ClickField::GunCount:
        scrollTo(85);
        break;
    case ClickField::Code:
        scrollTo(kCodeRow);
        break;
    }
}

// ---- saving -----------------------------------------------------------------

bool PelmoraCore::savePlanes()
{
    if (!m_state.loaded)
        return false;
    std::array<std::uint64_t, kRecordBytes> positions {};
    std::array<std::uint8_t, kRecordBytes> values {};
    // Every byte is checked before anything is written, so a bad cell never
    // leaves the record half-written.
    for (int r = 1; r <= kRecordBytes; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        const double pos = Val(cell(r, 0));
        if (!(pos >= 1 && pos <= 1e12) || pos != Int(pos)) {
            m_prompts.showError("Save planes.dat",
                "Row " + std::to_string(r) + " has no valid file position. planes.dat was not written.");
            return false;
        }
        positions[i] = static_cast<std::uint64_t>(pos);
        if (!parseByteCell(cell(r, 2), values[i])) {
            m_prompts.showError("Save planes.dat",
                "Row " + std::to_string(r) + " (" + fieldNameOfRow(r) + ") holds \"" + cell(r, 2)
                    + "\", which is not a whole number from 0 to 255. planes.dat was not written; "
                      "correct the value and save again.");
            return false;
        }
    }
    std::string error;
    if (!writeAircraftRecord(m_folder, positions, values, error)) {
        m_prompts.showError("Save planes.dat", error);
        return false;
    }
    m_state.unsavedMark = false;
    chooseAircraft(m_state.slot);
    return true;
}

void PelmoraCore::runSavePrompt()
{
    if (m_prompts.askSaveChanges()) {
        const auto path = kvl::findFileNoCase(m_folder, m_state.workingCopyName);
        if (!kvl::writeFileImage(path, std::string_view(workingCopyText())))
            m_prompts.showError("File closure:",
                "The working copy \"" + m_state.workingCopyName + "\" could not be written in " + m_folder.string()
                    + ".");
    }
    m_state.unsavedMark = false;
}

void PelmoraCore::close()
{
    if (m_state.unsavedMark && m_state.loaded)
        runSavePrompt();
    m_state.unsavedMark = false;
}

std::string PelmoraCore::workingCopyText() const
{
    kvl::CrlfText text;
    text.reserve(kRecordBytes * 5);
    for (int r = 1; r <= kRecordBytes; ++r)
        text.line(singleByteText(cell(r, 2)));
    return text.take();
}

// ---- gun groups ---------------------------------------------------------------

void PelmoraCore::chooseGunGroup(int g)
{
    if (!m_state.loaded || g < 1 || g > kGunGroups)
        return;
    FormState& s = m_state;
    s.ammoVisible = false;
    s.gunGroup = g;
    const int b = gunBase();
    s.gunPanelCaption = "Gungroup " + Str(g);
    scrollTo(b);
    s.gunNumber = cell(b, 2);
    s.positionLabel = cell(b + 2, 2);
    s.position = wholeCode(cell(b + 2, 2), 13);
    const double type = value(b + 4) + 256 * value(b + 5);
    s.gunType = decimalText(type);
    s.typeButton = -1;
    for (int t : kTypeValues)
        if (type == t)
            s.typeButton = t;
    s.ammo = Str(value(b + 6) + 256 * value(b + 7));
    s.soundLabel = cell(b + 8, 2);
    s.sound = wholeCode(cell(b + 8, 2), 3);
    const int smoke = wholeCode(cell(b + 10, 2), 1);
    s.smoke = smoke == 1;
    // A smoke byte other than 0 or 1 has no box state; the caption shows it
    // until the user clicks the box.
    s.smokeCaption = smoke < 0 ? "Smoke (" + cell(b + 10, 2) + ")" : "Smoke";
    s.ammoVisible = true;
    s.gunPanelsVisible = true;
}

void PelmoraCore::gunNumberChanged(const std::string& text)
{
    m_state.gunNumber = text;
    gunNumberEnter();
}

void PelmoraCore::gunNumberEnter()
{
    if (m_state.gunGroup == 0)
        return;
    setCell(gunBase(), 2, decimalText(Val(m_state.gunNumber)));
    m_state.unsavedMark = true;
}

void PelmoraCore::positionChosen(int code)
{
    if (m_state.gunGroup == 0 || code < 0 || code > 13)
        return;
    m_state.position = code;
    m_state.positionLabel = std::to_string(code);
    setCell(gunBase() + 2, 2, m_state.positionLabel);
    m_state.unsavedMark = true;
}

void PelmoraCore::ammoChanged(const std::string& text)
{
    m_state.ammo = text;
    ammoEnter();
}

void PelmoraCore::ammoEnter()
{
    if (m_state.gunGroup == 0)
        return;
    writeTwoBytes(gunBase() + 6, Val(m_state.ammo));
    m_state.unsavedMark = true;
}

void PelmoraCore::smokeClicked(bool checked)
{
    if (m_state.gunGroup == 0)
        return;
    m_state.smoke = checked;
    m_state.smokeCaption = "Smoke";
    setCell(gunBase() + 10, 2, checked ? "1" : "0");
    m_state.unsavedMark = true;
}

void PelmoraCore::soundChosen(int code)
{
    if (m_state.gunGroup == 0 || code < 0 || code > 3)
        return;
    m_state.sound = code;
    m_state.soundLabel = std::to_string(code);
    setCell(gunBase() + 8, 2, m_state.soundLabel);
    m_state.unsavedMark = true;
}

void PelmoraCore::typeChanged(const std::string& text)
{
    m_state.gunType = text;
    if (m_state.gunGroup == 0)
        return;
    const double v = Val(text);
    writeTwoBytes(gunBase() + 4, v);
    int match = -1;
    for (int t : kTypeValues)
        if (v == t)
            match = t;
    if (match < 0)
        m_state.typeButton = -1;
    else if (m_state.typeButton != match)
        typeChosen(match); // as if the button had been chosen
}

void PelmoraCore::typeEnter()
{
    if (m_state.gunGroup == 0)
        return;
    writeTwoBytes(gunBase() + 4, Val(m_state.gunType));
}

void PelmoraCore::typeChosen(int value)
{
    if (m_state.gunGroup == 0 || (soundForType(value) < 0 && value != 0))
        return;
    m_state.typeButton = value;
    m_state.gunType = Str(value);
    writeTwoBytes(gunBase() + 4, value);
    const int sound = soundForType(value);
    if (sound >= 0 && sound != m_state.sound)
        soundChosen(sound);
}

// ---- script maker -------------------------------------------------------------

void PelmoraCore::openScriptMaker()
{
    if (m_state.slot >= 0)
        chooseDestination(m_state.slot);
    m_state.scriptMakerVisible = true;
    m_state.unsavedMark = false;
}

void PelmoraCore::chooseDestination(int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    m_state.destination = slot;
    m_state.destinationLabel = std::to_string(slot);
    m_state.scriptName = kSlotNames[static_cast<std::size_t>(slot)];
}

std::string PelmoraCore::scriptText() const
{
    kvl::CrlfText text;
    text.reserve(kRecordBytes * 5 + 40);
    text.line(singleByteText(scriptNameLine(m_state.pnamesName)));
    text.line(singleByteText(m_state.destinationLabel));
    for (int r = 2; r <= kRecordBytes; ++r)
        text.line(singleByteText(cell(r, 2)));
    return text.take();
}

bool PelmoraCore::saveScript()
{
    const std::string& folderName = m_state.scriptFolder;
    const std::string& name = m_state.scriptName;
    if (!isValidFileName(folderName)) {
        m_prompts.showError("Script Maker",
            "\"" + folderName + "\" cannot be used as a folder name. Type a "
                + (folderName.size() > 255 ? "shorter name" : "name without / \\ : * ? \" < > |")
                + " in \"Save in folder:\".");
        return false;
    }
    // The script's file name carries ".oaw" as well.
    if (!isValidFileName(name) || !isValidFileName(name + ".oaw")) {
        m_prompts.showError("Script Maker",
            "\"" + name + "\" cannot be used as a script name. Type a "
                + (name.size() + 4 > 255 ? "shorter name" : "name without / \\ : * ? \" < > |")
                + " in \"Script Name\".");
        return false;
    }
    if (m_state.destination < 0
        && !m_prompts.confirm("Script Maker",
            "No destination slot has been chosen, so the script's second line will be empty. "
            "Save the script anyway?"))
        return false;

    const auto dir = kvl::findFileNoCase(m_folder, folderName);
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::filesystem::create_directory(dir, ec);
        if (ec || !std::filesystem::is_directory(dir, ec)) {
            m_prompts.showError(
                "Script Maker", "The folder \"" + folderName + "\" could not be created in " + m_folder.string() + ".");
            return false;
        }
    }
    const auto scriptPath = kvl::findFileNoCase(dir, name + ".oaw");
    if (!kvl::writeFileImage(scriptPath, std::string_view(scriptText()))) {
        m_prompts.showError("Script Maker", "The script \"" + name + ".oaw\" could not be written.");
        return false;
    }
    // The description keeps its own line breaks, each written as CR LF.
    std::string contents;
    for (char c : singleByteText(m_state.description)) {
        if (c == '\n' && (contents.empty() || contents.back() != '\r'))
            contents += '\r';
        contents += c;
    }
    contents += "\r\n";
    if (!kvl::writeFileImage(kvl::findFileNoCase(dir, "contents.txt"), std::string_view(contents))) {
        m_prompts.showError(
            "Script Maker", "\"contents.txt\" could not be written in the folder \"" + folderName + "\".");
        return false;
    }
    m_state.scriptMakerVisible = false;
    return true;
}

} // namespace planesedit
