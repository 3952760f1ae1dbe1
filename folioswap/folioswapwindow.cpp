// The window of the campaign set switcher.
#include "folioswap/folioswapwindow.h"

#include "common/qt/accessibletext.h"
#include "common/qt/qtwindowhost.h"
#include "common/textdecode.h"
#include "folioswap/addsetdialog.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <utility>

namespace kvl::folioswap {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text());
    return button;
}

// What the picture box says until a set with a picture is chosen, and for a
// set that has none.
constexpr const char* kPictureHint = "Choose a campaign in the list to see its picture and notes.";
constexpr const char* kNoPictureHint = "This campaign has no picture.";

QAction* makeAction(QWidget* parent, const char* name, const char* caption, const QKeySequence& keys)
{
    auto* action = new QAction(QString::fromUtf8(caption), parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setToolTip(
        action->text() + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText) + QStringLiteral(")"));
    return action;
}

} // namespace

WindowSwitcherHost::WindowSwitcherHost(QWidget* parent, kvl::WindowHost* dialogs)
    : m_parent(parent),
      m_qtDialogs(parent),
      m_dialogs(dialogs ? *dialogs : m_qtDialogs)
{
}

WindowSwitcherHost::~WindowSwitcherHost()
{
    while (m_busyDepth > 0)
        setBusy(false);
}

kvl::MessageAnswer WindowSwitcherHost::showMessage(const kvl::Message& message, kvl::MessageButtons buttons)
{
    return m_dialogs.showMessage(message, buttons);
}

// The switcher asks for no file; the seam offers it all the same.
std::filesystem::path WindowSwitcherHost::chooseFile(const kvl::FileDialogRequest& request)
{
    return m_dialogs.chooseFile(request);
}

void WindowSwitcherHost::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

bool WindowSwitcherHost::showPicture(const std::vector<std::uint8_t>& bytes)
{
    QImage image;
    if (bytes.empty()
        || !image.loadFromData(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX))))
        return false;
    m_picture = QPixmap::fromImage(image);
    return true;
}

void WindowSwitcherHost::clearPicture()
{
    m_picture = QPixmap();
}

void WindowSwitcherHost::quit()
{
    m_quit = true;
}

std::optional<std::string> WindowSwitcherHost::confirmNewSet(const NewSetProposal& proposal)
{
    if (auto* switcherHost = dynamic_cast<SwitcherHost*>(&m_dialogs))
        return switcherHost->confirmNewSet(proposal);
    return AddSetDialog::ask(proposal, m_parent);
}

std::optional<QPixmap> WindowSwitcherHost::takePicture()
{
    return std::exchange(m_picture, std::nullopt);
}

