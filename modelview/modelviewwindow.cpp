// The main window's construction, commands, recent files and drops.
#include "modelview/modelviewwindow.h"

#include "common/qt/accessibletext.h"
#include "common/qt/profilefolder.h"
#include "common/qt/qtwindowhost.h"
#include "modelview/lockkeys.h"
#include "modelview/modelviewwidget.h"
#include "modelview/viewcontroller.h"
#include "modelview/viewoptionspanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QWheelEvent>

namespace kvl::modelview {

namespace {

// The sizing edge between a docked bar and the view is 5 pixels wide.
class FrameStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_DockWidgetSeparatorExtent)
            return DockBar::kSizingEdge;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QAction* makeAction(QObject* parent, const char* name, const QString& text, const QString& prompt)
{
    auto* action = new QAction(text, parent);
    action->setObjectName(QLatin1String(name));
    // A prompt is "status bar text\ntooltip".
    const qsizetype nl = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(nl < 0 ? prompt : prompt.left(nl));
    if (nl >= 0) {
        // The short name after the line break is also what a toolbar button
        // calls itself (its accessible name); left alone, that would be the
        // menu text with its "\tCtrl+O" tail.
        action->setToolTip(prompt.mid(nl + 1));
        action->setIconText(prompt.mid(nl + 1));
    }
    return action;
}

// The note shown where OpenGL cannot be set up.
constexpr const char* kNoOpenGlNote = "No OpenGL: showing the software picture";

} // namespace

const char* const kControlsText = "Mouse:\n"
                                  "  Left drag\tturn the model about its centre\n"
                                  "  Right or middle drag, Shift + left drag\tmove the picture\n"
                                  "  Wheel\tzoom towards the cursor\n"
                                  "  Click\tselect the node, marker or outline under the cursor\n"
                                  "Keyboard (in the picture):\n"
                                  "  Arrows\tturn\n"
                                  "  Shift + arrows\tmove\n"
                                  "  + and -\tzoom\n"
                                  "  Home\tReset View: the camera the file opened with\n"
                                  "  F\tFit: the whole model in the window\n"
                                  "  Escape\tclear the selection\n"
                                  "  Ctrl+C\tcopy the status text\n"
                                  "Turning, moving and zooming change the Perspective picture; "
                                  "the other views always show the whole model.";

ModelViewWindow::ModelViewWindow(WindowHost* host, QWidget* parent, ViewBackend backend)
    : QMainWindow(parent),
      m_qtDialogs(this),
      m_doc(host ? *host : static_cast<WindowHost&>(m_qtDialogs))
{
    // Kept beside the recent-file list, in the viewer's own profile.
    m_doc.setLastFolder(modelviewProfile().lastFolder());
    setObjectName(QStringLiteral("CMainFrame"));
    auto* style = new FrameStyle;
    style->setParent(this);
    setStyle(style);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);

    // The OpenGL view cannot be drawn without OpenGL; where no context can be
    // made the software picture stands in.
    if (backend == ViewBackend::Detect && openGlAvailable()) {
        m_view = new ModelView(&m_doc, this);
        m_control = m_view->controller();
        setCentralWidget(m_view);
        connect(m_view, &ModelView::glReady, this, &ModelViewWindow::openPending, Qt::QueuedConnection);
    } else {
        m_software = new SoftwareModelView(&m_doc, this);
        m_control = m_software->controller();
        setCentralWidget(m_software);
    }
    connect(m_control, &ViewController::selectionChanged, this, &ModelViewWindow::updateStatus);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    m_options = new ViewOptionsPanel(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_options);
    // The view learns what to draw from what the panel sends.
    m_control->setOptions(m_options->options());
    connect(m_options, &ViewOptionsPanel::optionsChanged, m_control, &ViewController::setOptions);
    QAction* toggle = m_options->toggleViewAction();
    m_commands.viewControlBar = toggle;
    toggle->setObjectName(QStringLiteral("ID_VIEW_CONTROLBAR"));
    toggle->setText(QStringLiteral("&Control Bar"));
    toggle->setStatusTip(QStringLiteral("Show or hide the control bar"));
    toggle->setToolTip(QStringLiteral("Toggle ControlBar"));
    menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu"))->addAction(toggle);

    setAcceptDrops(true);
    m_recent.load();
    updateRecentMenu();
    // The one way the window learns that the document has changed.
    m_doc.changes().connect([this] { showDocument(); });
    m_doc.newDocument();
    qApp->installEventFilter(this);
    refreshIndicators();
}

