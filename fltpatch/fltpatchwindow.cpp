// The flight editor's window.
#include "fltpatch/fltpatchwindow.h"
#include "common/platform.h"

#include "common/qt/accessibletext.h"
#include "common/qt/profilefolder.h"
#include "common/qt/qtwindowhost.h"

#include <QAction>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <string>

namespace kvl::fltpatch {

namespace {

// The columns of the field table "G1": number, position and type are there
// for the editor's own use and hidden; description and value show.
enum Column { NumberColumn, PositionColumn, TypeColumn, DescriptionColumn, ValueColumn, ColumnCount };

// The flight file grid measures its columns in twips, 15 to a pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int kColumnTwips[ColumnCount] = { 0, 0, 0, 4800, 1440 };

const char* const kValueEditCaption = "Hit 'Enter' when you have edited the value ==>>";

QString text(const std::string& utf8)
{
    return qt::fromUtf8(utf8);
}

void setTextIfChanged(QTableWidgetItem* item, const QString& value)
{
    if (item->text() != value)
        item->setText(value);
}

} // namespace

FltPatchWindow::FltPatchWindow(WindowHost* host, QWidget* parent)
    : QWidget(parent),
      m_qtDialogs(this),
      m_editor(std::make_unique<FlightModelEditor>(host ? *host : static_cast<WindowHost&>(m_qtDialogs)))
{
    m_editor->setLastFolder(qt::Profile::ofSuite(QStringLiteral("fltpatch")).lastFolder());
    buildWidgets();
    buildMenus();
    connectWidgets();
    // The one way the window learns that there is something new to show.
    m_editor->changes().connect([this] { sync(); });
    sync();
}

FltPatchWindow::~FltPatchWindow()
{
    m_editor->changes().connect({});
}

void FltPatchWindow::buildWidgets()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kEditorTitle));

    m_fieldTable = new QTableWidget(kFieldCount, ColumnCount, this);
    m_fieldTable->setObjectName(QStringLiteral("G1"));
    m_fieldTable->setAccessibleName(QStringLiteral("Fields of the flight file"));
    m_fieldTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fieldTable->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_fieldTable->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_fieldTable->verticalHeader()->setVisible(false);
    m_fieldTable->verticalHeader()->setDefaultSectionSize(m_fieldTable->fontMetrics().height() + 6);
    m_fieldTable->setWordWrap(false);
    const char* const headings[ColumnCount] = { "Field", "Position", "Type", "Description", "Value" };
    for (int column = 0; column < ColumnCount; ++column)
        m_fieldTable->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromLatin1(headings[column])));
    for (const FieldInfo& info : fieldTable()) {
        const int row = info.number - 1;
        m_fieldTable->setItem(row, NumberColumn, new QTableWidgetItem(QString::number(info.number)));
        m_fieldTable->setItem(row, PositionColumn, new QTableWidgetItem(QString::number(info.position)));
        m_fieldTable->setItem(row, TypeColumn, new QTableWidgetItem(QString::fromLatin1(typeName(info.type))));
        m_fieldTable->setItem(row, DescriptionColumn, new QTableWidgetItem);
        m_fieldTable->setItem(row, ValueColumn, new QTableWidgetItem);
    }
    for (int column = 0; column < ColumnCount; ++column) {
        m_fieldTable->setColumnWidth(column, kColumnTwips[column] / kTwipsPerPixel);
        m_fieldTable->setColumnHidden(column, kColumnTwips[column] == 0);
    }
    m_fieldTable->horizontalHeader()->setStretchLastSection(false);
    m_fieldTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fieldTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int gridWidth = (kColumnTwips[DescriptionColumn] + kColumnTwips[ValueColumn]) / kTwipsPerPixel
        + m_fieldTable->verticalScrollBar()->sizeHint().width() + 2 * m_fieldTable->frameWidth();
    m_fieldTable->setFixedWidth(gridWidth);
    m_fieldTable->viewport()->installEventFilter(this);
    m_fieldTable->installEventFilter(this);

    m_storedTable = new QTableWidget(0, 1, this);
    m_storedTable->setObjectName(QStringLiteral("G2"));
    m_storedTable->setAccessibleName(QStringLiteral("Storage grid"));
    m_storedTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_storedTable->horizontalHeader()->setVisible(false);
    m_storedTable->horizontalHeader()->setStretchLastSection(true);
    m_storedTable->verticalHeader()->setDefaultSectionSize(m_fieldTable->fontMetrics().height() + 6);
    m_storedTable->setFixedWidth(1440 / kTwipsPerPixel + 60);

    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(QString::fromLatin1(caption));
        b->setAutoDefault(false);
        return b;
    };
    m_loadButton = button("Command1", "Load flt");
    m_editButton = button("Command2", "Edit flt");
    m_storeButton = button("Command3", "Store values");
    m_pasteButton = button("Command4", "Paste values");

    auto label = [this](const char* name, const QString& accessible) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAccessibleName(accessible);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    const QString editCaption = QString::fromLatin1(kValueEditCaption);
    QLabel* editLabel = label("Label6", editCaption);
    editLabel->setText(editCaption);
    m_valueEdit = new QLineEdit(this);
    m_valueEdit->setObjectName(QStringLiteral("Text1"));
    m_valueEdit->setAccessibleName(editCaption);
    m_valueEdit->installEventFilter(this);
    editLabel->setBuddy(m_valueEdit);

    m_fileLabel = label("Label1", QStringLiteral("File"));
    m_valueLabel = label("Label2", QStringLiteral("Value"));
    m_typeLabel = label("Label3", QStringLiteral("Type"));
    m_positionLabel = label("Label4", QStringLiteral("Position"));
    m_descriptionLabel = label("Label5", QStringLiteral("Description"));
    m_storedFromLabel = label("Label9", QStringLiteral("First stored field"));
    m_fileLabel->setWordWrap(true);
    m_descriptionLabel->setWordWrap(true);
    m_storedFromLabel->setWordWrap(true);
    QLabel* instructions = label("Label7", QStringLiteral("Instructions"));
    instructions->setWordWrap(true);
    instructions->setFrameShape(QFrame::StyledPanel);
    instructions->setMargin(6);
    instructions->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    instructions->setText(text(instructionsText()));
    m_statusLabel = label("StatusLabel", QStringLiteral("Status"));
    m_statusLabel->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_loadButton);
    buttons->addWidget(m_editButton);
    buttons->addWidget(m_storeButton);
    buttons->addWidget(m_pasteButton);
    buttons->addStretch();

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(editLabel);
    editRow->addWidget(m_valueEdit, 1);

    auto* current = new QFormLayout;
    current->addRow(QStringLiteral("File:"), m_fileLabel);
    current->addRow(QStringLiteral("Value:"), m_valueLabel);
    current->addRow(QStringLiteral("Type:"), m_typeLabel);
    current->addRow(QStringLiteral("Position:"), m_positionLabel);
    current->addRow(QStringLiteral("Description:"), m_descriptionLabel);

    auto* storage = new QVBoxLayout;
    auto* storageCaption = new QLabel(QStringLiteral("Storage grid:"), this);
    storageCaption->setBuddy(m_storedTable);
    storage->addWidget(storageCaption);
    storage->addWidget(m_storedTable, 1);

    auto* transfer = new QHBoxLayout;
    transfer->addWidget(instructions, 1);
    transfer->addLayout(storage);

    auto* firstStored = new QFormLayout;
    firstStored->addRow(QStringLiteral("First stored field:"), m_storedFromLabel);

    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addLayout(editRow);
    right->addLayout(current);
    right->addSpacing(8);
    right->addLayout(transfer, 1);
    right->addLayout(firstStored);
    right->addWidget(m_statusLabel);

    auto* top = new QHBoxLayout(this);
    top->addWidget(m_fieldTable);
    top->addLayout(right, 1);
    resize(1000, 720);
}

