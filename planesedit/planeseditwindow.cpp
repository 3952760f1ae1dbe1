// The editor window: its layout, its refresh and the editor's dialogs.
#include "planesedit/planeseditwindow.h"
#include "common/platform.h"

#include "planesedit/applydialog.h"
#include "planesedit/comparedialog.h"
#include "planesedit/widgethelpers.h"

#include "common/qt/qtwindowhost.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kvl::planesedit {

namespace {

QPushButton* commandButton(const QString& caption, const QString& objectName)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    return button;
}

} // namespace

std::string statusText(const AircraftEditor& editor)
{
    const StatusReport& s = editor.status();
    const std::string aircraft = s.slot >= 0 && s.slot < kSlotCount
        ? "slot " + std::to_string(s.slot) + " (" + kSlotNames[static_cast<std::size_t>(s.slot)] + ")"
        : std::string();
    const std::string values = std::to_string(s.count) + (s.count == 1 ? " value" : " values");
    switch (s.kind) {
    case StatusReport::Kind::None:
        return {};
    case StatusReport::Kind::Saved:
        return "Saved " + aircraft + " to planes.dat.";
    case StatusReport::Kind::Undone:
        return "Undone one edit of " + aircraft + ".";
    case StatusReport::Kind::Redone:
        return "Redone one edit of " + aircraft + ".";
    case StatusReport::Kind::Copied:
        return "Copied " + values + " into " + aircraft + "; not saved yet.";
    case StatusReport::Kind::Imported:
        return "Imported " + values + " from " + kvl::platform::utf8FromPath(s.file.filename()) + " into " + aircraft
            + "; not saved yet.";
    case StatusReport::Kind::Exported:
        return "Exported " + aircraft + " to " + kvl::platform::utf8FromPath(s.file.filename()) + ".";
    case StatusReport::Kind::Applied:
        return "Applied " + values + " from " + kvl::platform::utf8FromPath(s.file.filename()) + " to " + aircraft
            + "; not saved yet.";
    }
    return {};
}

EditorDialogs::EditorDialogs(QWidget* parent, kvl::WindowHost* testHost)
    : m_qtDialogs(parent),
      m_host(testHost ? *testHost : static_cast<kvl::WindowHost&>(m_qtDialogs))
{
}

kvl::MessageAnswer EditorDialogs::showMessage(const kvl::Message& message, kvl::MessageButtons buttons)
{
    ++m_open;
    const kvl::MessageAnswer answer = m_host.showMessage(message, buttons);
    --m_open;
    return answer;
}

std::filesystem::path EditorDialogs::chooseFile(const kvl::FileDialogRequest& request)
{
    ++m_open;
    auto path = m_host.chooseFile(request);
    --m_open;
    return path;
}

