#include "planesedit/pelmora.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace planesedit {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string ss(const QString& s)
{
    return s.toStdString();
}

// Sets a line edit's text only when it differs, so the cursor of a field the
// user is typing in stays where it is.
void setTextKeep(QLineEdit* edit, const std::string& text)
{
    const QString t = qs(text);
    if (edit->text() != t)
        edit->setText(t);
}

void setTitle(QGroupBox* box, const std::string& text)
{
    // An empty caption is shown as a blank, so the frame keeps its title
    // space and the form does not shift when the first aircraft arrives.
    const QString t = text.empty() ? QStringLiteral(" ") : qs(text);
    if (box->title() != t)
        box->setTitle(t);
}

void setLabel(QLabel* label, const std::string& text)
{
    const QString t = qs(text);
    if (label->text() != t)
        label->setText(t);
}

// A caption beside a field; the field takes the caption as accessible name.
QLabel* captionFor(const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return label;
}

void checkOnly(QButtonGroup* group, QAbstractButton* chosen)
{
    group->setExclusive(false);
    for (auto* b : group->buttons())
        b->setChecked(b == chosen);
    group->setExclusive(true);
}

constexpr int kTwipsPerPixel = 15;

} // namespace

bool MessageBoxPrompts::askSaveChanges()
{
    return QMessageBox::question(m_parent, QStringLiteral("File closure:"),
               QStringLiteral("Save the changes before closing ?"), QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Ok)
        == QMessageBox::Ok;
}

void MessageBoxPrompts::showError(const std::string& title, const std::string& text)
{
    QMessageBox::warning(m_parent, qs(title), qs(text));
}