void FltPatchWindow::buildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    auto action = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        // The window has no main window around it: the shortcuts work anywhere in it.
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    m_compareAction = action(file, "CompareAction", QStringLiteral("&Compare with…"));
    file->addSeparator();
    m_exportAction = action(file, "ExportCsvAction", QStringLiteral("&Export CSV…"));
    m_importAction = action(file, "ImportCsvAction", QStringLiteral("&Import CSV…"));
    file->addSeparator();
    m_revertAction = action(file, "RevertAction", QStringLiteral("&Revert file…"));
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    m_undoAction = action(edit, "UndoAction", QStringLiteral("&Undo"));
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction = action(edit, "RedoAction", QStringLiteral("&Redo"));
    m_redoAction->setShortcuts({ QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    layout()->setMenuBar(bar);
}

void FltPatchWindow::connectWidgets()
{
    auto run = [this](QAction* action, auto call) {
        connect(action, &QAction::triggered, this, [this, call] { (m_editor.get()->*call)(); });
    };
    run(m_undoAction, &FlightModelEditor::undo);
    run(m_redoAction, &FlightModelEditor::redo);
    run(m_revertAction, &FlightModelEditor::revertFile);
    run(m_exportAction, &FlightModelEditor::exportCsvFile);
    run(m_importAction, &FlightModelEditor::importCsvFile);
    connect(m_compareAction, &QAction::triggered, this, [this] { compare(); });
    connect(m_fieldTable, &QTableWidget::itemSelectionChanged, this, [this] { markSelection(); });
    connect(m_loadButton, &QPushButton::clicked, this, [this] { m_editor->chooseAndLoadFile(); });
    connect(m_editButton, &QPushButton::clicked, this, [this] { edit(); });
    connect(m_valueEdit, &QLineEdit::returnPressed, this, [this] { edit(); });
    connect(m_valueEdit, &QLineEdit::textEdited, this,
        [this](const QString& typed) { m_editor->setEditText(typed.toStdString()); });
    connect(m_storeButton, &QPushButton::clicked, this, [this] { m_editor->storeValues(); });
    connect(m_pasteButton, &QPushButton::clicked, this, [this] { m_editor->pasteValues(); });
    connect(m_fieldTable, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (m_syncing || row < 0)
            return;
        m_editor->selectField(row + 1);
    });
    connect(m_fieldTable, &QTableWidget::cellClicked, this, [this](int row, int) { m_editor->selectField(row + 1); });
}

