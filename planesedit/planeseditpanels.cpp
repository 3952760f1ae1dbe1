// The editor window's panels: their widgets, their wiring and how each shows
// the editor's state.
#include "planesedit/planeseditpanels.h"

#include "planesedit/widgethelpers.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <QValidator>

namespace kvl::planesedit {

namespace {

constexpr int kTwipsPerPixel = 15;

// The code field's text: at most four characters of the single-byte set, none
// of them the zero byte. Checked character by character: a regular expression
// would do, but compiling one at start-up costs more memory than the rest of
// the panel.
class CodeValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override
    {
        if (text.size() > kCodeLength)
            return Invalid;
        for (const QChar c : text)
            if (c.unicode() == 0 || c.unicode() > 0xFF)
                return Invalid;
        return Acceptable;
    }
};

} // namespace

// ---- ActionRouter -------------------------------------------------------------

ActionRouter::ActionRouter(AircraftEditor& editor, QObject* parent) : QObject(parent), m_editor(editor) { }

void ActionRouter::run(const std::function<void(AircraftEditor&)>& action)
{
    if (m_refreshing)
        return;
    action(m_editor);
}

void ActionRouter::connectField(QLineEdit* edit, std::function<void(AircraftEditor&, const std::string&)> changed,
    std::function<void(AircraftEditor&)> entered)
{
    connect(edit, &QLineEdit::textEdited, this, [this, changed = std::move(changed)](const QString& text) {
        run([&](AircraftEditor& e) { changed(e, text.toStdString()); });
    });
    connect(edit, &QLineEdit::returnPressed, this, [this, entered = std::move(entered)] { run(entered); });
}

void ActionRouter::scrollOnClick(QWidget* widget, ClickField field, int index)
{
    m_shortcuts.insert(widget, { field, index });
    widget->installEventFilter(this);
}

void ActionRouter::leaveUndoKeysToTheWindow(QLineEdit* edit)
{
    m_undoKeyFields.insert(edit, true);
    edit->installEventFilter(this);
}

