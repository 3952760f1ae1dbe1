// The editor window: a thin layer over AircraftEditor, built from the panels
// of planeseditpanels.h. Each widget signal runs one editor operation; when
// the editor's change notifier says the operation has ended, refresh() shows
// the editor's state and carries out the view requests the operation queued.
// refresh() is the one place the window reads the editor. The editor's
// kvl::WindowHost is not the window but an EditorDialogs (Qt's boxes and
// dialogs, or a test's host), which only shows and returns the answer.
#pragma once

#include "planesedit/aircrafteditor.h"
#include "planesedit/planeseditpanels.h"

#include "common/qt/qtwindowhost.h"
#include "common/windowhost.h"

#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QLabel;
class QListWidget;
class QMenuBar;
class QPushButton;

namespace kvl::planesedit {

class ApplyDialog;
class CompareDialog;

/// What the status line says about the editor's last reported action.
std::string statusText(const AircraftEditor& editor);

/// The editor's message boxes and file dialogs: Qt's over the window, or a
/// test's host when one is given. Counts the ones open, so that the window
/// can tell a refresh asked for from inside one.
class EditorDialogs : public kvl::WindowHost {
public:
    EditorDialogs(QWidget* parent, kvl::WindowHost* testHost);
    kvl::MessageAnswer showMessage(const kvl::Message& message, kvl::MessageButtons buttons) override;
    std::filesystem::path chooseFile(const kvl::FileDialogRequest& request) override;
    /// True while a box or dialog is open.
    bool open() const { return m_open > 0; }

private:
    kvl::qt::DialogHost m_qtDialogs;
    kvl::WindowHost& m_host;
    int m_open = 0;
};

class PlanesEditWindow : public QWidget {
    Q_OBJECT
public:
    /// `host` (optional) replaces the window's own message boxes, for tests.
    explicit PlanesEditWindow(
        const std::filesystem::path& folder, kvl::WindowHost* host = nullptr, QWidget* parent = nullptr);
    ~PlanesEditWindow() override;

    AircraftEditor& editor() { return *m_editor; }
    /// Chooses aircraft `slot` as the aircraft list does. False when it could
    /// not be read (the user has been told why).
    bool chooseAircraft(int slot);
    /// Shows the editor's state in the widgets and carries out its view
    /// requests: the listener of the editor's change notifier. Refused (and
    /// counted) while a message box or file dialog of the editor is open.
    void refresh();
    /// How often something asked for a refresh from inside a message box or
    /// file dialog the editor had opened: 0 in a window that works one way.
    int refreshesInsideHostCalls() const { return m_refreshesInsideHostCalls; }
    /// "Compare with...": opens the compare dialog on the aircraft shown.
    CompareDialog* openCompare();
    /// "Apply Script..." and "Open Working Copy...": asks for the file and,
    /// once it is read and checked, opens the window that shows what it would
    /// change (nothing when the file dialog was cancelled or the file refused).
    ApplyDialog* openValuesFile(ValuesFileKind kind);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QMenuBar* buildMenus();

    EditorDialogs m_dialogs;
    int m_refreshesInsideHostCalls = 0;
    std::unique_ptr<AircraftEditor> m_editor;
    ActionRouter* m_router = nullptr;
    QListWidget* m_aircraft = nullptr;
    std::optional<GridPanel> m_grid;
    std::optional<FlagPanel> m_flags;
    std::optional<NumberPanel> m_numbers;
    std::optional<GunGroupPanel> m_guns;
    std::optional<ScriptMakerPanel> m_scriptMaker;
    QPushButton* m_undo = nullptr;
    QPushButton* m_redo = nullptr;
    QPushButton* m_compare = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_applyScript = nullptr;
    QPushButton* m_openWorkingCopy = nullptr;
    QAction* m_applyScriptAction = nullptr;
    QAction* m_openWorkingCopyAction = nullptr;
    QLabel* m_status = nullptr;
    CompareDialog* m_compareDialog = nullptr;
    QDialog* m_scriptWindow = nullptr;
};

} // namespace kvl::planesedit
