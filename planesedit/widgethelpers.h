// Small helpers the editor window's panels share for filling their widgets.
#pragma once

#include "common/qt/accessibletext.h"
#include "common/qt/qtwindowhost.h"

#include "planesedit/planesrecord.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QString>

#include <string>

namespace kvl::planesedit {

using kvl::qt::fromUtf8;

// Sets a line edit's text only when it differs, so the cursor of a field the
// user is typing in stays where it is.
inline void setTextKeep(QLineEdit* edit, const std::string& text)
{
    const QString t = fromUtf8(text);
    if (edit->text() != t)
        edit->setText(t);
}

// A label whose text changes also tells assistive technology what it shows
// now: its accessible name stays the fixed one, its description is the text.
inline void setLabel(QLabel* label, const std::string& text)
{
    kvl::qt::setLabelText(label, fromUtf8(text));
}

inline void setTitle(QGroupBox* box, const std::string& text)
{
    // An empty caption is shown as a blank, so the frame keeps its title
    // space and the form does not shift when the first aircraft arrives.
    const QString t = text.empty() ? QStringLiteral(" ") : fromUtf8(text);
    if (box->title() != t)
        box->setTitle(t);
    kvl::qt::describeAs(box, fromUtf8(text));
}

// Checks the button with id `id` and clears the others; -1 clears them all.
inline void checkOnly(QButtonGroup* group, int id)
{
    group->setExclusive(false);
    for (auto* b : group->buttons())
        b->setChecked(group->id(b) == id);
    group->setExclusive(true);
}

// A hidden panel keeps its place, so the form does not shift when it shows.
inline void keepPlaceWhenHidden(QWidget* w)
{
    auto policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

inline QListWidget* slotList(const QString& objectName)
{
    auto* list = new QListWidget;
    list->setObjectName(objectName);
    for (const char* name : kSlotNames)
        list->addItem(QString::fromLatin1(name));
    list->setFixedWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("V1 Doodlebug")) + 40);
    return list;
}

/// The row the user chose in a one-choice list (a click, the arrow keys), or
/// -1. Its current row alone is no choice: a list that takes the keyboard
/// focus makes its first row current without choosing it.
inline int chosenRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.size() == 1 ? list->row(items.front()) : -1;
}

/// A caption beside a field; the field takes the caption as accessible name.
inline QLabel* captionFor(const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return label;
}

} // namespace kvl::planesedit
