// Labels and boxes whose text changes while the program runs: a screen
// reader knows them by a fixed accessible name ("Value", "Campaign
// picture"), so what they show now is handed to it as the accessible
// description, kept equal to the shown text at every change.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace kvl::qt {

/// Makes `text` the widget's accessible description (only when it differs,
/// so an unchanged text raises no description-changed event).
void describeAs(QWidget* widget, const QString& text);

/// Shows `text` on the label and makes it the label's accessible
/// description; the accessible name stays as it was.
void setLabelText(QLabel* label, const QString& text);

} // namespace kvl::qt