bool ActionRouter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && m_undoKeyFields.contains(watched)) {
        // Left unaccepted, the key goes to the window's shortcut instead of
        // the line edit's own undo.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
            || (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier)
            || (key->key() == Qt::Key_Z && key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)))
            return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto it = m_shortcuts.constFind(watched);
        if (it != m_shortcuts.constEnd()) {
            const auto shortcut = *it;
            run([shortcut](AircraftEditor& e) { e.fieldClicked(shortcut.first, shortcut.second); });
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- GridPanel ---------------------------------------------------------------------

// The grid's cells, worked out from a snapshot of the record taken at each
// refresh: a repaint in between (behind a message box, say) shows the record
// as it was when the last action ended.
class RecordGridModel : public QAbstractTableModel {
public:
    RecordGridModel(const QFont& font, const QColor& shade, QObject* parent)
        : QAbstractTableModel(parent),
          m_shade(shade)
    {
        m_editedFont = font;
        m_editedFont.setBold(true);
    }

    void show(RecordDocument record)
    {
        m_record = std::move(record);
        emit dataChanged(index(1, 0), index(kGridRows - 1, kGridCols - 1));
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kGridRows; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kGridCols; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const int r = index.row(), c = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return fromUtf8(gridCellText(m_record, r, c));
        case Qt::TextAlignmentRole:
            if (c != kLabelColumn)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            return {};
        case Qt::BackgroundRole:
            // The position and read columns are fixed: shaded, not selectable.
            if (c <= kReadColumn || r == 0)
                return m_shade;
            return {};
        case Qt::FontRole:
            // A value that differs from the file's is bold until it is saved.
            if (c == kValueColumn && m_record.edited(r))
                return m_editedFont;
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (index.column() <= kReadColumn || index.row() == 0)
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const headings[kGridCols] = { "Pos", "Read", "Value", "Field", "Byte" };
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kGridCols)
            return QString::fromLatin1(headings[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    RecordDocument m_record;
    QBrush m_shade;
    QFont m_editedFont;
};

GridPanel::GridPanel(ActionRouter& router)
{
    m_workingCopy = new QLabel;
    m_workingCopy->setObjectName(QStringLiteral("Label7"));
    m_workingCopy->setAccessibleName(QStringLiteral("Working copy"));
    m_workingCopy->setMinimumWidth(44);
    m_workingCopy->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    m_grid = new QTableView;
    m_grid->setObjectName(QStringLiteral("G1"));
    m_grid->setAccessibleName(QStringLiteral("Record bytes"));
    m_model = new RecordGridModel(m_grid->font(), m_grid->palette().color(QPalette::Button), m_grid);
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->hide();
    // The header row stays in view: it is the table's own header, with a
    // heading for each column.
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setFixedHeight(m_grid->verticalHeader()->defaultSectionSize());
    m_grid->setRowHidden(0, true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->setWordWrap(false);
    const QFontMetrics fm(m_grid->font());
    // Widths from the form's twips, widened where this font needs more room.
    const QString widest[kGridCols] = { "00000", "000", "000", "Default ext view", "000" };
    int total = 0;
    for (int c = 0; c < kGridCols; ++c) {
        const QString heading = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int w = std::max({ kColumnTwips[static_cast<std::size_t>(c)] / kTwipsPerPixel,
            fm.horizontalAdvance(widest[c]) + 10, fm.horizontalAdvance(heading) + 12 });
        m_grid->setColumnWidth(c, w);
        total += w;
    }
    m_grid->setFixedWidth(total + m_grid->verticalScrollBar()->sizeHint().width() + 2 * m_grid->frameWidth());
    QObject::connect(m_grid, &QTableView::clicked, &router, [&router](const QModelIndex& index) {
        const int row = index.row();
        router.run([row](AircraftEditor& e) { e.gridClicked(row); });
    });

    m_byteEditor = new QLineEdit;
    m_byteEditor->setObjectName(QStringLiteral("Text4"));
    m_byteEditor->setAccessibleName(QStringLiteral("Byte value"));
    m_byteEditor->setFixedWidth(m_grid->width());
    // Typing only keeps the text; Enter stores it.
    QObject::connect(m_byteEditor, &QLineEdit::textEdited, &router,
        [&router](const QString& t) { router.editor().byteEditorChanged(t.toStdString()); });
    QObject::connect(m_byteEditor, &QLineEdit::returnPressed, &router,
        [&router] { router.run([](AircraftEditor& e) { e.byteEditorEnter(); }); });
    // The byte editor keeps its place below the grid even while hidden.
    auto* editorSlot = new QWidget;
    auto* editorLayout = new QVBoxLayout(editorSlot);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->addWidget(m_byteEditor);
    editorSlot->setFixedHeight(m_byteEditor->sizeHint().height());

    auto* column = new QVBoxLayout;
    column->addWidget(m_grid, 1);
    column->addWidget(editorSlot);
    m_column = column;
}

void GridPanel::show(const AircraftEditor& editor)
{
    setLabel(m_workingCopy, editor.loaded() ? workingCopyName(editor.slot()) : std::string());
    const RecordFields f = editor.fields();
    m_byteEditor->setVisible(f.byteEditorOpen);
    if (f.byteEditorOpen)
        setTextKeep(m_byteEditor, f.byteEditorText);
    if (m_shownRevision == editor.document().revision())
        return;
    m_shownRevision = editor.document().revision();
    m_model->show(editor.document().snapshot());
}

void GridPanel::carryOut(const ViewRequest& request)
{
    if (request.row < 1 || request.row >= kGridRows)
        return;
    switch (request.kind) {
    case ViewRequest::Kind::ScrollGrid:
        m_grid->scrollTo(m_model->index(request.row, 0), QAbstractItemView::PositionAtTop);
        break;
    case ViewRequest::Kind::OpenByteEditor:
        // Only when it opens does the editor take the focus and the grid mark
        // its row; later refreshes leave both alone.
        m_grid->setCurrentIndex(m_model->index(request.row, kValueColumn));
        m_byteEditor->setFocus();
        break;
    }
}

// ---- FlagPanel ---------------------------------------------------------------------

FlagPanel::FlagPanel(ActionRouter& router)
{
    m_widget = new QWidget;
    auto* layout = new QHBoxLayout(m_widget);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < kFlagGroups; ++k) {
        auto* frame = new QGroupBox;
        frame->setObjectName(QStringLiteral("F%1").arg(k + 1));
        frame->setAccessibleName(QStringLiteral("Flag byte %1").arg(k + 1));
        m_frames[static_cast<std::size_t>(k)] = frame;
        auto* v = new QVBoxLayout(frame);
        v->setSpacing(2);
        for (int i = 0; i < flagBoxCount(k); ++i) {
            auto* box = new QCheckBox(
                QString::fromLatin1(kFlagLabels[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]));
            box->setObjectName(QStringLiteral("Check%1_%2").arg(k + 1).arg(i));
            box->setEnabled(!isFixedFlagBit(k, i));
            QObject::connect(box, &QCheckBox::clicked, &router, [&router, k, i](bool checked) {
                router.run([=](AircraftEditor& e) { e.flagClicked(k, i, checked); });
            });
            m_boxes[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] = box;
            v->addWidget(box);
        }
        v->addStretch(1);
        layout->addWidget(frame, 1);
    }

    // Year and Crew sit in the fourth group, below its boxes.
    m_year = new QLineEdit;
    m_year->setObjectName(QStringLiteral("Text8"));
    m_crew = new QLineEdit;
    m_crew->setObjectName(QStringLiteral("Text7"));
    auto* yearCaption = captionFor(QStringLiteral("Year"), m_year);
    yearCaption->setObjectName(QStringLiteral("YearCaption"));
    auto* g = new QGridLayout;
    g->addWidget(yearCaption, 0, 0);
    g->addWidget(m_year, 0, 1);
    g->addWidget(captionFor(QStringLiteral("Crew"), m_crew), 1, 0);
    g->addWidget(m_crew, 1, 1);
    auto* fourth = static_cast<QVBoxLayout*>(m_frames[3]->layout());
    fourth->insertLayout(fourth->count() - 1, g);
    m_year->setFixedWidth(70);
    m_crew->setFixedWidth(70);
    router.scrollOnClick(yearCaption, ClickField::YearCaption);
    router.scrollOnClick(m_year, ClickField::Year);
    router.scrollOnClick(m_crew, ClickField::Crew);
    router.connectField(
        m_year, [](AircraftEditor& e, const std::string& t) { e.yearChanged(t); },
        [](AircraftEditor& e) { e.yearEnter(); });
    router.connectField(
        m_crew, [](AircraftEditor& e, const std::string& t) { e.crewChanged(t); },
        [](AircraftEditor& e) { e.crewEnter(); });
}

void FlagPanel::show(const AircraftEditor& editor)
{
    const RecordFields f = editor.fields();
    for (int k = 0; k < kFlagGroups; ++k) {
        // The caption shows the flag byte's value once an aircraft is loaded.
        setTitle(m_frames[static_cast<std::size_t>(k)],
            editor.loaded() ? editor.document().text(flagRow(k)) : std::string());
        for (int i = 0; i < flagBoxCount(k); ++i)
            m_boxes[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]->setChecked(
                f.flags[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]);
    }
    setTextKeep(m_year, f.year);
    setTextKeep(m_crew, f.crew);
}

// ---- NumberPanel -------------------------------------------------------------------

NumberPanel::NumberPanel(ActionRouter& router)
{
    static const char* const captions[kNumberFields] = { "Stall speed", "Cruise speed", "Corner speed", "Max speed",
        "Empty wt", "Fuel burn rate", "Wt of fuel", "Max range", "Close", "Medium", "Far", "Line", "Max",
        "External default", "Collision radius" };
    auto* panel = new QGroupBox;
    panel->setObjectName(QStringLiteral("NumberPanel"));
    panel->setAccessibleName(QStringLiteral("Numbers"));
    m_widget = panel;
    auto* g = new QGridLayout(panel);
    g->setVerticalSpacing(3);
    for (int i = 0; i < kNumberFields; ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("Text3_%1").arg(i));
        edit->setFixedWidth(100);
        m_numbers[static_cast<std::size_t>(i)] = edit;
        // The form has two label arrays for the readings: Label10 (0..6) and Label9 (7..14).
        auto* reading = new QLabel;
        reading->setObjectName(i <= 6 ? QStringLiteral("Label10_%1").arg(i) : QStringLiteral("Label9_%1").arg(i));
        reading->setAccessibleName(QString::fromLatin1(captions[i]) + QStringLiteral(" reading"));
        reading->setMinimumWidth(150);
        if (i == 5 || i == 13)
            reading->hide();
        m_readings[static_cast<std::size_t>(i)] = reading;
        // Speeds, weights and range in the first column pair, views in the second.
        const int col = i <= 7 ? 0 : 3;
        const int row = i <= 7 ? i : i - 8;
        g->addWidget(captionFor(QString::fromLatin1(captions[i]), edit), row, col);
        g->addWidget(edit, row, col + 1);
        g->addWidget(reading, row, col + 2);
        router.scrollOnClick(edit, ClickField::Number, i);
        router.connectField(
            edit, [i](AircraftEditor& e, const std::string& t) { e.numberChanged(i, t); },
            [i](AircraftEditor& e) { e.numberEnter(i); });
    }
    m_code = new QLineEdit;
    m_code->setObjectName(QStringLiteral("Text5"));
    // The code is four bytes of the single-byte set: four characters, none
    // beyond it and no zero byte.
    m_code->setMaxLength(kCodeLength);
    m_code->setValidator(new CodeValidator(m_code));
    m_code->setFixedWidth(100);
    g->addWidget(captionFor(QStringLiteral("Code"), m_code), 7, 3);
    g->addWidget(m_code, 7, 4);
    router.scrollOnClick(m_code, ClickField::Code);
    router.connectField(
        m_code, [](AircraftEditor& e, const std::string& t) { e.codeChanged(t); },
        [](AircraftEditor& e) { e.codeEnter(); });
    g->setColumnStretch(2, 1);
    g->setColumnStretch(5, 1);
}

void NumberPanel::show(const AircraftEditor& editor)
{
    const RecordFields f = editor.fields();
    for (int i = 0; i < kNumberFields; ++i) {
        const std::string& text = f.numbers[static_cast<std::size_t>(i)];
        setTextKeep(m_numbers[static_cast<std::size_t>(i)], text);
        // Before the first load the fields are empty and so are the readings.
        setLabel(m_readings[static_cast<std::size_t>(i)],
            editor.loaded() || !text.empty() ? unitReading(i, Val(text)) : std::string());
    }
    setTextKeep(m_code, f.code);
}

} // namespace kvl::planesedit