bool MessageBoxPrompts::confirm(const std::string& title, const std::string& text)
{
    return QMessageBox::question(m_parent, qs(title), qs(text), QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

Pelmora::Pelmora(const std::filesystem::path& folder, EditorPrompts* prompts, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Pelmora"));
    setWindowTitle(QStringLiteral("planesedit - planes.dat"));
    if (!prompts) {
        m_ownPrompts = std::make_unique<MessageBoxPrompts>(this);
        prompts = m_ownPrompts.get();
    }
    m_core = std::make_unique<PelmoraCore>(folder, *prompts);
    buildUi();
    refresh();
}

Pelmora::~Pelmora() = default;

void Pelmora::buildUi()
{
    // ---- the grid with the working-copy name to its left
    m_label7 = new QLabel;
    m_label7->setObjectName(QStringLiteral("Label7"));
    m_label7->setAccessibleName(QStringLiteral("Working copy"));
    m_label7->setMinimumWidth(44);
    m_label7->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    m_grid = new QTableWidget(kGridRows, kGridCols);
    m_grid->setObjectName(QStringLiteral("G1"));
    m_grid->setAccessibleName(QStringLiteral("Record bytes"));
    m_grid->verticalHeader()->hide();
    // The header row stays in view: it is the table's own (empty) header.
    m_grid->setHorizontalHeaderLabels({ QString(), QString(), QString(), QString(), QString() });
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setFixedHeight(m_grid->verticalHeader()->defaultSectionSize());
    m_grid->setRowHidden(0, true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_grid->setWordWrap(false);
    const QFontMetrics fm(m_grid->font());
    // Widths from the form's twips, widened where this font needs more room.
    const QString widest[kGridCols] = { "00000", "000", "000", "Default ext view", "000" };
    int total = 0;
    for (int c = 0; c < kGridCols; ++c) {
        const int w = std::max(
            kColumnTwips[static_cast<std::size_t>(c)] / kTwipsPerPixel, fm.horizontalAdvance(widest[c]) + 10);
        m_grid->setColumnWidth(c, w);
        total += w;
    }
    const QColor shade = palette().color(QPalette::Button);
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridCols; ++c) {
            auto* item = new QTableWidgetItem;
            if (c <= 1 || r == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(shade);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            if (c <= 2 || c == 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, item);
        }
    }
    m_grid->setFixedWidth(total + m_grid->verticalScrollBar()->sizeHint().width() + 2 * m_grid->frameWidth());
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        m_core->gridClicked(row);
        after();
    });

    m_byteEditor = new QLineEdit;
    m_byteEditor->setObjectName(QStringLiteral("Text4"));
    m_byteEditor->setAccessibleName(QStringLiteral("Byte value"));
    m_byteEditor->setFixedWidth(m_grid->width());
    connect(m_byteEditor, &QLineEdit::textEdited, this, [this](const QString& t) { m_core->byteEditorChanged(ss(t)); });
    connect(m_byteEditor, &QLineEdit::returnPressed, this, [this] {
        m_core->byteEditorEnter();
        after();
    });
    // The byte editor keeps its place below the grid even while hidden.
    auto* editorSlot = new QWidget;
    auto* editorLayout = new QVBoxLayout(editorSlot);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->addWidget(m_byteEditor);
    editorSlot->setFixedHeight(m_byteEditor->sizeHint().height());

    auto* gridColumn = new QVBoxLayout;
    gridColumn->addWidget(m_grid, 1);
    gridColumn->addWidget(editorSlot);

    // ---- buttons
    auto* save = new QPushButton(QStringLiteral("Save planes.dat"));
    save->setObjectName(QStringLiteral("Command3"));
    connect(save, &QPushButton::clicked, this, [this] {
        m_core->savePlanes();
        after();
    });
    auto* damage = new QPushButton(QStringLiteral("Move to the top of the damage byte section"));
    damage->setObjectName(QStringLiteral("Command1"));
    connect(damage, &QPushButton::clicked, this, [this] {
        m_core->fieldClicked(ClickField::DamageButton);
        after();
    });
    auto* script = new QPushButton(QStringLiteral("Save Script"));
    script->setObjectName(QStringLiteral("Command2"));
    connect(script, &QPushButton::clicked, this, [this] {
        m_core->openScriptMaker();
        after();
    });

    // ---- aircraft list
    m_list1 = new QListWidget;
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("Aircraft"));
    for (const char* name : kSlotNames)
        m_list1->addItem(QString::fromLatin1(name));
    m_list1->setFixedWidth(fm.horizontalAdvance(QStringLiteral("V1 Doodlebug")) + 40);
    connect(m_list1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_refreshing || row < 0)
            return;
        m_core->chooseAircraft(row);
        after();
    });
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(captionFor(QStringLiteral("Aircraft"), m_list1));
    listColumn->addWidget(m_list1, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(damage);
    buttons->addWidget(script);
    buttons->addStretch(1);

    // The three buttons sit below the gun group chooser (see buildGunPanels).
    m_buttons = buttons;
    auto* chooserColumn = new QVBoxLayout;
    chooserColumn->addWidget(buildGunPanels(), 1);

    auto* lower = new QHBoxLayout;
    lower->addLayout(listColumn);
    lower->addLayout(chooserColumn);
    lower->addWidget(buildScriptMaker(), 1);

    auto* right = new QVBoxLayout;
    right->addWidget(buildFlags());
    right->addWidget(buildNumbers());
    auto* lowerWithButtons = new QHBoxLayout;
    lowerWithButtons->addLayout(lower, 1);
    right->addLayout(lowerWithButtons, 1);

    auto* top = new QHBoxLayout(this);
    auto* labelColumn = new QVBoxLayout;
    labelColumn->addWidget(m_label7);
    labelColumn->addStretch(1);
    top->addLayout(labelColumn);
    top->addLayout(gridColumn);
    top->addLayout(right, 1);
}