PlanesEditWindow::PlanesEditWindow(const std::filesystem::path& folder, kvl::WindowHost* host, QWidget* parent)
    : QWidget(parent),
      m_dialogs(this, host)
{
    setObjectName(QStringLiteral("Pelmora")); // the form's name
    setWindowTitle(QStringLiteral("planesedit - planes.dat"));
    m_editor = std::make_unique<AircraftEditor>(folder, m_dialogs);
    m_router = new ActionRouter(*m_editor, this);
    ActionRouter& router = *m_router;

    m_grid.emplace(router);
    m_flags.emplace(router);
    m_numbers.emplace(router);

    auto* save = commandButton(QStringLiteral("Save planes.dat"), QStringLiteral("Command3"));
    connect(save, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.savePlanes(); }); });
    auto* damage = commandButton(
        QStringLiteral("Move to the top of the damage byte section"), QStringLiteral("Command1"));
    connect(damage, &QPushButton::clicked, this,
        [&router] { router.run([](AircraftEditor& e) { e.fieldClicked(ClickField::DamageButton); }); });
    auto* script = commandButton(QStringLiteral("Save Script"), QStringLiteral("Command2"));
    connect(
        script, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.openScriptMaker(); }); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(damage);
    buttons->addWidget(script);
    buttons->addStretch(1);
    m_guns.emplace(router, buttons);
    m_scriptMaker.emplace(router);

    m_aircraft = slotList(QStringLiteral("List1"));
    m_aircraft->setAccessibleName(QStringLiteral("Aircraft"));
    connect(m_aircraft, &QListWidget::itemSelectionChanged, this, [this, &router] {
        const int row = chosenRow(m_aircraft);
        if (row < 0 || router.refreshing())
            return;
        // Until the load is done (and behind its save prompt) the list names
        // the aircraft shown; refresh() moves it on.
        {
            QSignalBlocker block(m_aircraft);
            m_aircraft->setCurrentRow(m_editor->slot());
        }
        router.run([row](AircraftEditor& e) { e.chooseAircraft(row); });
    });
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(captionFor(QStringLiteral("Aircraft"), m_aircraft));
    listColumn->addWidget(m_aircraft, 1);

    // Grid at the top left with the working-copy label to its left; flags and
    // numbers along the top right; aircraft list, gun groups, buttons and the
    // script maker below them.
    auto* lower = new QHBoxLayout;
    lower->addLayout(listColumn);
    lower->addWidget(m_guns->widget(), 1);
    // The script maker has a window of its own beside the form, so the form
    // fits a 1280-pixel screen with it open.
    m_scriptWindow = new QDialog(this);
    m_scriptWindow->setObjectName(QStringLiteral("ScriptMakerWindow"));
    m_scriptWindow->setWindowTitle(QStringLiteral("Script Maker"));
    auto* scriptLayout = new QVBoxLayout(m_scriptWindow);
    scriptLayout->addWidget(m_scriptMaker->widget());
    connect(m_scriptWindow, &QDialog::rejected, this,
        [&router] { router.run([](AircraftEditor& e) { e.scriptMaker().cancel(); }); });
    auto* right = new QVBoxLayout;
    right->addWidget(m_flags->widget());
    right->addWidget(m_numbers->widget());
    right->addLayout(lower, 1);
    auto* labelColumn = new QVBoxLayout;
    labelColumn->addWidget(m_grid->workingCopyLabel());
    labelColumn->addStretch(1);
    // Undo, redo, compare, export and import, with the status line.
    m_undo = commandButton(QStringLiteral("Undo"), QStringLiteral("UndoButton"));
    m_redo = commandButton(QStringLiteral("Redo"), QStringLiteral("RedoButton"));
    m_compare = commandButton(QStringLiteral("Compare with..."), QStringLiteral("CompareButton"));
    m_export = commandButton(QStringLiteral("Export CSV..."), QStringLiteral("ExportCsvButton"));
    m_import = commandButton(QStringLiteral("Import CSV..."), QStringLiteral("ImportCsvButton"));
    m_applyScript = commandButton(QStringLiteral("Apply Script..."), QStringLiteral("ApplyScriptButton"));
    m_openWorkingCopy = commandButton(QStringLiteral("Open Working Copy..."), QStringLiteral("OpenWorkingCopyButton"));
    m_undo->setToolTip(QStringLiteral("Undo (Ctrl+Z)"));
    m_applyScript->setToolTip(QStringLiteral("Apply an aircraft script to an aircraft (Ctrl+I)"));
    m_openWorkingCopy->setToolTip(QStringLiteral("Put a working copy's values back into an aircraft (Ctrl+O)"));
    m_redo->setToolTip(QStringLiteral("Redo (Ctrl+Shift+Z, Ctrl+Y)"));
    connect(m_undo, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.undo(); }); });
    connect(m_redo, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.redo(); }); });
    connect(m_compare, &QPushButton::clicked, this, [this] { openCompare(); });
    connect(
        m_export, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.exportCsvFile(); }); });
    connect(
        m_import, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.importCsvFile(); }); });
    connect(m_applyScript, &QPushButton::clicked, this, [this] { openValuesFile(ValuesFileKind::Script); });
    connect(m_openWorkingCopy, &QPushButton::clicked, this, [this] { openValuesFile(ValuesFileKind::WorkingCopy); });
    const auto addShortcut = [this](const QKeySequence& keys, QPushButton* button) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), m_undo);
    addShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), m_redo);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), m_redo);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("StatusLine"));
    m_status->setAccessibleName(QStringLiteral("Status"));
    auto* editBar = new QHBoxLayout;
    for (QPushButton* b : { m_undo, m_redo, m_compare, m_export, m_import, m_applyScript, m_openWorkingCopy })
        editBar->addWidget(b);
    editBar->addWidget(m_status, 1);
    right->insertLayout(0, editBar);

    // Everything scrolls when the screen is smaller than the form.
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("FormContent"));
    auto* top = new QHBoxLayout(content);
    top->addLayout(labelColumn);
    top->addLayout(m_grid->gridColumn());
    top->addLayout(right, 1);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("FormScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setMenuBar(buildMenus());
    outer->addWidget(scroll);

    // The record's typed fields leave the undo keys to the record's history;
    // the script maker's texts keep their own.
    for (QWidget* panel : { m_flags->widget(), m_numbers->widget(), m_guns->widget() })
        for (QLineEdit* edit : panel->findChildren<QLineEdit*>())
            router.leaveUndoKeysToTheWindow(edit);
    // The one way the window learns that there is something new to show.
    m_editor->changes().connect([this] { refresh(); });
    refresh();
}