FolioSwapWindow::FolioSwapWindow(kvl::WindowHost* dialogs, QWidget* parent)
    : QWidget(parent),
      m_host(this, dialogs),
      m_switcher(m_host)
{
    setObjectName(QStringLiteral("FRM_Borvex"));
    setWindowTitle(QString::fromLatin1(kTitle));

    m_setsLabel = new QLabel(QStringLiteral("Campaigns Available"), this);
    m_setsLabel->setObjectName(QStringLiteral("LBL_campaignsavail"));
    m_setList = new QListWidget(this);
    m_setList->setObjectName(QStringLiteral("LST_available"));
    m_setList->setAccessibleName(m_setsLabel->text());
    // Set names can be long: the list is wide enough for most, and every
    // entry shows its whole name as a tooltip.
    m_setList->setMinimumWidth(260);
    m_setList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_setList->setTextElideMode(Qt::ElideMiddle);
    m_setsLabel->setBuddy(m_setList);

    m_loadedLabel = new QLabel(QStringLiteral("Last Campaign Loaded:"), this);
    m_loadedLabel->setObjectName(QStringLiteral("LBL_curr"));
    m_loadedBox = new QLineEdit(this);
    m_loadedBox->setObjectName(QStringLiteral("TXT_current"));
    m_loadedBox->setReadOnly(true);
    m_loadedBox->setEnabled(false);
    m_loadedBox->setAccessibleName(m_loadedLabel->text());
    // Shown as text on the window's background, not as a field to type in.
    m_loadedBox->setFrame(false);
    m_loadedBox->setFocusPolicy(Qt::NoFocus);
    QPalette readOnly = m_loadedBox->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    m_loadedBox->setPalette(readOnly);
    m_loadedLabel->setBuddy(m_loadedBox);

    m_textBox = new QPlainTextEdit(this);
    m_textBox->setObjectName(QStringLiteral("TXT_campaigncomments"));
    m_textBox->setReadOnly(true);
    m_textBox->setEnabled(false);
    m_textBox->setAccessibleName(QStringLiteral("Campaign comments"));

    m_pictureBox = new QLabel(this);
    m_pictureBox->setObjectName(QStringLiteral("IMG_main"));
    m_pictureBox->setAccessibleName(QStringLiteral("Campaign picture"));
    m_pictureBox->setAlignment(Qt::AlignCenter);
    m_pictureBox->setMinimumSize(360, 270);
    m_pictureBox->setFrameShape(QFrame::Panel);
    m_pictureBox->setFrameShadow(QFrame::Sunken);
    m_pictureBox->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_pictureBox->setWordWrap(true);
    qt::setLabelText(m_pictureBox, QString::fromUtf8(kPictureHint));

    m_loadButton = makeButton(this, "CMD_load", "Load Selected Campaign");
    m_previewButton = makeButton(this, "CMD_preview", "Preview");
    m_previewButton->setToolTip(QStringLiteral("List what Load, Unload and Restore would do for the chosen "
                                               "campaign, without changing anything"));
    m_checkButton = makeButton(this, "CMD_check", "Check Game Folder");
    m_checkButton->setToolTip(QStringLiteral("Compare the game folder with the loaded campaign"));
    m_unloadButton = makeButton(this, "CMD_unload", "Unload Selected Campaign");
    m_restoreButton = makeButton(this, "CMD_resore", "Restore QEX Files");
    m_setReadMeButton = makeButton(this, "CMD_View_CampReadMe", "View Selected Campaign ReadMe");
    m_programReadMeButton = makeButton(this, "CMD_View_ReadMe", "View Borvex ReadMe");
    m_usageNotesButton = makeButton(this, "CMD_View_Usage_Notes", "View Campaign Usage Notes (General)");
    m_exitButton = makeButton(this, "CMD_exit", "Exit");

    // Add Set takes an archive or a folder: its button opens a menu of the
    // two; both, and Remove Set, are also in the list's context menu.
    m_addArchiveAction = makeAction(this, "ACT_addsetarchive", "Add Set from &Archive...", QKeySequence::New);
    m_addFolderAction = makeAction(
        this, "ACT_addsetfolder", "Add Set from &Folder...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    m_removeSetAction = makeAction(this, "ACT_removeset", "&Remove Set...", QKeySequence::Delete);
    addAction(m_addArchiveAction);
    addAction(m_addFolderAction);
    m_addSetButton = makeButton(this, "CMD_addset", "Add Set...");
    m_addSetButton->setToolTip(QStringLiteral("Make a new campaign set from an archive (%1) or a folder (%2); "
                                              "you see what it holds before anything is written")
                                   .arg(m_addArchiveAction->shortcut().toString(QKeySequence::NativeText),
                                       m_addFolderAction->shortcut().toString(QKeySequence::NativeText)));
    auto* addMenu = new QMenu(m_addSetButton);
    addMenu->setObjectName(QStringLiteral("MNU_addset"));
    addMenu->addAction(m_addArchiveAction);
    addMenu->addAction(m_addFolderAction);
    m_addSetButton->setMenu(addMenu);
    m_removeSetButton = makeButton(this, "CMD_removeset", "Remove Set...");
    m_removeSetButton->setToolTip(QStringLiteral("Move the chosen campaign (not the loaded one) into "
                                                 "Workfiles/Removed (%1 in the list)")
                                      .arg(m_removeSetAction->shortcut().toString(QKeySequence::NativeText)));
    // Delete removes only while the list has the focus.
    m_removeSetAction->setShortcutContext(Qt::WidgetShortcut);
    m_setList->addAction(m_addArchiveAction);
    m_setList->addAction(m_addFolderAction);
    m_setList->addAction(m_removeSetAction);
    m_setList->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_aboutLabel = new QLabel(QStringLiteral("Borvex\nVersion 1.5\nSee Read Me for instructions"), this);
    m_aboutLabel->setObjectName(QStringLiteral("lbl_test"));
    m_aboutLabel->setAccessibleName(m_aboutLabel->text());
    m_aboutLabel->setAlignment(Qt::AlignCenter);

    auto* left = new QVBoxLayout;
    left->addWidget(m_setsLabel);
    left->addWidget(m_setList, 1);
    left->addWidget(m_loadedLabel);
    left->addWidget(m_loadedBox);
    left->addSpacing(8);
    left->addWidget(m_aboutLabel);

    auto* buttons = new QVBoxLayout;
    auto* loadRow = new QHBoxLayout;
    loadRow->addWidget(m_loadButton, 1);
    loadRow->addWidget(m_previewButton);
    buttons->addLayout(loadRow);
    for (QPushButton* button : { m_unloadButton, m_restoreButton, m_checkButton, m_addSetButton, m_removeSetButton,
             m_setReadMeButton, m_programReadMeButton, m_usageNotesButton })
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(m_exitButton);

    auto* grid = new QGridLayout(this);
    grid->addLayout(left, 0, 0, 2, 1);
    grid->addWidget(m_pictureBox, 0, 1);
    grid->addLayout(buttons, 0, 2);
    grid->addWidget(m_textBox, 1, 1, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    resize(1000, 680);

    // An entry counts as clicked whenever the selection moves to it, by mouse
    // or by keyboard, so that the set shown is always the set the buttons act
    // on; a click on the entry that was already selected shows it again
    // (after a read-me, say).
    m_setList->viewport()->installEventFilter(this);
    connect(m_setList, &QListWidget::itemSelectionChanged, this, [this] {
        int row = selectedRow();
        if (row >= 0)
            chooseRow(row);
    });
    connect(m_setList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        int row = m_setList->row(item);
        if (row >= 0 && row == m_rowAtPress)
            chooseRow(row);
    });
    connect(m_loadButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::loadSelected); });
    connect(m_previewButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::previewSelected); });
    connect(m_checkButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::checkGameFolder); });
    connect(m_unloadButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::unloadSelected); });
    connect(m_restoreButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::restoreQexFiles); });
    connect(m_setReadMeButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::viewSetReadMe); });
    connect(m_programReadMeButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::viewProgramReadMe); });
    connect(m_usageNotesButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::viewUsageNotes); });
    connect(m_exitButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::exitProgram); });
    connect(m_removeSetButton, &QPushButton::clicked, this, [this] { run(&SetSwitcher::removeSelected); });
    connect(m_removeSetAction, &QAction::triggered, this, [this] { run(&SetSwitcher::removeSelected); });
    connect(m_addArchiveAction, &QAction::triggered, this, [this] { m_switcher.addSet(SetSourceKind::Archive); });
    connect(m_addFolderAction, &QAction::triggered, this, [this] { m_switcher.addSet(SetSourceKind::Folder); });

    // The one way the window learns that there is something new to show.
    m_switcher.changes().connect([this] { refresh(); });
}

