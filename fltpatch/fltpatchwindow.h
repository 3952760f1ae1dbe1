// The flight editor's window ("Form1"): shows a FlightModelEditor and
// forwards its events to it.
#pragma once

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>

#include "common/qt/qtwindowhost.h"
#include "common/windowhost.h"
#include "fltpatch/comparedialog.h"
#include "fltpatch/flighteditor.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kvl::fltpatch {

/// The window forwards its events to the editor and shows the editor's state
/// whenever the editor's change notification says so; the editor's message
/// boxes and file dialogs only show and answer.
class FltPatchWindow : public QWidget {
    Q_OBJECT
public:
    /// `host`, when given, shows the dialogs instead of Qt (tests); the
    /// window does not own it.
    explicit FltPatchWindow(WindowHost* host = nullptr, QWidget* parent = nullptr);
    ~FltPatchWindow() override;

    /// Centres the window, then runs the editor's start-up in `folder`
    /// (descriptions, then `file` or the file dialog).
    void startUp(const std::filesystem::path& folder, const std::filesystem::path& file = {});

    FlightModelEditor& editor() { return *m_editor; }
    /// The "Compare with..." dialog while it is open, else null.
    CompareDialog* compareDialog() const { return m_compareDialog; }

    /// Shows the editor's state in the widgets (on the editor's change
    /// notification).
    void sync();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void connectWidgets();
    void compare();
    void markSelection();
    bool startEditingWith(const QString& typed);
    void edit();
    int fieldUnderPointer(int y) const;
    void syncFieldTable();

    qt::DialogHost m_qtDialogs;
    std::unique_ptr<FlightModelEditor> m_editor;
    bool m_syncing = false;
    bool m_dragging = false; // the left button is down over the field table

    QTableWidget* m_fieldTable = nullptr;  // "G1"
    QTableWidget* m_storedTable = nullptr; // "G2"
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_storeButton = nullptr;
    QPushButton* m_pasteButton = nullptr;
    QLineEdit* m_valueEdit = nullptr; // "Text1"
    QLabel* m_fileLabel = nullptr;
    QLabel* m_valueLabel = nullptr;
    QLabel* m_typeLabel = nullptr;
    QLabel* m_positionLabel = nullptr;
    QLabel* m_descriptionLabel = nullptr;
    QLabel* m_storedFromLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QAction* m_revertAction = nullptr;
    QAction* m_compareAction = nullptr;
    QAction* m_exportAction = nullptr;
    QAction* m_importAction = nullptr;
    QPointer<CompareDialog> m_compareDialog;
};

} // namespace kvl::fltpatch
