// The aircraft editor's rules: load, flags, numbers, code, byte editor,
// scroll shortcuts, save and the save prompt.
#include "planesedit/aircrafteditor.h"
#include "common/platform.h"

#include "common/fileimage.h"
#include "common/textio.h"

#include <utility>

namespace kvl::planesedit {

namespace {

std::string singleByteText(const std::string& utf8)
{
    return toSingleByte(decodeUtf8(utf8));
}

} // namespace

std::string workingCopyName(int slot)
{
    return Str(slot) + ".oaw";
}

AircraftEditor::AircraftEditor(std::filesystem::path folder, kvl::WindowHost& host)
    : m_folder(std::move(folder)),
      m_host(host),
      m_gunPanels(m_session),
      m_scriptMaker(m_folder, m_session.grid, host)
{
    m_session.recorder = this;
}

std::vector<ViewRequest> AircraftEditor::takeViewRequests()
{
    return std::exchange(m_session.viewRequests, {});
}

void AircraftEditor::showError(const std::string& title, const std::string& text)
{
    m_host.showMessage({ kvl::MessageIcon::Warning, title, text, {}, {} });
}

// ---- load ---------------------------------------------------------------

bool AircraftEditor::chooseAircraft(int slot)
{
    // Read first: when the file fails, the aircraft on screen and its edits stay.
    auto rec = readAircraftRecord(m_folder, slot);
    if (!rec) {
        showError(kPlanesFile, rec.error().message);
        return false;
    }
    loadRecord(*rec);
    return true;
}

void AircraftEditor::loadRecord(const AircraftRecord& rec)
{
    if (rec.slot < 0 || rec.slot >= kSlotCount)
        return;
    if (m_session.unsavedMark && m_session.loaded())
        runSavePrompt();
    m_session.unsavedMark = false;
    // Leaving the aircraft ends its history.
    m_history.clear();
    m_status = {};
    applyRecord(rec);
}

void AircraftEditor::applyRecord(const AircraftRecord& rec)
{
    ByteGrid& grid = m_session.grid;
    m_session.slot = rec.slot;
    m_gunPanels.hide();
    m_fields.byteEditorOpen = false;

    for (int r = 1; r <= kRecordBytes; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        grid.setCell(r, kPositionColumn, std::to_string(rec.positions[i]));
        grid.setCell(r, kReadColumn, std::to_string(rec.values[i]));
        grid.setCell(r, kValueColumn, std::to_string(rec.values[i]));
    }

    // Flags: where both bits of the exclusive pair are set, only the lower box
    // is checked and the higher bit leaves the value cell.
    for (int k = 0; k < kFlagGroups; ++k) {
        const int row = flagRow(k);
        int b = rec.values[static_cast<std::size_t>(row - 1)];
        const int low = exclusivePairLow(k), high = low + 1;
        if ((b & (1 << low)) && (b & (1 << high))) {
            b &= ~(1 << high);
            grid.setValue(row, std::to_string(b));
        }
    }
    deriveFields();
    if (decodeUtf8(m_fields.code).size() == kCodeLength)
        m_session.scrollTo(kCodeRow);
    m_session.unsavedMark = false;
}

void AircraftEditor::deriveFields()
{
    const ByteGrid& grid = m_session.grid;
    for (int k = 0; k < kFlagGroups; ++k) {
        std::uint8_t b = 0;
        parseByteCell(grid.valueText(flagRow(k)), b);
        for (int i = 0; i < 8; ++i)
            m_fields.flags[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] = i < flagBoxCount(k)
                && (b & (1 << i));
    }
    m_fields.year = Str(grid.twoByteValue(kYearRow));
    m_fields.crew = Str(grid.twoByteValue(kCrewRow));
    for (int i = 0; i < kNumberFields; ++i)
        m_fields.numbers[static_cast<std::size_t>(i)] = Str(grid.fourByteValue(numberRow(i)));
    m_fields.gunCount = grid.valueText(kGunCountRow);
    // The code: the characters of its bytes. A zero byte ends the text the
    // field holds, as it ends any text of the single-byte world.
    std::u32string code;
    bool ended = false;
    for (int r = kCodeRow; r < kCodeRow + kCodeLength; ++r) {
        std::uint8_t b = 0;
        parseByteCell(grid.valueText(r), b);
        m_session.grid.setCell(r, kLabelColumn, b == 0 ? std::string() : charFromByte(b));
        ended = ended || b == 0;
        if (!ended)
            code.push_back(b);
    }
    m_fields.code = encodeUtf8(code);
}

// ---- flags ---------------------------------------------------------------

void AircraftEditor::flagClicked(int group, int bit, bool checked)
{
    EditStep step(m_session, kNoMerge);
    if (group < 0 || group >= kFlagGroups || bit < 0 || bit >= flagBoxCount(group) || isFixedFlagBit(group, bit))
        return;
    auto& boxes = m_fields.flags[static_cast<std::size_t>(group)];
    boxes[static_cast<std::size_t>(bit)] = checked;
    const int low = exclusivePairLow(group), high = low + 1;
    if (checked && (bit == low || bit == high))
        boxes[static_cast<std::size_t>(bit == low ? high : low)] = false;
    // The byte is the sum of the boxes alone: bits without a box become 0.
    int v = 0;
    for (int j = 0; j < flagBoxCount(group); ++j)
        if (boxes[static_cast<std::size_t>(j)])
            v += 1 << j;
    m_session.grid.setValue(flagRow(group), std::to_string(v));
    m_session.unsavedMark = true;
}

// ---- number fields ----------------------------------------------------------

void AircraftEditor::yearChanged(const std::string& text)
{
    EditStep step(m_session, mergeKeyOfRow(kYearRow));
    m_fields.year = text;
    yearEnter();
}

void AircraftEditor::yearEnter()
{
    EditStep step(m_session, mergeKeyOfRow(kYearRow));
    m_session.grid.writeTwoBytes(kYearRow, Val(m_fields.year));
    m_session.unsavedMark = true;
}

void AircraftEditor::crewChanged(const std::string& text)
{
    EditStep step(m_session, mergeKeyOfRow(kCrewRow));
    m_fields.crew = text;
    crewEnter();
}

void AircraftEditor::crewEnter()
{
    EditStep step(m_session, mergeKeyOfRow(kCrewRow));
    m_session.grid.writeTwoBytes(kCrewRow, Val(m_fields.crew));
    m_session.unsavedMark = true;
}

void AircraftEditor::gunCountChanged(const std::string& text)
{
    EditStep step(m_session, mergeKeyOfRow(kGunCountRow));
    m_fields.gunCount = text;
    gunCountEnter();
}

void AircraftEditor::gunCountEnter()
{
    EditStep step(m_session, mergeKeyOfRow(kGunCountRow));
    m_session.grid.setValue(kGunCountRow, decimalText(Val(m_fields.gunCount)));
    m_session.unsavedMark = true;
}

void AircraftEditor::numberChanged(int index, const std::string& text)
{
    if (index < 0 || index >= kNumberFields)
        return;
    EditStep step(m_session, mergeKeyOfRow(numberRow(index)));
    m_fields.numbers[static_cast<std::size_t>(index)] = text;
    writeNumber(index);
}

void AircraftEditor::numberEnter(int index)
{
    if (index < 0 || index >= kNumberFields)
        return;
    writeNumber(index);
}

void AircraftEditor::writeNumber(int index)
{
    EditStep step(m_session, mergeKeyOfRow(numberRow(index)));
    m_session.grid.writeFourBytes(numberRow(index), Val(m_fields.numbers[static_cast<std::size_t>(index)]));
    m_session.unsavedMark = true;
}

// ---- code -----------------------------------------------------------------

void AircraftEditor::writeCode(const std::u32string& chars)
{
    m_session.scrollTo(kCodeRow);
    const std::string bytes = toSingleByte(chars.substr(0, kCodeLength));
    for (int k = 0; k < kCodeLength; ++k) {
        const auto b = static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(k)]);
        m_session.grid.setValue(kCodeRow + k, std::to_string(b));
        m_session.grid.setCell(kCodeRow + k, kLabelColumn, b == 0 ? std::string() : charFromByte(b));
    }
}

