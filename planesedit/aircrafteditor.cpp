// The aircraft editor's rules: load, flags, numbers, code, byte editor,
// scroll shortcuts, save and the save prompt.
#include "planesedit/aircrafteditor.h"
#include "common/platform.h"

#include "common/fileimage.h"

#include <utility>

namespace kvl::planesedit {

AircraftEditor::AircraftEditor(std::filesystem::path folder, kvl::WindowHost& host)
    : m_folder(std::move(folder)),
      m_host(host),
      m_gunPanels(m_session),
      m_scriptMaker(m_folder, m_session.document, host, m_session.changes)
{
}

std::vector<ViewRequest> AircraftEditor::takeViewRequests()
{
    return std::exchange(m_session.viewRequests, {});
}

void AircraftEditor::showError(const std::string& title, const std::string& text)
{
    m_host.showMessage({ kvl::MessageIcon::Warning, title, text, {}, {} });
}

void AircraftEditor::setStatus(StatusReport status)
{
    m_status = std::move(status);
    m_statusSerial = m_session.document.editSerial();
}

const StatusReport& AircraftEditor::status() const
{
    static const StatusReport none;
    return m_statusSerial == m_session.document.editSerial() ? m_status : none;
}

// ---- what the panels show ---------------------------------------------------------

std::string AircraftEditor::fieldText(int fieldRow) const
{
    const RecordDocument& doc = m_session.document;
    if (const std::string* typed = doc.typedText(fieldRow))
        return *typed;
    if (!doc.loaded())
        return {}; // the fields are empty until the first load
    if (fieldRow == kYearRow || fieldRow == kCrewRow)
        return Str(doc.twoByteValue(fieldRow));
    if (fieldRow == kGunCountRow)
        return doc.text(kGunCountRow);
    if (fieldRow == kCodeRow) {
        // The characters of the code's bytes. A zero byte ends the text the
        // field holds, as it ends any text of the single-byte world.
        std::u32string code;
        for (int r = kCodeRow; r < kCodeRow + kCodeLength; ++r) {
            const std::uint8_t b = doc.storedByte(r).value_or(0);
            if (b == 0)
                break;
            code.push_back(b);
        }
        return encodeUtf8(code);
    }
    return Str(doc.fourByteValue(fieldRow)); // a number field
}

RecordFields AircraftEditor::fields() const
{
    const RecordDocument& doc = m_session.document;
    RecordFields f;
    for (int k = 0; k < kFlagGroups; ++k) {
        const std::uint8_t b = doc.storedByte(flagRow(k)).value_or(0);
        for (int i = 0; i < flagBoxCount(k); ++i)
            f.flags[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] = (b & (1 << i)) != 0;
    }
    f.year = fieldText(kYearRow);
    f.crew = fieldText(kCrewRow);
    for (int i = 0; i < kNumberFields; ++i)
        f.numbers[static_cast<std::size_t>(i)] = fieldText(numberRow(i));
    f.code = fieldText(kCodeRow);
    f.gunCount = fieldText(kGunCountRow);
    f.byteEditorOpen = m_byteEditor.open;
    f.byteEditorText = m_byteEditor.text;
    f.currentRow = m_byteEditor.row;
    return f;
}

// ---- load ---------------------------------------------------------------

bool AircraftEditor::chooseAircraft(int slot)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    // Read first: when the file fails, the aircraft on screen and its edits stay.
    auto rec = readAircraftRecord(m_folder, slot);
    if (!rec) {
        showError(kPlanesFile, rec.error().message);
        return false;
    }
    loadRecord(*rec);
    return true;
}

RecordBytes shownBytes(const RecordBytes& read)
{
    RecordBytes shown = read;
    for (int k = 0; k < kFlagGroups; ++k) {
        std::uint8_t& b = shown[static_cast<std::size_t>(flagRow(k) - 1)];
        const int low = exclusivePairLow(k), high = low + 1;
        if ((b & (1 << low)) && (b & (1 << high)))
            b = static_cast<std::uint8_t>(b & ~(1 << high));
    }
    return shown;
}