// The menu holds what comes into the aircraft from a file of the editor's
// own, with the keys that reach it from anywhere in the window.
QMenuBar* PlanesEditWindow::buildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setAccessibleName(QStringLiteral("Menu bar"));
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    file->setAccessibleName(QStringLiteral("File"));
    m_applyScriptAction = file->addAction(QStringLiteral("Apply Script..."));
    m_applyScriptAction->setObjectName(QStringLiteral("ApplyScriptAction"));
    m_applyScriptAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(m_applyScriptAction, &QAction::triggered, this, [this] { openValuesFile(ValuesFileKind::Script); });
    m_openWorkingCopyAction = file->addAction(QStringLiteral("Open Working Copy..."));
    m_openWorkingCopyAction->setObjectName(QStringLiteral("OpenWorkingCopyAction"));
    m_openWorkingCopyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(
        m_openWorkingCopyAction, &QAction::triggered, this, [this] { openValuesFile(ValuesFileKind::WorkingCopy); });
    return bar;
}

ApplyDialog* PlanesEditWindow::openValuesFile(ValuesFileKind kind)
{
    if (!m_editor->loaded())
        return nullptr;
    std::optional<ApplyProposal> proposal;
    m_router->run([&](AircraftEditor& e) { proposal = e.chooseValuesFile(kind); });
    if (!proposal)
        return nullptr;
    auto* dialog = new ApplyDialog(*m_router, std::move(*proposal), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

CompareDialog* PlanesEditWindow::openCompare()
{
    if (!m_editor->loaded())
        return nullptr;
    if (!m_compareDialog)
        m_compareDialog = new CompareDialog(*m_router, this);
    m_compareDialog->refresh();
    m_compareDialog->show();
    m_compareDialog->raise();
    return m_compareDialog;
}

PlanesEditWindow::~PlanesEditWindow()
{
    m_editor->changes().connect({});
}

bool PlanesEditWindow::chooseAircraft(int slot)
{
    return m_editor->chooseAircraft(slot);
}

void PlanesEditWindow::refresh()
{
    if (m_dialogs.open()) {
        // The editor is inside an operation, waiting for an answer: its
        // state may be half-way. The notification at its end shows it.
        ++m_refreshesInsideHostCalls;
        return;
    }
    m_router->setRefreshing(true);
    const AircraftEditor& editor = *m_editor;
    m_grid->show(editor);
    {
        // A failed load leaves the list on the aircraft shown so far.
        QSignalBlocker block(m_aircraft);
        if (m_aircraft->currentRow() != editor.slot())
            m_aircraft->setCurrentRow(editor.slot());
    }
    m_flags->show(editor);
    m_numbers->show(editor);
    m_guns->show(editor);
    m_scriptMaker->show(editor);
    if (m_scriptWindow->isVisible() != editor.scriptMaker().state().visible)
        m_scriptWindow->setVisible(editor.scriptMaker().state().visible);
    for (const ViewRequest& request : m_editor->takeViewRequests())
        m_grid->carryOut(request);
    m_undo->setEnabled(editor.canUndo());
    m_redo->setEnabled(editor.canRedo());
    for (QPushButton* b : { m_compare, m_export, m_import, m_applyScript, m_openWorkingCopy })
        b->setEnabled(editor.loaded());
    m_applyScriptAction->setEnabled(editor.loaded());
    m_openWorkingCopyAction->setEnabled(editor.loaded());
    setLabel(m_status, statusText(editor));
    if (m_compareDialog && m_compareDialog->isVisible())
        m_compareDialog->refresh();
    m_router->setRefreshing(false);
}

void PlanesEditWindow::closeEvent(QCloseEvent* event)
{
    m_editor->close(); // the prompt never cancels the closing
    event->accept();
}

} // namespace kvl::planesedit