// The code is not counted as an edit: it never sets the unsaved mark.
void AircraftEditor::codeChanged(const std::string& text)
{
    EditStep step(m_session, mergeKeyOfRow(kCodeRow));
    m_fields.code = text;
    const auto chars = decodeUtf8(text);
    if (chars.size() >= kCodeLength)
        writeCode(chars);
}

void AircraftEditor::codeEnter()
{
    EditStep step(m_session, mergeKeyOfRow(kCodeRow));
    const auto chars = decodeUtf8(m_fields.code);
    if (chars.size() == kCodeLength)
        writeCode(chars);
}

// ---- grid and byte editor -----------------------------------------------------

void AircraftEditor::gridClicked(int row)
{
    if (!m_session.loaded() || row < 1 || row >= kGridRows)
        return;
    m_fields.byteEditorOpen = false;
    m_fields.currentRow = row;
    if (isByteEditorRow(row)) {
        m_fields.byteEditorOpen = true;
        m_fields.byteEditorText = m_session.grid.valueText(row);
        m_session.viewRequests.push_back({ ViewRequest::Kind::OpenByteEditor, row });
    }
}

void AircraftEditor::byteEditorChanged(const std::string& text)
{
    m_fields.byteEditorText = text;
}

void AircraftEditor::byteEditorEnter()
{
    EditStep step(m_session, kNoMerge);
    if (!m_fields.byteEditorOpen || m_fields.currentRow < 1 || m_fields.currentRow >= kGridRows)
        return;
    m_session.grid.setValue(m_fields.currentRow, m_fields.byteEditorText);
    m_fields.byteEditorOpen = false;
    m_session.unsavedMark = true;
}

