// "Compare with...": the aircraft shown beside the record the editor
// compares it with, either another slot of the same planes.dat or the same
// slot of another planes.dat. The 168 rows by their labels with both values; differing rows
// are highlighted and counted, and selected values can be copied into the
// aircraft shown as one step of its history.
#pragma once

#include "planesedit/aircrafteditor.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

namespace kvl::planesedit {

class ActionRouter;

class CompareDialog : public QDialog {
public:
    CompareDialog(ActionRouter& router, QWidget* parent);

    /// Compares with slot `slot` of this folder's planes.dat.
    void compareWithSlot(int slot);
    /// Asks for another planes.dat and compares with the same slot of it.
    void compareWithFile();
    /// Copies the selected rows' other values into the aircraft shown.
    void copySelected();
    /// Shows both sides as the editor has them (when the window refreshes).
    void refresh();

    int differences() const { return m_differences; }

private:
    ActionRouter& m_router;
    int m_differences = 0;
    QComboBox* m_slots = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_count = nullptr;
    QCheckBox* m_onlyDifferences = nullptr;
    QTableWidget* m_table = nullptr;
};

} // namespace kvl::planesedit