void FltPatchWindow::compare()
{
    if (!m_editor->compareWithFile())
        return;
    if (!m_compareDialog) {
        m_compareDialog = new CompareDialog(*m_editor, this);
        m_compareDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_compareDialog->refresh();
    m_compareDialog->show();
    m_compareDialog->raise();
    m_compareDialog->activateWindow();
}

void FltPatchWindow::markSelection()
{
    // A run marked with the keyboard (Shift and the arrow keys) counts for
    // "Store values" as one dragged with the mouse; the mouse's own ends are
    // taken as it goes down and up.
    const QList<QTableWidgetSelectionRange> ranges = m_fieldTable->selectedRanges();
    if (m_syncing || m_dragging || ranges.size() != 1)
        return;
    m_editor->beginMark(ranges.front().topRow() + 1);
    m_editor->endMark(ranges.front().bottomRow() + 1);
}

bool FltPatchWindow::startEditingWith(const QString& typed)
{
    // Typing on a field starts editing its value in "Text1", as in a
    // spreadsheet, instead of jumping to another row by keyboard search
    // (after which Enter would write to a field the user did not mean).
    if (typed.isEmpty() || !typed.front().isPrint() || typed.front().isSpace())
        return false;
    m_valueEdit->setFocus(Qt::OtherFocusReason);
    m_valueEdit->setText(typed);
    m_editor->setEditText(typed.toStdString());
    return true;
}

void FltPatchWindow::edit()
{
    m_editor->setEditText(m_valueEdit->text().toStdString());
    // Once written, the typing is no longer the edit box's to take back:
    // setting the text clears its own undo, so Ctrl+Z undoes the write.
    if (m_editor->writeEditText())
        m_valueEdit->setText(text(m_editor->editText()));
}

void FltPatchWindow::startUp(const std::filesystem::path& folder, const std::filesystem::path& file)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
            area.y() + (area.height() - frameGeometry().height()) / 2);
    }
    m_editor->startUp(folder, file);
}

int FltPatchWindow::fieldUnderPointer(int y) const
{
    int row = m_fieldTable->rowAt(y);
    if (row < 0) {
        // Released above or below the rows: the nearest row in view.
        row = y < 0 ? m_fieldTable->rowAt(0) : m_fieldTable->rowAt(m_fieldTable->viewport()->height() - 1);
        if (row < 0)
            row = y < 0 ? 0 : m_fieldTable->rowCount() - 1;
    }
    return row + 1;
}