QWidget* Pelmora::buildFlags()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 4; ++k) {
        auto* frame = new QGroupBox;
        frame->setObjectName(QStringLiteral("F%1").arg(k + 1));
        frame->setAccessibleName(QStringLiteral("Flag byte %1").arg(k + 1));
        m_flagFrames[static_cast<std::size_t>(k)] = frame;
        auto* v = new QVBoxLayout(frame);
        v->setSpacing(2);
        for (int i = 0; i < 8; ++i) {
            const char* caption = kFlagLabels[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)];
            if (!*caption)
                continue;
            auto* box = new QCheckBox(QString::fromLatin1(caption));
            box->setObjectName(QStringLiteral("Check%1_%2").arg(k + 1).arg(i));
            if ((k == 1 || k == 2) && i == 3)
                box->setEnabled(false);
            connect(box, &QCheckBox::clicked, this, [this, k, i](bool checked) {
                m_core->flagClicked(k, i, checked);
                after();
            });
            m_flagBoxes[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] = box;
            v->addWidget(box);
        }
        if (k == 3) {
            m_year = new QLineEdit;
            m_year->setObjectName(QStringLiteral("Text8"));
            m_crew = new QLineEdit;
            m_crew->setObjectName(QStringLiteral("Text7"));
            m_yearCaption = captionFor(QStringLiteral("Year"), m_year);
            m_yearCaption->setObjectName(QStringLiteral("YearCaption"));
            m_yearCaption->installEventFilter(this);
            auto* g = new QGridLayout;
            g->addWidget(m_yearCaption, 0, 0);
            g->addWidget(m_year, 0, 1);
            g->addWidget(captionFor(QStringLiteral("Crew"), m_crew), 1, 0);
            g->addWidget(m_crew, 1, 1);
            v->addLayout(g);
            for (QLineEdit* e : { m_year, m_crew }) {
                e->setFixedWidth(70);
                e->installEventFilter(this);
            }
            connect(m_year, &QLineEdit::textEdited, this, [this](const QString& t) {
                m_core->yearChanged(ss(t));
                after();
            });
            connect(m_year, &QLineEdit::returnPressed, this, [this] {
                m_core->yearEnter();
                after();
            });
            connect(m_crew, &QLineEdit::textEdited, this, [this](const QString& t) {
                m_core->crewChanged(ss(t));
                after();
            });
            connect(m_crew, &QLineEdit::returnPressed, this, [this] {
                m_core->crewEnter();
                after();
            });
        }
        v->addStretch(1);
        layout->addWidget(frame, 1);
    }
    return row;
}

QWidget* Pelmora::buildNumbers()
{
    static const char* const captions[kNumberFields] = { "Stall speed", "Cruise speed", "Corner speed", "Max speed",
        "Empty wt", "Fuel burn rate", "Wt of fuel", "Max range", "Close", "Medium", "Far", "Line", "Max",
        "External default", "Collision radius" };
    auto* panel = new QGroupBox;
    panel->setObjectName(QStringLiteral("NumberPanel"));
    panel->setAccessibleName(QStringLiteral("Numbers"));
    auto* g = new QGridLayout(panel);
    g->setVerticalSpacing(3);
    for (int i = 0; i < kNumberFields; ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("Text3_%1").arg(i));
        edit->setFixedWidth(100);
        edit->installEventFilter(this);
        m_numbers[static_cast<std::size_t>(i)] = edit;
        auto* unit = new QLabel;
        unit->setObjectName(i <= 6 ? QStringLiteral("Label10_%1").arg(i) : QStringLiteral("Label9_%1").arg(i));
        unit->setAccessibleName(QString::fromLatin1(captions[i]) + QStringLiteral(" reading"));
        unit->setMinimumWidth(150);
        if (i == 5 || i == 13)
            unit->hide();
        m_units[static_cast<std::size_t>(i)] = unit;
        // Speeds, weights and range in the first column pair, views in the second.
        const int col = i <= 7 ? 0 : 3;
        const int row = i <= 7 ? i : i - 8;
        g->addWidget(captionFor(QString::fromLatin1(captions[i]), edit), row, col);
        g->addWidget(edit, row, col + 1);
        g->addWidget(unit, row, col + 2);
        connect(edit, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            m_core->numberChanged(i, ss(t));
            after();
        });
        connect(edit, &QLineEdit::returnPressed, this, [this, i] {
            m_core->numberEnter(i);
            after();
        });
    }
    m_code = new QLineEdit;
    m_code->setObjectName(QStringLiteral("Text5"));
    m_code->setFixedWidth(100);
    m_code->installEventFilter(this);
    g->addWidget(captionFor(QStringLiteral("Code"), m_code), 7, 3);
    g->addWidget(m_code, 7, 4);
    connect(m_code, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_core->codeChanged(ss(t));
        after();
    });
    connect(m_code, &QLineEdit::returnPressed, this, [this] {
        m_core->codeEnter();
        after();
    });
    g->setColumnStretch(2, 1);
    g->setColumnStretch(5, 1);
    return panel;
}

