// The main window: menus, toolbar, status bar with the lock-key indicators,
// the options panel docked on the left, and the OpenGL view in the middle.
// It is the document's window host (Qt's message boxes and file dialogs)
// unless it is given another one.
#pragma once

#include "common/windowhost.h"
#include "modelview/modeldocument.h"
#include "modelview/recentfiles.h"

#include <QMainWindow>

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

// objectName "CMainFrame"
class ModelViewWindow : public QMainWindow, public WindowHost {
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
    /// The action with the given command name (e.g. "ID_FILE_OPEN").
    QAction* command(const QString& name) const;

    /// The About box, built but not shown.
    std::unique_ptr<QMessageBox> makeAboutBox();

    MessageAnswer showMessage(const Message& message, MessageButtons buttons = MessageButtons::Ok) override;
    std::filesystem::path chooseFile(const FileDialogRequest& request) override;

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
    void onOpen();
    void onSaveAs();
    void onAbout();
    void updateRecentMenu();
    void updateCommands();
    void refreshIndicators();
    void updateStatus();
    void onControls();

    ModelDocument m_doc;
    RecentFileList m_recent;
    ModelView* m_view = nullptr;
    SoftwareModelView* m_software = nullptr;
    ViewController* m_control = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_notePane = nullptr;
    ViewOptionsPanel* m_options = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentEmpty = nullptr;
    QAction* m_recentActions[RecentFileList::kSize] = {};
    QLabel* m_indicators[3] = {};
    QString m_pending;
};

/// Builds the main window and starts it with `file` (see ModelViewWindow::start),
/// as the program does at start-up.
std::unique_ptr<ModelViewWindow> startModelview(const QString& file, WindowHost* host = nullptr);

} // namespace kvl::modelview
