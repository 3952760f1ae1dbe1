// The main window: menus, toolbar, status bar with the lock-key indicators,
// the options panel docked on the left, and the OpenGL view in the middle.
// The document's message boxes and file dialogs are Qt's unless the window
// is given another host; the window shows the document whenever the
// document's change notification says so.
#pragma once

#include "common/qt/qtwindowhost.h"
#include "common/windowhost.h"
#include "modelview/modeldocument.h"
#include "modelview/recentfiles.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QMessageBox;
class QToolBar;

namespace kvl::modelview {

class ModelView;
class SoftwareModelView;
class ViewController;
class ViewOptionsPanel;

/// Which view the window shows: the OpenGL view when a context can be made
/// (Detect), or the software picture regardless.
enum class ViewBackend { Detect, Software };

/// The text of Help > Controls.
extern const char* const kControlsText;

/// The window's commands. Each keeps its ID_ command name (beside it) as its
/// objectName, by which scripts and accessibility tools find it.
struct ModelViewCommands {
    QAction* fileNew = nullptr;                            // ID_FILE_NEW
    QAction* fileOpen = nullptr;                           // ID_FILE_OPEN
    QAction* fileSave = nullptr;                           // ID_FILE_SAVE
    QAction* fileSaveAs = nullptr;                         // ID_FILE_SAVE_AS
    QAction* appExit = nullptr;                            // ID_APP_EXIT
    QAction* appAbout = nullptr;                           // ID_APP_ABOUT
    QAction* helpControls = nullptr;                       // ID_HELP_CONTROLS
    QAction* viewReset = nullptr;                          // ID_VIEW_RESET
    QAction* viewFit = nullptr;                            // ID_VIEW_FIT
    QAction* viewClearSelection = nullptr;                 // ID_VIEW_CLEAR_SELECTION
    QAction* editCopy = nullptr;                           // ID_EDIT_COPY
    QAction* viewControlBar = nullptr;                     // ID_VIEW_CONTROLBAR
    QAction* viewToolBar = nullptr;                        // ID_VIEW_TOOLBAR
    QAction* viewStatusBar = nullptr;                      // ID_VIEW_STATUS_BAR
    QAction* recentEmpty = nullptr;                        // ID_FILE_MRU_EMPTY
    std::array<QAction*, RecentFileList::kSize> recent {}; // ID_FILE_MRU_1 ...
};

// objectName "CMainFrame"
class ModelViewWindow : public QMainWindow {
    Q_OBJECT
public:
    /// `host` answers the document's message boxes and file dialogs; null
    /// means the window's own Qt dialogs.
    explicit ModelViewWindow(
        WindowHost* host = nullptr, QWidget* parent = nullptr, ViewBackend backend = ViewBackend::Detect);
    ~ModelViewWindow() override;

    /// Opens `path` as the document (command line, drop, recent list, File
    /// Open). Until the OpenGL view knows its point sizes the request waits.
    void openDocumentFile(const QString& path);
    /// Opens a file whose open waited for the view's point sizes.
    void openPending();
    /// Start-up: fills the screen's free area, shows the window maximised and
    /// opens `file` unless it is empty, before the first frame is drawn.
    void start(const QString& file);
    /// File New.
    void newDocument();

    const ModelDocument& document() const { return m_doc; }
    /// The OpenGL view, or null when the window shows the software picture.
    ModelView* view() const { return m_view; }
    /// The software view, or null when the window has OpenGL.
    SoftwareModelView* softwareView() const { return m_software; }
    /// Whichever of the two is shown.
    QWidget* viewWidget() const;
    ViewController* viewController() const { return m_control; }
    /// The status bar's message pane: "Ready" or the selection.
    QString statusText() const;
    ViewOptionsPanel* optionsBar() const { return m_options; }
    QToolBar* toolBar() const { return m_toolBar; }
    const RecentFileList& recentFiles() const { return m_recent; }
    const ModelViewCommands& commands() const { return m_commands; }

    /// The About box, built but not shown.
    std::unique_ptr<QMessageBox> makeAboutBox();

signals:
    /// A load finished (successfully or not).
    void documentLoaded(bool ok);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void loadNow(const QString& path);
    void showDocument();
    void onOpen();
    void onSaveAs();
    void onAbout();
    void updateRecentMenu();
    void updateCommands();
    void refreshIndicators();
    void updateStatus();
    void onControls();

    qt::DialogHost m_qtDialogs;
    ModelDocument m_doc;
    RecentFileList m_recent;
    ModelViewCommands m_commands;
    ModelView* m_view = nullptr;
    SoftwareModelView* m_software = nullptr;
    ViewController* m_control = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_notePane = nullptr;
    ViewOptionsPanel* m_options = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QLabel* m_indicators[3] = {};
    QString m_pending;
};

/// Builds the main window and starts it with `file` (see ModelViewWindow::start),
/// as the program does at start-up.
std::unique_ptr<ModelViewWindow> startModelview(const QString& file, WindowHost* host = nullptr);

} // namespace kvl::modelview
