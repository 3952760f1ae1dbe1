// The editor window: a thin layer over AircraftEditor, built from the panels
// of planeseditpanels.h. Each widget signal runs one editor action; once it
// has returned, refresh() shows the editor's state and carries out the view
// requests the action queued. refresh() is the one place the window reads
// the editor, and it never runs while the editor is inside an action: the
// window is the editor's kvl::WindowHost (passing the calls on to a test's
// host when one is given), and its message boxes and file dialogs only show
// and return the answer.
#pragma once

#include "planesedit/aircrafteditor.h"
#include "planesedit/planeseditpanels.h"

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

class PlanesEditWindow : public QWidget, private kvl::WindowHost {
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
    /// requests; run after every editor action has returned. Refused (and
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
    kvl::MessageAnswer showMessage(const kvl::Message& message, kvl::MessageButtons buttons) override;
    std::filesystem::path chooseFile(const kvl::FileDialogRequest& request) override;

    kvl::WindowHost* m_testHost = nullptr;
    int m_hostCalls = 0; // message boxes and file dialogs open now
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