ModelViewWindow::~ModelViewWindow()
{
    m_doc.changes().connect({});
    qApp->removeEventFilter(this);
}

void ModelViewWindow::createActions()
{
    auto add = [this](
                   const char* name, const QString& text, const QString& prompt, const QKeySequence& keys, auto slot) {
        QAction* a = makeAction(this, name, text, prompt);
        if (!keys.isEmpty())
            a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    ModelViewCommands& c = m_commands;
    QAction* a = c.fileNew = add("ID_FILE_NEW", QStringLiteral("&New\tCtrl+N"),
        QStringLiteral("Create a new document\nNew"), QKeySequence(QStringLiteral("Ctrl+N")),
        &ModelViewWindow::newDocument);
    a->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    a = c.fileOpen = add("ID_FILE_OPEN", QStringLiteral("&Open...\tCtrl+O"),
        QStringLiteral("Open an existing document\nOpen"), QKeySequence(QStringLiteral("Ctrl+O")),
        &ModelViewWindow::onOpen);
    a->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    // The viewer never changes a model, so there is never anything to save in
    // place; Save stays disabled and Save As writes an exact copy.
    a = c.fileSave = add("ID_FILE_SAVE", QStringLiteral("&Save\tCtrl+S"),
        QStringLiteral("Save the active document\nSave"), QKeySequence(QStringLiteral("Ctrl+S")), [] {});
    a->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    a->setEnabled(false);
    c.fileSaveAs = add("ID_FILE_SAVE_AS", QStringLiteral("Save &As..."),
        QStringLiteral("Save an exact copy of the active document with a new name\nSave As"), QKeySequence(),
        &ModelViewWindow::onSaveAs);
    c.appExit = add("ID_APP_EXIT", QStringLiteral("E&xit"), QStringLiteral("Quit the application\nExit"),
        QKeySequence(), &QWidget::close);
    a = c.appAbout = add("ID_APP_ABOUT", QStringLiteral("&About modelview..."),
        QStringLiteral("Display program information, version number and copyright\nAbout"), QKeySequence(),
        &ModelViewWindow::onAbout);
    a->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    c.helpControls = add("ID_HELP_CONTROLS", QStringLiteral("&Controls..."),
        QStringLiteral("List the mouse and keyboard controls of the picture\nControls"), QKeySequence(),
        &ModelViewWindow::onControls);

    a = c.viewReset = add("ID_VIEW_RESET", QStringLiteral("&Reset View\tHome"),
        QStringLiteral("Return to the camera the model opened with\nReset View"), QKeySequence(Qt::Key_Home),
        [this] { m_control->resetView(); });
    a->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    a = c.viewFit = add("ID_VIEW_FIT", QStringLiteral("&Fit\tF"), QStringLiteral("Frame the whole model\nFit"),
        QKeySequence(Qt::Key_F), [this] { m_control->fitView(); });
    a->setIcon(style()->standardIcon(QStyle::SP_TitleBarMaxButton));
    c.viewClearSelection = add("ID_VIEW_CLEAR_SELECTION", QStringLiteral("Clear &Selection\tEsc"),
        QStringLiteral("Clear the selection\nClear Selection"), QKeySequence(Qt::Key_Escape),
        [this] { m_control->clearSelection(); });
    c.editCopy = add("ID_EDIT_COPY", QStringLiteral("&Copy Status\tCtrl+C"),
        QStringLiteral("Copy the status text to the clipboard\nCopy"), QKeySequence(QKeySequence::Copy),
        [this] { QGuiApplication::clipboard()->setText(statusText()); });

    c.recentEmpty = makeAction(
        this, "ID_FILE_MRU_EMPTY", QStringLiteral("Recent File"), QStringLiteral("Open this document"));
    c.recentEmpty->setEnabled(false);
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        QAction* r = makeAction(this, "", QString(), QStringLiteral("Open this document"));
        r->setObjectName(QStringLiteral("ID_FILE_MRU_%1").arg(i + 1));
        connect(r, &QAction::triggered, this, [this, i] {
            // A copy: opening reorders the list, which must not change the
            // name being opened under our feet.
            if (i < m_recent.files().size())
                openDocumentFile(QString(m_recent.files().at(i)));
        });
        c.recent[static_cast<std::size_t>(i)] = r;
    }
}

