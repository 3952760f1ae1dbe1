// "Apply Script..." and "Open Working Copy...": what a script or working copy
// would change, before anything changes. The window shows the file, a
// script's name line and destination, the slots the values may go into (the
// one proposed chosen), and for the slot chosen the rows whose value would
// change, with the value now and the file's, as the compare window shows
// them. "Apply" puts them into that slot as one step of its history.
#pragma once

#include "planesedit/aircrafteditor.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kvl::planesedit {

class ActionRouter;

class ApplyDialog : public QDialog {
public:
    ApplyDialog(ActionRouter& router, ApplyProposal proposal, QWidget* parent);

    /// Shows choice `index` of the proposal (the slot the values would go into).
    void choose(int index);
    int chosen() const { return m_chosen; }
    /// The rows the table lists for the slot chosen.
    int changesShown() const;
    /// "Apply": closes and puts the values into the slot chosen.
    void apply();

private:
    ActionRouter& m_router;
    ApplyProposal m_proposal;
    int m_chosen = 0;
    QButtonGroup* m_choices = nullptr;
    QLabel* m_count = nullptr;
    QTableWidget* m_table = nullptr;
    QPushButton* m_apply = nullptr;
};

} // namespace kvl::planesedit