QWidget* Pelmora::buildGunPanels()
{
    auto* area = new QWidget;
    auto* h = new QHBoxLayout(area);
    h->setContentsMargins(0, 0, 0, 0);

    // Chooser "Gun Group": the count of groups in use and the buttons 1..6.
    m_frame1 = new QGroupBox(QStringLiteral("Gun Group"));
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto* chooser = new QVBoxLayout(m_frame1);
    m_gunCount = new QLineEdit;
    m_gunCount->setObjectName(QStringLiteral("Text6"));
    m_gunCount->setFixedWidth(50);
    m_gunCount->installEventFilter(this);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(captionFor(QStringLiteral("Gun groups"), m_gunCount));
    countRow->addWidget(m_gunCount);
    countRow->addStretch(1);
    chooser->addLayout(countRow);
    connect(m_gunCount, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_core->gunCountChanged(ss(t));
        after();
    });
    connect(m_gunCount, &QLineEdit::returnPressed, this, [this] {
        m_core->gunCountEnter();
        after();
    });
    m_groupGroup = new QButtonGroup(this);
    auto* groupRow = new QGridLayout;
    for (int g = 1; g <= kGunGroups; ++g) {
        auto* b = new QRadioButton(QString::number(g));
        b->setObjectName(QStringLiteral("Option4_%1").arg(g));
        b->setAccessibleName(QStringLiteral("Gun group %1").arg(g));
        m_groupGroup->addButton(b, g);
        m_groupButtons[static_cast<std::size_t>(g - 1)] = b;
        groupRow->addWidget(b, (g - 1) / 3, (g - 1) % 3);
        connect(b, &QRadioButton::clicked, this, [this, g] {
            m_core->chooseGunGroup(g);
            after();
        });
    }
    chooser->addLayout(groupRow);

    // Gun position panel.
    m_fgg = new QGroupBox;
    m_fgg->setObjectName(QStringLiteral("FGG"));
    auto* fgg = new QGridLayout(m_fgg);
    fgg->setVerticalSpacing(2);
    m_gunNumber = new QLineEdit;
    m_gunNumber->setObjectName(QStringLiteral("Text1"));
    m_gunNumber->setFixedWidth(50);
    fgg->addWidget(captionFor(QStringLiteral("Number"), m_gunNumber), 0, 0);
    fgg->addWidget(m_gunNumber, 0, 1);
    connect(m_gunNumber, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_core->gunNumberChanged(ss(t));
        after();
    });
    connect(m_gunNumber, &QLineEdit::returnPressed, this, [this] {
        m_core->gunNumberEnter();
        after();
    });
    m_positionLabel = new QLabel;
    m_positionLabel->setObjectName(QStringLiteral("Label3"));
    m_positionLabel->setAccessibleName(QStringLiteral("Position code"));
    fgg->addWidget(new QLabel(QStringLiteral("Position:")), 1, 0);
    fgg->addWidget(m_positionLabel, 1, 1);
    m_positionGroup = new QButtonGroup(this);
    for (int p = 0; p < 14; ++p) {
        auto* b = new QRadioButton(QString::fromLatin1(kPositionLabels[static_cast<std::size_t>(p)]));
        b->setObjectName(QStringLiteral("Option1_%1").arg(p));
        m_positionGroup->addButton(b, p);
        m_positions[static_cast<std::size_t>(p)] = b;
        fgg->addWidget(b, 2 + p % 7, p / 7);
        connect(b, &QRadioButton::clicked, this, [this, p] {
            m_core->positionChosen(p);
            after();
        });
    }
    m_ammo = new QLineEdit;
    m_ammo->setObjectName(QStringLiteral("Text2"));
    m_ammo->setFixedWidth(70);
    m_ammoCaption = captionFor(QStringLiteral("Ammo Count"), m_ammo);
    fgg->addWidget(m_ammoCaption, 9, 0);
    fgg->addWidget(m_ammo, 9, 1);
    connect(m_ammo, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_core->ammoChanged(ss(t));
        after();
    });
    connect(m_ammo, &QLineEdit::returnPressed, this, [this] {
        m_core->ammoEnter();
        after();
    });
    m_smoke = new QCheckBox(QStringLiteral("Smoke"));
    m_smoke->setObjectName(QStringLiteral("smoke"));
    fgg->addWidget(m_smoke, 10, 0, 1, 2);
    connect(m_smoke, &QCheckBox::clicked, this, [this](bool checked) {
        m_core->smokeClicked(checked);
        after();
    });

    // Gun type panel.
    m_fgc = new QGroupBox;
    m_fgc->setObjectName(QStringLiteral("FGC"));
    m_fgc->setAccessibleName(QStringLiteral("Gun type"));
    auto* fgc = new QVBoxLayout(m_fgc);
    m_gunType = new QLineEdit;
    m_gunType->setObjectName(QStringLiteral("Gundamage"));
    m_gunType->setFixedWidth(60);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(captionFor(QStringLiteral("Type (damage)"), m_gunType));
    typeRow->addWidget(m_gunType);
    typeRow->addStretch(1);
    fgc->addLayout(typeRow);
    connect(m_gunType, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_core->typeChanged(ss(t));
        after();
    });
    connect(m_gunType, &QLineEdit::returnPressed, this, [this] {
        m_core->typeEnter();
        after();
    });
    m_typeGroup = new QButtonGroup(this);
    for (std::size_t k = 0; k < kTypeValues.size(); ++k) {
        const int t = kTypeValues[k];
        auto* b = new QRadioButton(QString::fromLatin1(kTypeLabels[k]));
        b->setObjectName(QStringLiteral("Option2_%1").arg(t));
        m_typeGroup->addButton(b, t);
        m_types[k] = b;
        fgc->addWidget(b);
        connect(b, &QRadioButton::clicked, this, [this, t] {
            m_core->typeChosen(t);
            after();
        });
    }
    fgc->addStretch(1);

    // Sound panel.
    m_fgs = new QGroupBox(QStringLiteral("Sound"));
    m_fgs->setObjectName(QStringLiteral("FGS"));
    auto* fgs = new QVBoxLayout(m_fgs);
    m_soundGroup = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k) {
        auto* b = new QRadioButton(QString::fromLatin1(kSoundLabels[static_cast<std::size_t>(k)]));
        b->setObjectName(QStringLiteral("Option3_%1").arg(k));
        m_soundGroup->addButton(b, k);
        m_sounds[static_cast<std::size_t>(k)] = b;
        fgs->addWidget(b);
        connect(b, &QRadioButton::clicked, this, [this, k] {
            m_core->soundChosen(k);
            after();
        });
    }
    m_soundLabel = new QLabel;
    m_soundLabel->setObjectName(QStringLiteral("Label5"));
    m_soundLabel->setAccessibleName(QStringLiteral("Sound code"));
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(new QLabel(QStringLiteral("Code:")));
    soundRow->addWidget(m_soundLabel, 1);
    fgs->addLayout(soundRow);
    fgs->addStretch(1);

    auto* typeAndSound = new QVBoxLayout;
    typeAndSound->addWidget(m_fgc);
    typeAndSound->addWidget(m_fgs);
    typeAndSound->addStretch(1);

    // Chooser and buttons share one column; each panel keeps its place when hidden.
    auto* chooserColumn = new QVBoxLayout;
    chooserColumn->addWidget(m_frame1);
    chooserColumn->addLayout(m_buttons);
    chooserColumn->addStretch(1);
    {
        auto policy = m_frame1->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        m_frame1->setSizePolicy(policy);
    }
    h->addLayout(chooserColumn);
    for (QWidget* w : { static_cast<QWidget*>(m_fgg) }) {
        auto sp = w->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        w->setSizePolicy(sp);
    }
    for (QWidget* w : { static_cast<QWidget*>(m_fgc), static_cast<QWidget*>(m_fgs) }) {
        auto sp = w->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        w->setSizePolicy(sp);
    }
    h->addWidget(m_fgg, 0, Qt::AlignTop);
    h->addLayout(typeAndSound);
    return area;
}

