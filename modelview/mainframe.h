// The main window: menus, toolbar, status bar with the lock-key indicators,
// the options panel docked on the left, and the OpenGL view in the middle.
#pragma once

#include "modelview/recentfiles.h"
#include "modelview/vkmdoc.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QMessageBox;
class QToolBar;

namespace kvl::modelview {

class CVKMStudioView;
class CViewOptionsBar;

class CMainFrame : public QMainWindow, private DocPrompts {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    /// Opens `path` as the document (command line, drop, recent list, File
    /// Open). Until the view's rendering context exists the request waits.
    void openDocumentFile(const QString& path);
    /// Opens a file whose open waited for the view (call once shown).
    void openPending();
    /// File New.
    void newDocument();

    const CVKMStudioDoc& document() const { return m_doc; }
    CVKMStudioView* view() const { return m_view; }
    CViewOptionsBar* optionsBar() const { return m_options; }
    QToolBar* toolBar() const { return m_toolBar; }
    const RecentFileList& recentFiles() const { return m_recent; }
    /// The action with the given command name (e.g. "ID_FILE_OPEN").
    QAction* command(const QString& name) const;

    /// Replaces the error message box (tests watch the messages this way).
    void setErrorHandler(std::function<void(const QString& text, const QString& caption)> handler);

    /// The About box, built but not shown.
    std::unique_ptr<QMessageBox> makeAboutBox();
    /// The File Open dialog, built but not shown.
    std::unique_ptr<QFileDialog> makeOpenDialog();

signals:
    /// A load finished (successfully or not).
    void documentLoaded(bool ok);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void error(const std::string& text, const std::string& caption) override;

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

    CVKMStudioDoc m_doc;
    RecentFileList m_recent;
    CVKMStudioView* m_view = nullptr;
    CViewOptionsBar* m_options = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentEmpty = nullptr;
    QAction* m_recentActions[RecentFileList::kSize] = {};
    QLabel* m_indicators[3] = {};
    QString m_pending;
    std::function<void(const QString&, const QString&)> m_errorHandler;
};

/// Builds the main frame, shows it maximised and opens the file named first
/// on the command line (`args` without the program name), as the program does
/// at start-up. `errors`, when given, replaces the error message box.
std::unique_ptr<CMainFrame> startModelview(
    const QStringList& args, std::function<void(const QString&, const QString&)> errors = {});

} // namespace kvl::modelview