void AircraftEditor::fieldClicked(ClickField field, int index)
{
    switch (field) {
    case ClickField::DamageButton:
        m_session.scrollTo(kDamageFirstRow);
        break;
    case ClickField::YearCaption:
        m_session.scrollTo(gunGroupRow(1));
        break;
    case ClickField::Year:
        m_session.scrollTo(kYearRow);
        break;
    case ClickField::Crew:
        m_session.scrollTo(kCrewRow);
        break;
    case ClickField::Number:
        if (index >= 0 && index < kNumberFields)
            m_session.scrollTo(numberRow(index));
        break;
    case ClickField::GunCount:
        m_session.scrollTo(kGunCountRow);
        break;
    case ClickField::Code:
        m_session.scrollTo(kCodeRow);
        break;
    }
}

// ---- saving -----------------------------------------------------------------

bool AircraftEditor::savePlanes()
{
    if (!m_session.loaded())
        return false;
    const ByteGrid& grid = m_session.grid;
    std::array<std::uint64_t, kRecordBytes> positions {};
    std::array<std::uint8_t, kRecordBytes> values {};
    // Every byte is checked before anything is written, so a bad cell never
    // leaves the record half-written.
    for (int r = 1; r <= kRecordBytes; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        const double pos = Val(grid.cell(r, kPositionColumn));
        if (!(pos >= 1 && pos <= 1e12) || pos != Int(pos)) {
            showError("Save planes.dat",
                "Row " + std::to_string(r) + " has no valid file position. planes.dat was not written.");
            return false;
        }
        positions[i] = static_cast<std::uint64_t>(pos);
        if (!parseByteCell(grid.valueText(r), values[i])) {
            showError("Save planes.dat",
                "Row " + std::to_string(r) + " (" + fieldNameOfRow(r) + ") holds \"" + grid.valueText(r)
                    + "\", which is not a whole number from 0 to 255. planes.dat was not written; "
                      "correct the value and save again.");
            return false;
        }
    }
    if (auto written = writeAircraftRecord(m_folder, positions, values); !written) {
        showError("Save planes.dat", written.error().message);
        return false;
    }
    reloadAfterSave();
    return true;
}

// The saved aircraft is read again, as a load does, but its history stays:
// the user may still undo past the save and save again.
void AircraftEditor::reloadAfterSave()
{
    m_history.markSaved();
    m_session.unsavedMark = false;
    m_status = { StatusReport::Kind::Saved, m_session.slot, 0, {} };
    auto rec = readAircraftRecord(m_folder, m_session.slot);
    if (!rec) {
        showError(kPlanesFile, rec.error().message);
        return;
    }
    applyRecord(*rec);
}