FolioSwapWindow::~FolioSwapWindow()
{
    m_switcher.changes().connect({});
}

bool FolioSwapWindow::start(const std::filesystem::path& mainPath)
{
    m_switcher.start(mainPath);
    // Both boxes come alive once the remembered set is known; after a failed
    // start the window is never shown.
    m_loadedBox->setEnabled(true);
    m_textBox->setEnabled(true);
    return !m_switcher.ended();
}

void FolioSwapWindow::centreOnScreen()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void FolioSwapWindow::run(void (SetSwitcher::*handler)())
{
    (m_switcher.*handler)();
}

void FolioSwapWindow::chooseRow(int row)
{
    m_switcher.chooseSet(static_cast<std::size_t>(row));
}

int FolioSwapWindow::selectedRow() const
{
    const QList<QListWidgetItem*> items = m_setList->selectedItems();
    return items.size() == 1 ? m_setList->row(items.front()) : -1;
}

bool FolioSwapWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_setList->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        m_rowAtPress = selectedRow();
    return QWidget::eventFilter(watched, event);
}

// The list holds the switcher's set names, in its order.
void FolioSwapWindow::refreshList()
{
    const auto& names = m_switcher.setNames();
    bool same = m_setList->count() == static_cast<int>(names.size());
    for (int row = 0; same && row < m_setList->count(); ++row)
        same = m_setList->item(row)->text() == QString::fromStdString(names[static_cast<std::size_t>(row)]);
    if (same)
        return;
    QSignalBlocker quiet(m_setList);
    m_setList->clear();
    for (const auto& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), m_setList);
        item->setToolTip(item->text());
    }
}