QWidget* Pelmora::buildScriptMaker()
{
    m_frame3 = new QGroupBox(QStringLiteral("Script Maker"));
    m_frame3->setObjectName(QStringLiteral("Frame3"));
    auto sp = m_frame3->sizePolicy();
    sp.setRetainSizeWhenHidden(true);
    m_frame3->setSizePolicy(sp);
    auto* g = new QGridLayout(m_frame3);
    g->setVerticalSpacing(3);

    m_list2 = new QListWidget;
    m_list2->setObjectName(QStringLiteral("List2"));
    for (const char* name : kSlotNames)
        m_list2->addItem(QString::fromLatin1(name));
    m_list2->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("V1 Doodlebug")) + 40);
    connect(m_list2, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_refreshing || row < 0)
            return;
        m_core->chooseDestination(row);
        after();
    });
    m_label14 = new QLabel;
    m_label14->setObjectName(QStringLiteral("Label14"));
    m_label14->setAccessibleName(QStringLiteral("Slot:"));
    auto* slotRow = new QHBoxLayout;
    slotRow->setSpacing(8);
    slotRow->addWidget(new QLabel(QStringLiteral("Slot:")));
    slotRow->addWidget(m_label14, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(captionFor(QStringLiteral("Destination Slot"), m_list2));
    left->addWidget(m_list2, 1);
    left->addLayout(slotRow);
    g->addLayout(left, 0, 0, 8, 1);

    m_scriptName = new QLineEdit;
    m_scriptName->setObjectName(QStringLiteral("Text9"));
    m_pnamesName = new QLineEdit;
    m_pnamesName->setObjectName(QStringLiteral("Text11"));
    m_description = new QPlainTextEdit;
    m_description->setObjectName(QStringLiteral("Text10"));
    m_description->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scriptFolder = new QLineEdit;
    m_scriptFolder->setObjectName(QStringLiteral("Text12"));
    g->addWidget(captionFor(QStringLiteral("Script Name"), m_scriptName), 0, 1);
    g->addWidget(m_scriptName, 0, 2);
    g->addWidget(captionFor(QStringLiteral("Pnames string name:"), m_pnamesName), 1, 1);
    g->addWidget(m_pnamesName, 1, 2);
    g->addWidget(captionFor(QStringLiteral("Description"), m_description), 2, 1, 1, 2);
    g->addWidget(m_description, 3, 1, 1, 2);
    g->addWidget(captionFor(QStringLiteral("Save in folder:"), m_scriptFolder), 4, 1);
    g->addWidget(m_scriptFolder, 4, 2);
    connect(m_scriptName, &QLineEdit::textEdited, this, [this](const QString& t) { m_core->setScriptName(ss(t)); });
    connect(m_pnamesName, &QLineEdit::textEdited, this, [this](const QString& t) { m_core->setPnamesName(ss(t)); });
    connect(m_scriptFolder, &QLineEdit::textEdited, this, [this](const QString& t) { m_core->setScriptFolder(ss(t)); });
    connect(m_description, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_refreshing)
            m_core->setDescription(ss(m_description->toPlainText()));
    });

    // The folder view shows the working folder's folders; it only informs.
    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    const QString root = QString::fromStdString(m_core->folder().string());
    m_dirModel->setRootPath(root);
    m_dir1 = new QTreeView;
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setAccessibleName(QStringLiteral("Folders"));
    m_dir1->setModel(m_dirModel);
    m_dir1->setRootIndex(m_dirModel->index(root));
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        m_dir1->hideColumn(c);
    m_dir1->setHeaderHidden(true);
    m_dir1->setFixedHeight(90);
    g->addWidget(m_dir1, 5, 1, 1, 2);

    auto* save = new QPushButton(QStringLiteral("Save the script"));
    save->setObjectName(QStringLiteral("Command4"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Command5"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    g->addLayout(buttons, 6, 1, 1, 2);
    connect(save, &QPushButton::clicked, this, [this] {
        m_core->saveScript();
        after();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_core->cancelScript();
        after();
    });
    m_frame3->setMinimumWidth(360);
    return m_frame3;
}

void Pelmora::after()
{
    refresh();
}

void Pelmora::refreshGrid()
{
    if (m_shownGridRevision == m_core->gridRevision())
        return;
    m_shownGridRevision = m_core->gridRevision();
    for (int r = 1; r < kGridRows; ++r) {
        for (int c = 0; c < kGridCols; ++c) {
            QTableWidgetItem* item = m_grid->item(r, c);
            const QString t = qs(m_core->cell(r, c));
            if (item->text() != t)
                item->setText(t);
        }
    }
}

void Pelmora::refresh()
{
    m_refreshing = true;
    const FormState& s = m_core->state();
    refreshGrid();
    if (m_shownScroll != s.scrollRequests) {
        m_shownScroll = s.scrollRequests;
        if (s.topRow >= 1 && s.topRow < kGridRows)
            m_grid->scrollToItem(m_grid->item(s.topRow, 0), QAbstractItemView::PositionAtTop);
    }
    setLabel(m_label7, s.workingCopyName);
    {
        QSignalBlocker block(m_list1);
        if (m_list1->currentRow() != s.slot)
            m_list1->setCurrentRow(s.slot);
    }
    for (int k = 0; k < 4; ++k) {
        setTitle(m_flagFrames[static_cast<std::size_t>(k)], s.flagCaptions[static_cast<std::size_t>(k)]);
        for (int i = 0; i < 8; ++i)
            if (auto* box = m_flagBoxes[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)])
                box->setChecked(s.flags[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]);
    }
    setTextKeep(m_year, s.year);
    setTextKeep(m_crew, s.crew);
    for (int i = 0; i < kNumberFields; ++i) {
        setTextKeep(m_numbers[static_cast<std::size_t>(i)], s.numbers[static_cast<std::size_t>(i)]);
        setLabel(m_units[static_cast<std::size_t>(i)], s.unitReadings[static_cast<std::size_t>(i)]);
    }
    setTextKeep(m_code, s.code);

    m_frame1->setVisible(s.gunChooserVisible);
    setTextKeep(m_gunCount, s.gunCount);
    checkOnly(m_groupGroup, s.gunGroup >= 1 ? m_groupButtons[static_cast<std::size_t>(s.gunGroup - 1)] : nullptr);
    m_fgg->setVisible(s.gunPanelsVisible);
    m_fgc->setVisible(s.gunPanelsVisible);
    m_fgs->setVisible(s.gunPanelsVisible);
    m_ammo->setVisible(s.ammoVisible);
    m_ammoCaption->setVisible(s.ammoVisible);
    setTitle(m_fgg, s.gunPanelCaption);
    setTextKeep(m_gunNumber, s.gunNumber);
    checkOnly(m_positionGroup, s.position >= 0 ? m_positions[static_cast<std::size_t>(s.position)] : nullptr);
    setLabel(m_positionLabel, s.positionLabel);
    setTextKeep(m_gunType, s.gunType);
    checkOnly(m_typeGroup, s.typeButton >= 0 ? m_typeGroup->button(s.typeButton) : nullptr);
    setTextKeep(m_ammo, s.ammo);
    checkOnly(m_soundGroup, s.sound >= 0 ? m_sounds[static_cast<std::size_t>(s.sound)] : nullptr);
    setLabel(m_soundLabel, s.soundLabel);
    m_smoke->setChecked(s.smoke);
    if (m_smoke->text() != qs(s.smokeCaption))
        m_smoke->setText(qs(s.smokeCaption));

    // The editor takes the focus, and the grid marks its row, only when it
    // opens; later refreshes leave the focus and the scroll position alone.
    const bool opening = s.byteEditorVisible && m_editorOpenings != s.byteEditorOpenings;
    m_byteEditor->setVisible(s.byteEditorVisible);
    if (s.byteEditorVisible)
        setTextKeep(m_byteEditor, s.byteEditor);
    if (opening) {
        m_editorOpenings = s.byteEditorOpenings;
        if (s.currentRow >= 1)
            m_grid->setCurrentCell(s.currentRow, 2);
        m_byteEditor->setFocus();
    }

    m_frame3->setVisible(s.scriptMakerVisible);
    {
        QSignalBlocker block(m_list2);
        if (m_list2->currentRow() != s.destination)
            m_list2->setCurrentRow(s.destination);
    }
    setLabel(m_label14, s.destinationLabel);
    setTextKeep(m_scriptName, s.scriptName);
    setTextKeep(m_pnamesName, s.pnamesName);
    setTextKeep(m_scriptFolder, s.scriptFolder);
    if (m_description->toPlainText() != qs(s.description))
        m_description->setPlainText(qs(s.description));
    m_refreshing = false;
}

void Pelmora::closeEvent(QCloseEvent* event)
{
    m_core->close(); // the prompt never cancels the closing
    event->accept();
}

bool Pelmora::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        bool handled = true;
        if (watched == m_yearCaption)
            m_core->fieldClicked(ClickField::YearCaption);
        else if (watched == m_year)
            m_core->fieldClicked(ClickField::Year);
        else if (watched == m_crew)
            m_core->fieldClicked(ClickField::Crew);
        else if (watched == m_gunCount)
            m_core->fieldClicked(ClickField::GunCount);
        else if (watched == m_code)
            m_core->fieldClicked(ClickField::Code);
        else {
            handled = false;
            for (int i = 0; i < kNumberFields; ++i)
                if (watched == m_numbers[static_cast<std::size_t>(i)]) {
                    m_core->fieldClicked(ClickField::Number, i);
                    handled = true;
                }
        }
        if (handled)
            refresh();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace planesedit
