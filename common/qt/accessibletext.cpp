#include "common/qt/accessibletext.h"

#include <QLabel>
#include <QWidget>

namespace kvl::qt {

void describeAs(QWidget* widget, const QString& text)
{
    if (widget->accessibleDescription() != text)
        widget->setAccessibleDescription(text);
}

void setLabelText(QLabel* label, const QString& text)
{
    // Setting an equal text would still reflow the label and drop a
    // selection the user made in it.
    if (label->text() != text)
        label->setText(text);
    describeAs(label, text);
}

} // namespace kvl::qt