void FolioSwapWindow::refresh()
{
    if (std::optional<QPixmap> picture = m_host.takePicture())
        setPicture(*picture);
    refreshList();
    // The entry that looks chosen is the switcher's choice: none at a start
    // with no set loaded and after an unload, the loaded set after a restart.
    const auto& selected = m_switcher.selectedSet();
    int row = -1;
    if (selected && *selected != kNoCampaign) {
        const auto& names = m_switcher.setNames();
        auto found = std::find(names.begin(), names.end(), *selected);
        if (found != names.end())
            row = static_cast<int>(found - names.begin());
    }
    if (row != selectedRow()) {
        QSignalBlocker quiet(m_setList);
        m_setList->clearSelection();
        if (row >= 0) {
            m_setList->setCurrentRow(row);
            m_setList->item(row)->setSelected(true);
        }
    }
    // The read-only boxes are known to a screen reader by their fixed names;
    // what they hold now (the loaded set, a read-me, a Preview or Check
    // report) is also their accessible description.
    const QString loaded = m_switcher.isSetLoaded() ? QString::fromStdString(m_switcher.loadedSet()) : QString();
    m_loadedBox->setText(loaded);
    qt::describeAs(m_loadedBox, loaded);
    QString text = kvl::qt::fromUtf8(kvl::decodeText(m_switcher.shownText()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (m_textBox->toPlainText() != text)
        m_textBox->setPlainText(text);
    qt::describeAs(m_textBox, text);

    // After Exit or a fatal report the program ends, once the event is over.
    if (m_host.quitAsked()) {
        close();
        QCoreApplication::quit();
    }
}

void FolioSwapWindow::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    if (m_picture.isNull()) {
        m_pictureBox->clear();
        const auto& selected = m_switcher.selectedSet();
        const bool setShown = selected && *selected != kNoCampaign;
        qt::setLabelText(m_pictureBox, QString::fromUtf8(setShown ? kNoPictureHint : kPictureHint));
        return;
    }
    // The hint has gone with the picture's arrival; the box's name still
    // says what it holds.
    qt::describeAs(m_pictureBox, QString());
    updatePicture();
}

void FolioSwapWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updatePicture();
}

void FolioSwapWindow::updatePicture()
{
    if (m_picture.isNull())
        return;
    m_pictureBox->setPixmap(
        m_picture.scaled(m_pictureBox->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace kvl::folioswap
