// "Compare with...": the loaded flight file and a second one side by side,
// field by field, with the rows that differ highlighted and counted. Values
// selected here are copied from the second file into the loaded one through
// the editor, as one write that can be undone.
#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kvl::fltpatch {

class FlightModelEditor;

class CompareDialog : public QDialog {
    Q_OBJECT
public:
    CompareDialog(FlightModelEditor& editor, QWidget* parent = nullptr);

    /// Shows the editor's values and the compared file's again (after a
    /// copy, an undo, another compared file).
    void refresh();
    /// The field numbers of the selected rows, ascending.
    std::vector<int> selectedFields() const;

private:
    void copySelected();
    void showOnlyDifferences();

    FlightModelEditor& m_editor;
    QTableWidget* m_table = nullptr;
    QLabel* m_files = nullptr;
    QLabel* m_count = nullptr;
    QCheckBox* m_onlyDifferences = nullptr;
    QPushButton* m_copy = nullptr;
    std::vector<bool> m_differs; // entry n - 1 is field n
};

} // namespace kvl::fltpatch