void AircraftEditor::runSavePrompt()
{
    const kvl::Message prompt { kvl::MessageIcon::Question, "File closure:", "Save the changes before closing ?", {},
        {} };
    if (m_host.showMessage(prompt, kvl::MessageButtons::OkCancel) == kvl::MessageAnswer::Ok) {
        const std::string name = workingCopyName(m_session.slot);
        const auto path = kvl::findFileNoCase(m_folder, name);
        if (!kvl::writeFileAtomically(path, std::string_view(workingCopyText())))
            showError("File closure:",
                "The working copy \"" + name + "\" could not be written in " + kvl::platform::utf8FromPath(m_folder)
                    + ".");
    }
    m_session.unsavedMark = false;
}

void AircraftEditor::close()
{
    if (m_session.unsavedMark && m_session.loaded())
        runSavePrompt();
    m_session.unsavedMark = false;
}

std::string AircraftEditor::workingCopyText() const
{
    kvl::CrlfText text;
    text.reserve(kRecordBytes * 5);
    for (int r = 1; r <= kRecordBytes; ++r)
        text.line(singleByteText(m_session.grid.valueText(r)));
    return text.take();
}

void AircraftEditor::openScriptMaker()
{
    m_scriptMaker.open(m_session.slot);
    m_history.markSaved();
    m_session.unsavedMark = false;
}

// ---- history ----------------------------------------------------------------

void AircraftEditor::beginEdit(int mergeKey)
{
    if (m_editDepth++ > 0 || !m_session.loaded())
        return;
    m_before = captureState();
    m_mergeKey = mergeKey;
    // The edit's own rules say whether it counts for the unsaved mark.
    m_markBefore = m_session.unsavedMark;
    m_session.unsavedMark = false;
}

void AircraftEditor::endEdit()
{
    if (--m_editDepth > 0 || !m_session.loaded())
        return;
    const bool marks = m_session.unsavedMark;
    const std::size_t steps = m_history.position();
    m_history.record(std::move(m_before), captureState(), marks, m_mergeKey); // set again by the next beginEdit
    if (m_history.position() != steps || marks)
        m_status = {};
    m_session.unsavedMark = m_history.unsaved();
}

EditState AircraftEditor::captureState() const
{
    EditState state;
    const ByteGrid& grid = m_session.grid;
    for (int r = 1; r <= kRecordBytes; ++r)
        state.values[static_cast<std::size_t>(r - 1)] = grid.valueText(r);
    for (int k = 0; k < kCodeLength; ++k)
        state.codeLabels[static_cast<std::size_t>(k)] = grid.cell(kCodeRow + k, kLabelColumn);
    state.fields = m_fields;
    state.fields.byteEditorOpen = false;
    state.fields.byteEditorText.clear();
    state.fields.currentRow = 0;
    return state;
}

void AircraftEditor::restoreState(const EditState& state)
{
    ByteGrid& grid = m_session.grid;
    for (int r = 1; r <= kRecordBytes; ++r)
        grid.setValue(r, state.values[static_cast<std::size_t>(r - 1)]);
    for (int k = 0; k < kCodeLength; ++k)
        grid.setCell(kCodeRow + k, kLabelColumn, state.codeLabels[static_cast<std::size_t>(k)]);
    const int currentRow = m_fields.currentRow;
    m_fields = state.fields;
    m_fields.currentRow = currentRow;
    m_gunPanels.refill();
    m_session.unsavedMark = m_history.unsaved();
}

bool AircraftEditor::undo()
{
    const EditState* state = m_session.loaded() ? m_history.undo() : nullptr;
    if (!state)
        return false;
    restoreState(*state);
    m_status = { StatusReport::Kind::Undone, m_session.slot, 0, {} };
    return true;
}

bool AircraftEditor::redo()
{
    const EditState* state = m_session.loaded() ? m_history.redo() : nullptr;
    if (!state)
        return false;
    restoreState(*state);
    m_status = { StatusReport::Kind::Redone, m_session.slot, 0, {} };
    return true;
}

bool AircraftEditor::rowEdited(int row) const
{
    return m_session.loaded() && row >= 1 && row <= kRecordBytes
        && m_session.grid.valueText(row) != m_session.grid.cell(row, kReadColumn);
}

} // namespace kvl::planesedit