void ModelViewWindow::createMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("FileMenu"));
    m_fileMenu->addAction(m_commands.fileNew);
    m_fileMenu->addAction(m_commands.fileOpen);
    m_fileMenu->addAction(m_commands.fileSave);
    m_fileMenu->addAction(m_commands.fileSaveAs);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_commands.recentEmpty);
    for (QAction* r : m_commands.recent)
        m_fileMenu->addAction(r);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_commands.appExit);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    view->addAction(m_commands.viewReset);
    view->addAction(m_commands.viewFit);
    view->addAction(m_commands.viewClearSelection);
    view->addAction(m_commands.editCopy);
    view->addSeparator();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    help->addAction(m_commands.helpControls);
    help->addAction(m_commands.appAbout);
}

void ModelViewWindow::createToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->addAction(m_commands.fileOpen);
    m_toolBar->addAction(m_commands.fileSave);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_commands.appAbout);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_commands.viewReset);
    m_toolBar->addAction(m_commands.viewFit);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu"));
    QAction* toggle = m_toolBar->toggleViewAction();
    toggle->setObjectName(QStringLiteral("ID_VIEW_TOOLBAR"));
    m_commands.viewToolBar = toggle;
    toggle->setText(QStringLiteral("&Toolbar"));
    toggle->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    view->addAction(toggle);
}

void ModelViewWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_messagePane = new QLabel(QStringLiteral("Ready"), bar);
    m_messagePane->setObjectName(QStringLiteral("MessagePane"));
    m_messagePane->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar->addWidget(m_messagePane, 1);
    m_notePane = new QLabel(bar);
    m_notePane->setObjectName(QStringLiteral("NotePane"));
    bar->addWidget(m_notePane);
    const char* names[3] = { "CAP", "NUM", "SCRL" };
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QLatin1String(names[i]), bar);
        label->setObjectName(QStringLiteral("Indicator%1").arg(QLatin1String(names[i])));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(label);
        m_indicators[i] = label;
    }

    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu"));
    QAction* toggle = makeAction(this, "ID_VIEW_STATUS_BAR", QStringLiteral("&Status Bar"),
        QStringLiteral("Show or hide the status bar\nToggle StatusBar"));
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
    m_commands.viewStatusBar = toggle;
    view->addAction(toggle);
}

void ModelViewWindow::refreshIndicators()
{
    // The indicators read the keyboard's lock lights; without a way to ask
    // they stay shown as labels.
    bool on[3] = { true, true, true };
    readLockKeys(on);
    for (int i = 0; i < 3; ++i)
        m_indicators[i]->setEnabled(on[i]);
}

bool ModelViewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::ApplicationActivate)
        refreshIndicators();
    return QMainWindow::eventFilter(watched, event);
}

QWidget* ModelViewWindow::viewWidget() const
{
    return m_view ? static_cast<QWidget*>(m_view) : static_cast<QWidget*>(m_software);
}

QString ModelViewWindow::statusText() const
{
    return m_messagePane->text();
}