bool FltPatchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_fieldTable && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            && startEditingWith(key->text()))
            return true;
    }
    if (watched == m_valueEdit && event->type() == QEvent::ShortcutOverride) {
        // The edit box keeps Ctrl+Z for the text being typed; once there is
        // none to take back, the key undoes the last write into the file.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool undoKey = key->matches(QKeySequence::Undo);
        const bool redoKey = key->matches(QKeySequence::Redo) || key->keyCombination() == (Qt::CTRL | Qt::Key_Y);
        if ((undoKey && !m_valueEdit->isUndoAvailable()) || (redoKey && !m_valueEdit->isRedoAvailable())) {
            event->ignore();
            return true;
        }
    }
    if (watched == m_fieldTable->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                int number = fieldUnderPointer(static_cast<int>(mouse->position().y()));
                m_dragging = event->type() == QEvent::MouseButtonPress;
                if (m_dragging)
                    m_editor->beginMark(number);
                else
                    m_editor->endMark(number);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FltPatchWindow::syncFieldTable()
{
    const FlightModelEditor& e = *m_editor;
    const std::optional<std::string>& heading = e.descriptionHeading();
    setTextIfChanged(m_fieldTable->horizontalHeaderItem(DescriptionColumn),
        heading ? text(*heading) : QStringLiteral("Description"));
    for (int number = 1; number <= kFieldCount; ++number) {
        setTextIfChanged(m_fieldTable->item(number - 1, DescriptionColumn), text(e.description(number)));
        setTextIfChanged(m_fieldTable->item(number - 1, ValueColumn), text(e.valueText(number)));
    }
    if (m_fieldTable->currentRow() != e.selectedField() - 1) {
        // The editor moved to another field itself (start-up, paste): highlight it.
        m_fieldTable->setCurrentCell(e.selectedField() - 1, ValueColumn, QItemSelectionModel::ClearAndSelect);
        m_fieldTable->scrollToItem(m_fieldTable->currentItem());
    }
}

void FltPatchWindow::sync()
{
    m_syncing = true;
    const FlightModelEditor& e = *m_editor;
    syncFieldTable();

    const auto& stored = e.storedValues();
    if (m_storedTable->rowCount() != static_cast<int>(stored.size()))
        m_storedTable->setRowCount(static_cast<int>(stored.size()));
    for (int i = 0; i < static_cast<int>(stored.size()); ++i) {
        QString value = text(stored[static_cast<std::size_t>(i)]);
        if (QTableWidgetItem* item = m_storedTable->item(i, 0))
            setTextIfChanged(item, value);
        else
            m_storedTable->setItem(i, 0, new QTableWidgetItem(value));
    }

    const QString editText = text(e.editText());
    if (m_valueEdit->text() != editText)
        m_valueEdit->setText(editText);
    const int selected = e.selectedField();
    const FieldInfo& info = field(selected);
    qt::setLabelText(m_fileLabel, text(kvl::platform::utf8FromPath(e.loadedFile())));
    const bool shown = e.fieldShown();
    qt::setLabelText(m_valueLabel, shown ? text(e.valueText(selected)) : QString());
    qt::setLabelText(m_typeLabel, shown ? QString::fromLatin1(typeName(info.type)) : QString());
    qt::setLabelText(m_positionLabel, shown ? QString::number(info.position) : QString());
    qt::setLabelText(m_descriptionLabel, text(e.description(selected)));
    qt::setLabelText(m_storedFromLabel, e.storedFrom() > 0 ? text(e.description(e.storedFrom())) : QString());
    qt::setLabelText(m_statusLabel, text(e.status()));

    const bool loaded = !e.loadedFile().empty();
    m_undoAction->setEnabled(e.canUndo());
    m_undoAction->setText(e.canUndo() ? QStringLiteral("&Undo %1").arg(text(e.undoWhat())) : QStringLiteral("&Undo"));
    m_redoAction->setEnabled(e.canRedo());
    m_redoAction->setText(e.canRedo() ? QStringLiteral("&Redo %1").arg(text(e.redoWhat())) : QStringLiteral("&Redo"));
    m_revertAction->setEnabled(loaded);
    m_compareAction->setEnabled(loaded);
    m_exportAction->setEnabled(loaded);
    m_importAction->setEnabled(loaded);
    if (m_compareDialog)
        m_compareDialog->refresh();
    m_syncing = false;
}

} // namespace kvl::fltpatch
