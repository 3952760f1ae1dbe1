// The compare dialog's table, its choosers and its copy button.
#include "planesedit/comparedialog.h"
#include "common/platform.h"

#include "planesedit/planeseditpanels.h"
#include "planesedit/widgethelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

#include <set>

namespace kvl::planesedit {

namespace {

enum Column { kRowColumn, kLabelCol, kMineColumn, kOtherColumn, kColumns };

} // namespace

CompareDialog::CompareDialog(ActionRouter& router, QWidget* parent) : QDialog(parent), m_router(router)
{
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Compare with..."));
    m_slots = new QComboBox;
    m_slots->setObjectName(QStringLiteral("CompareSlot"));
    m_slots->setAccessibleName(QStringLiteral("Other slot"));
    for (const char* name : kSlotNames)
        m_slots->addItem(QString::fromLatin1(name));
    auto* slotButton = new QPushButton(QStringLiteral("Compare with this slot"));
    slotButton->setObjectName(QStringLiteral("CompareSlotButton"));
    connect(slotButton, &QPushButton::clicked, this, [this] { compareWithSlot(m_slots->currentIndex()); });
    auto* fileButton = new QPushButton(QStringLiteral("Same slot of another planes.dat..."));
    fileButton->setObjectName(QStringLiteral("CompareFileButton"));
    connect(fileButton, &QPushButton::clicked, this, [this] { compareWithFile(); });
    auto* choose = new QHBoxLayout;
    choose->addWidget(m_slots);
    choose->addWidget(slotButton);
    choose->addWidget(fileButton);
    choose->addStretch(1);

    m_source = new QLabel;
    m_source->setObjectName(QStringLiteral("CompareSource"));
    m_source->setAccessibleName(QStringLiteral("Compared with"));
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("CompareCount"));
    m_count->setAccessibleName(QStringLiteral("Differences"));
    m_onlyDifferences = new QCheckBox(QStringLiteral("Only differences"));
    m_onlyDifferences->setObjectName(QStringLiteral("OnlyDifferences"));
    connect(m_onlyDifferences, &QCheckBox::toggled, this, [this] { refresh(); });

    m_table = new QTableWidget(kRecordBytes, kColumns);
    m_table->setObjectName(QStringLiteral("CompareTable"));
    m_table->setAccessibleName(QStringLiteral("Compared values"));
    m_table->setHorizontalHeaderLabels(
        { QStringLiteral("Row"), QStringLiteral("Label"), QStringLiteral("This aircraft"), QStringLiteral("Other") });
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->horizontalHeader()->setSectionResizeMode(kLabelCol, QHeaderView::Stretch);
    for (int r = 0; r < kRecordBytes; ++r) {
        for (int c = 0; c < kColumns; ++c)
            m_table->setItem(r, c, new QTableWidgetItem);
        m_table->item(r, kRowColumn)->setText(QString::number(r + 1));
        m_table->item(r, kLabelCol)->setText(fromUtf8(rowLabel(r + 1)));
    }

    auto* copy = new QPushButton(QStringLiteral("Copy selected values into this aircraft"));
    copy->setObjectName(QStringLiteral("CopySelected"));
    connect(copy, &QPushButton::clicked, this, [this] { copySelected(); });
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_count);
    bottom->addWidget(m_onlyDifferences);
    bottom->addStretch(1);
    bottom->addWidget(copy);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choose);
    layout->addWidget(m_source);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);
    resize(620, 640);
}

// The dialog shows the result when the window refreshes, on the editor's
// notification at the end of each call.
void CompareDialog::compareWithSlot(int slot)
{
    m_router.run([slot](AircraftEditor& e) { e.compareWithSlot(slot); });
}

void CompareDialog::compareWithFile()
{
    m_router.run([](AircraftEditor& e) { e.compareWithFile(); });
}

void CompareDialog::copySelected()
{
    if (!m_router.editor().compared())
        return;
    std::set<int> rows;
    for (const QTableWidgetItem* item : m_table->selectedItems())
        rows.insert(item->row() + 1);
    if (rows.empty())
        return;
    m_router.run([&](AircraftEditor& e) { e.copyCompared({ rows.begin(), rows.end() }); });
}

void CompareDialog::refresh()
{
    const AircraftEditor& editor = m_router.editor();
    const RecordTable mine = editor.table();
    const std::optional<CompareTarget>& other = editor.compared();
    const QColor highlight(255, 236, 160);
    m_differences = 0;
    for (int r = 0; r < kRecordBytes; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const QString a = fromUtf8(mine.valueText(i));
        const QString b = other ? fromUtf8(other->table.valueText(i)) : QString();
        const bool differs = other && a != b;
        m_differences += differs;
        m_table->item(r, kMineColumn)->setText(a);
        m_table->item(r, kOtherColumn)->setText(b);
        for (int c = 0; c < kColumns; ++c)
            m_table->item(r, c)->setBackground(differs ? QBrush(highlight) : QBrush());
        m_table->setRowHidden(r, m_onlyDifferences->isChecked() && !differs);
    }
    std::string source;
    if (other) {
        const int slot = other->table.slot();
        source = "Compared with slot " + std::to_string(slot) + " (" + kSlotNames[static_cast<std::size_t>(slot)]
            + ") of " + kvl::platform::utf8FromPath(other->file);
    }
    setLabel(m_source, source);
    setLabel(m_count,
        other ? std::to_string(m_differences) + " difference" + (m_differences == 1 ? "" : "s")
              : std::string("Choose a slot or another planes.dat"));
}

} // namespace kvl::planesedit