void AircraftEditor::loadRecord(const AircraftRecord& rec)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (rec.slot < 0 || rec.slot >= kSlotCount)
        return;
    if (m_session.document.unsaved())
        runSavePrompt();
    m_gunPanels.hide();
    m_byteEditor.open = false;
    // Leaving the aircraft ends its history.
    m_session.document.load(rec.slot, rec.values, shownBytes(rec.values));
    setStatus({});
    if (decodeUtf8(fieldText(kCodeRow)).size() == kCodeLength)
        m_session.scrollTo(kCodeRow);
}

// ---- flags ---------------------------------------------------------------

void AircraftEditor::flagClicked(int group, int bit, bool checked)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, kNoMerge);
    if (group < 0 || group >= kFlagGroups || bit < 0 || bit >= flagBoxCount(group) || isFixedFlagBit(group, bit))
        return;
    auto boxes = fields().flags[static_cast<std::size_t>(group)];
    boxes[static_cast<std::size_t>(bit)] = checked;
    const int low = exclusivePairLow(group), high = low + 1;
    if (checked && (bit == low || bit == high))
        boxes[static_cast<std::size_t>(bit == low ? high : low)] = false;
    // The byte is the sum of the boxes alone: bits without a box become 0.
    int v = 0;
    for (int j = 0; j < flagBoxCount(group); ++j)
        if (boxes[static_cast<std::size_t>(j)])
            v += 1 << j;
    m_session.document.setByte(flagRow(group), static_cast<std::uint8_t>(v));
}

// ---- number fields ----------------------------------------------------------

void AircraftEditor::typeInto(int fieldRow, const std::string& text)
{
    m_session.document.setTypedText(fieldRow, text);
}

void AircraftEditor::yearChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kYearRow));
    typeInto(kYearRow, text);
    yearEnter();
}

void AircraftEditor::yearEnter()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kYearRow));
    m_session.document.writeTwoBytes(kYearRow, Val(fieldText(kYearRow)));
}

void AircraftEditor::crewChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kCrewRow));
    typeInto(kCrewRow, text);
    crewEnter();
}

void AircraftEditor::crewEnter()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kCrewRow));
    m_session.document.writeTwoBytes(kCrewRow, Val(fieldText(kCrewRow)));
}

void AircraftEditor::gunCountChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kGunCountRow));
    typeInto(kGunCountRow, text);
    gunCountEnter();
}

void AircraftEditor::gunCountEnter()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kGunCountRow));
    m_session.document.setText(kGunCountRow, decimalText(Val(fieldText(kGunCountRow))));
}

void AircraftEditor::numberChanged(int index, const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (index < 0 || index >= kNumberFields)
        return;
    EditStep step(m_session, mergeKeyOfRow(numberRow(index)));
    typeInto(numberRow(index), text);
    writeNumber(index);
}

void AircraftEditor::numberEnter(int index)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (index < 0 || index >= kNumberFields)
        return;
    writeNumber(index);
}

void AircraftEditor::writeNumber(int index)
{
    EditStep step(m_session, mergeKeyOfRow(numberRow(index)));
    m_session.document.writeFourBytes(numberRow(index), Val(fieldText(numberRow(index))));
}

// ---- code -----------------------------------------------------------------

void AircraftEditor::writeCode(const std::u32string& chars)
{
    m_session.scrollTo(kCodeRow);
    const std::string bytes = toSingleByte(chars.substr(0, kCodeLength));
    for (int k = 0; k < kCodeLength; ++k)
        m_session.document.setByte(kCodeRow + k, static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(k)]));
}

// The code is not counted as an edit: it never sets the unsaved mark.
void AircraftEditor::codeChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kCodeRow));
    typeInto(kCodeRow, text);
    const auto chars = decodeUtf8(text);
    if (chars.size() >= kCodeLength)
        writeCode(chars);
}

void AircraftEditor::codeEnter()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, mergeKeyOfRow(kCodeRow));
    const auto chars = decodeUtf8(fieldText(kCodeRow));
    if (chars.size() == kCodeLength)
        writeCode(chars);
}

// ---- grid and byte editor -----------------------------------------------------