void ModelViewWindow::updateStatus()
{
    const VkmModel* model = m_doc.model();
    const std::optional<Selection>& selection = m_control->selection();
    QString text = QStringLiteral("Ready");
    if (model && selection)
        text = QString::fromStdString(describeSelection(*model, *selection));
    // The panes have no names of their own; a screen reader hears what
    // they show now as their description.
    qt::setLabelText(m_messagePane, text);

    QStringList notes;
    if (!m_view)
        notes << QLatin1String(kNoOpenGlNote);
    if (model && m_doc.saveProblem())
        notes << QStringLiteral("Cannot be saved as VKM: %1").arg(qt::fromUtf8(*m_doc.saveProblem()));
    qt::setLabelText(m_notePane, notes.join(QStringLiteral(" | ")));
    m_notePane->setVisible(!notes.isEmpty());
}

void ModelViewWindow::onControls()
{
    qt::showMessageBox(this, { MessageIcon::Information, "Controls", kControlsText }, MessageButtons::Ok);
}

void ModelViewWindow::openDocumentFile(const QString& path)
{
    if (m_view && !m_view->isGlReady()) {
        // The point sizes come from OpenGL. The view reads them when it is
        // made; should that fail, it has them once its own context exists,
        // and the open waits for that.
        m_pending = path;
        return;
    }
    loadNow(path);
}

void ModelViewWindow::openPending()
{
    if (m_pending.isEmpty() || (m_view && !m_view->isGlReady()))
        return;
    const QString path = m_pending;
    m_pending.clear();
    loadNow(path);
}

void ModelViewWindow::loadNow(const QString& path)
{
    const PointSizeRange sizes = m_view ? m_view->pointSizes() : m_software->pointSizes();
    const bool ok = m_doc.open(qt::toPath(QFileInfo(path).absoluteFilePath()), sizes).ok();
    if (ok)
        m_recent.add(path);
    else
        m_recent.remove(path);
    m_recent.save();
    updateRecentMenu();
    emit documentLoaded(ok);
}

void ModelViewWindow::showDocument()
{
    updateCommands();
    m_control->modelChanged();
    updateStatus();
}

void ModelViewWindow::newDocument()
{
    m_pending.clear();
    m_doc.newDocument();
}

void ModelViewWindow::onOpen()
{
    const std::filesystem::path path = m_doc.chooseFileToOpen();
    if (!path.empty())
        openDocumentFile(qt::toQString(path));
}

void ModelViewWindow::onSaveAs()
{
    m_doc.saveAs();
}

std::unique_ptr<QMessageBox> ModelViewWindow::makeAboutBox()
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("About modelview"),
        QStringLiteral("modelview Version 1.0"), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("AboutBox"));
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    return box;
}

void ModelViewWindow::onAbout()
{
    makeAboutBox()->exec();
}

void ModelViewWindow::updateRecentMenu()
{
    const QStringList& files = m_recent.files();
    m_commands.recentEmpty->setVisible(files.isEmpty());
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        QAction* r = m_commands.recent[static_cast<std::size_t>(i)];
        if (i < files.size()) {
            QString shown = QDir::toNativeSeparators(files.at(i));
            shown.replace(QLatin1Char('&'), QLatin1String("&&"));
            r->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            r->setVisible(true);
        } else {
            r->setVisible(false);
        }
    }
}

void ModelViewWindow::updateCommands()
{
    setWindowTitle(QString::fromStdString(m_doc.windowTitle()));
    m_commands.fileSaveAs->setEnabled(m_doc.model() != nullptr);
}

void ModelViewWindow::wheelEvent(QWheelEvent* event)
{
    event->accept(); // the frame does nothing with the wheel
}

void ModelViewWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void ModelViewWindow::dropEvent(QDropEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile())
        return;
    event->acceptProposedAction();
    activateWindow();
    openDocumentFile(mime->urls().first().toLocalFile());
}

void ModelViewWindow::start(const QString& file)
{
    // Where no window manager maximises windows the frame still fills the
    // screen's free area.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
    // Nothing has been drawn yet: opened now, the file is in the first frame
    // (and a message about a bad one comes over the window).
    if (!file.isEmpty())
        openDocumentFile(file);
}

std::unique_ptr<ModelViewWindow> startModelview(const QString& file, WindowHost* host)
{
    auto window = std::make_unique<ModelViewWindow>(host);
    window->start(file);
    return window;
}

} // namespace kvl::modelview
