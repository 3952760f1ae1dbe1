// The gun group panels' rules.
#include "planesedit/gunpanels.h"

namespace kvl::planesedit {

int soundForGunType(int type)
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

namespace {

// The type button whose value `v` is, or -1.
int typeButtonFor(double v)
{
    for (int t : kTypeValues)
        if (v == t)
            return t;
    return -1;
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

} // namespace

void GunPanels::show(int group)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    if (!m_session.loaded() || group < 1 || group > kGunGroups)
        return;
    const int b = gunGroupRow(group);
    m_state.group = group;
    m_session.scrollTo(b);
    refill();
}

void GunPanels::refill()
{
    if (!shown())
        return;
    const RecordDocument& doc = m_session.document;
    const int b = firstRow();
    m_state.number = doc.text(b + kGunNumberOffset);
    const double type = doc.twoByteValue(b + kGunTypeOffset);
    m_state.type = decimalText(type);
    m_state.typeButton = typeButtonFor(type);
    m_state.ammunition = Str(doc.twoByteValue(b + kGunAmmunitionOffset));
}

void GunPanels::write(int offset, const std::string& text)
{
    m_session.document.setText(firstRow() + offset, text);
}

void GunPanels::numberChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, mergeKeyOfRow(firstRow() + kGunNumberOffset));
    m_state.number = text;
    numberEnter();
}

void GunPanels::numberEnter()
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, mergeKeyOfRow(firstRow() + kGunNumberOffset));
    if (!shown())
        return;
    write(kGunNumberOffset, decimalText(Val(m_state.number)));
}

void GunPanels::positionChosen(int code)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, kNoMerge);
    if (!shown() || code < 0 || code >= static_cast<int>(kPositionLabels.size()))
        return;
    write(kGunPositionOffset, std::to_string(code));
}

void GunPanels::ammunitionChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, mergeKeyOfRow(firstRow() + kGunAmmunitionOffset));
    m_state.ammunition = text;
    ammunitionEnter();
}

void GunPanels::ammunitionEnter()
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, mergeKeyOfRow(firstRow() + kGunAmmunitionOffset));
    if (!shown())
        return;
    m_session.document.writeTwoBytes(firstRow() + kGunAmmunitionOffset, Val(m_state.ammunition));
}

void GunPanels::smokeClicked(bool checked)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, kNoMerge);
    if (!shown())
        return;
    write(kGunSmokeOffset, checked ? "1" : "0");
}

void GunPanels::soundChosen(int code)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, kNoMerge);
    if (!shown() || code < 0 || code >= static_cast<int>(kSoundLabels.size()))
        return;
    write(kGunSoundOffset, std::to_string(code));
}

void GunPanels::typeChanged(const std::string& text)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, mergeKeyOfRow(firstRow() + kGunTypeOffset));
    m_state.type = text;
    if (!shown())
        return;
    const double v = Val(text);
    m_session.document.writeTwoBytes(firstRow() + kGunTypeOffset, v);
    const int match = typeButtonFor(v);
    // Typing the value of the button already chosen leaves the field as typed.
    if (match < 0)
        m_state.typeButton = -1;
    else if (m_state.typeButton != match)
        typeChosen(match);
}

void GunPanels::typeEnter()
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, mergeKeyOfRow(firstRow() + kGunTypeOffset));
    if (!shown())
        return;
    m_session.document.writeTwoBytes(firstRow() + kGunTypeOffset, Val(m_state.type));
}

void GunPanels::typeChosen(int value)
{
    const kvl::ChangeNotifier::Operation operation(m_session.changes);
    EditStep step(m_session, kNoMerge);
    if (!shown() || typeButtonFor(value) < 0)
        return;
    m_state.typeButton = value;
    m_state.type = Str(value);
    m_session.document.writeTwoBytes(firstRow() + kGunTypeOffset, value);
    const int sound = soundForGunType(value);
    if (sound >= 0 && sound != this->sound())
        soundChosen(sound);
}

int GunPanels::position() const
{
    return shown() ? wholeCode(m_session.document.text(firstRow() + kGunPositionOffset), 13) : -1;
}

int GunPanels::sound() const
{
    return shown() ? wholeCode(m_session.document.text(firstRow() + kGunSoundOffset), 3) : -1;
}

std::optional<bool> GunPanels::smoke() const
{
    const int code = shown() ? wholeCode(m_session.document.text(firstRow() + kGunSmokeOffset), 1) : 0;
    if (code < 0)
        return std::nullopt;
    return code == 1;
}

} // namespace kvl::planesedit