void AircraftEditor::gridClicked(int row)
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded() || row < 1 || row >= kGridRows)
        return;
    m_byteEditor.open = false;
    m_byteEditor.row = row;
    if (isByteEditorRow(row)) {
        m_byteEditor.open = true;
        m_byteEditor.text = m_session.document.text(row);
        m_session.viewRequests.push_back({ ViewRequest::Kind::OpenByteEditor, row });
    }
}

void AircraftEditor::byteEditorChanged(const std::string& text)
{
    m_byteEditor.text = text;
}

void AircraftEditor::byteEditorEnter()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    EditStep step(m_session, kNoMerge);
    if (!m_byteEditor.open || m_byteEditor.row < 1 || m_byteEditor.row >= kGridRows)
        return;
    m_session.document.setText(m_byteEditor.row, m_byteEditor.text);
    m_byteEditor.open = false;
}

void AircraftEditor::fieldClicked(ClickField field, int index)
{
    const kvl::ChangeNotifier::Operation operation(changes());
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
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.loaded())
        return false;
    const RecordDocument& doc = m_session.document;
    std::array<std::uint64_t, kRecordBytes> positions {};
    RecordBytes values {};
    // Every byte is checked before anything is written, so a bad cell never
    // leaves the record half-written.
    for (int r = 1; r <= kRecordBytes; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        positions[i] = filePosition(doc.slot(), r);
        const auto b = doc.storedByte(r);
        if (!b) {
            showError("Save planes.dat",
                "Row " + std::to_string(r) + " (" + fieldNameOfRow(r) + ") holds \"" + doc.text(r)
                    + "\", which is not a whole number from 0 to 255. planes.dat was not written; "
                      "correct the value and save again.");
            return false;
        }
        values[i] = *b;
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
    RecordDocument& doc = m_session.document;
    doc.markSaved();
    setStatus({ StatusReport::Kind::Saved, doc.slot(), 0, {} });
    auto rec = readAircraftRecord(m_folder, doc.slot());
    if (!rec) {
        showError(kPlanesFile, rec.error().message);
        return;
    }
    m_gunPanels.hide();
    m_byteEditor.open = false;
    doc.reload(rec->values, shownBytes(rec->values));
    if (decodeUtf8(fieldText(kCodeRow)).size() == kCodeLength)
        m_session.scrollTo(kCodeRow);
}

void AircraftEditor::runSavePrompt()
{
    const kvl::Message prompt { kvl::MessageIcon::Question, "File closure:", "Save the changes before closing ?", {},
        {} };
    if (m_host.showMessage(prompt, kvl::MessageButtons::OkCancel) == kvl::MessageAnswer::Ok) {
        const std::string name = workingCopyName(m_session.document.slot());
        const auto path = kvl::findFileNoCase(m_folder, name);
        if (!kvl::writeFileAtomically(path, std::string_view(workingCopyText())))
            showError("File closure:",
                "The working copy \"" + name + "\" could not be written in " + kvl::platform::utf8FromPath(m_folder)
                    + ".");
    }
    m_session.document.markSaved();
}

void AircraftEditor::close()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (m_session.document.unsaved())
        runSavePrompt();
}

std::string AircraftEditor::workingCopyText() const
{
    return workingCopyFileText(m_session.document);
}

void AircraftEditor::openScriptMaker()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    m_scriptMaker.open(m_session.document.slot());
    m_session.document.markSaved();
}

// ---- undo and redo --------------------------------------------------------------

void AircraftEditor::afterUndoOrRedo(StatusReport::Kind kind)
{
    // The panels show the record as it was; the byte editor closes.
    m_byteEditor.open = false;
    m_byteEditor.text.clear();
    m_gunPanels.refill();
    setStatus({ kind, m_session.document.slot(), 0, {} });
}

bool AircraftEditor::undo()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.document.undo())
        return false;
    afterUndoOrRedo(StatusReport::Kind::Undone);
    return true;
}

bool AircraftEditor::redo()
{
    const kvl::ChangeNotifier::Operation operation(changes());
    if (!m_session.document.redo())
        return false;
    afterUndoOrRedo(StatusReport::Kind::Redone);
    return true;
}

} // namespace kvl::planesedit
