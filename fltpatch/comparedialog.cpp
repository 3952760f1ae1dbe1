// The side-by-side table of two flight files.
#include "fltpatch/comparedialog.h"

#include "common/qt/accessibletext.h"
#include "common/qt/qtwindowhost.h"
#include "fltpatch/flighteditor.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace kvl::fltpatch {

namespace {

enum Column { FieldColumn, DescriptionColumn, MineColumn, TheirsColumn, ColumnCount };

void setCell(QTableWidget* table, int row, int column, const QString& value)
{
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        table->setItem(row, column, item);
    }
    if (item->text() != value)
        item->setText(value);
}

} // namespace

CompareDialog::CompareDialog(FlightModelEditor& editor, QWidget* parent)
    : QDialog(parent),
      m_editor(editor),
      m_differs(kFieldCount, false)
{
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Compare flight files"));

    m_files = new QLabel(this);
    m_files->setObjectName(QStringLiteral("CompareFiles"));
    m_files->setAccessibleName(QStringLiteral("Compared files"));
    m_files->setWordWrap(true);
    m_files->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_table = new QTableWidget(kFieldCount, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("CompareTable"));
    m_table->setAccessibleName(QStringLiteral("Values of both files"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setWordWrap(false);
    m_table->setHorizontalHeaderLabels({ QStringLiteral("Field"), QStringLiteral("Description"),
        QStringLiteral("This file"), QStringLiteral("Other file") });
    m_table->horizontalHeader()->setSectionResizeMode(DescriptionColumn, QHeaderView::Stretch);
    m_table->setColumnWidth(FieldColumn, 50);
    m_table->setColumnWidth(MineColumn, 110);
    m_table->setColumnWidth(TheirsColumn, 110);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("DifferenceCount"));
    m_count->setAccessibleName(QStringLiteral("Number of differences"));
    m_onlyDifferences = new QCheckBox(QStringLiteral("Only differences"), this);
    m_onlyDifferences->setObjectName(QStringLiteral("OnlyDifferences"));
    m_copy = new QPushButton(QStringLiteral("Copy selected values into this file"), this);
    m_copy->setObjectName(QStringLiteral("CopyValues"));
    m_copy->setAutoDefault(false);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* row = new QHBoxLayout;
    row->addWidget(m_count, 1);
    row->addWidget(m_onlyDifferences);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_copy);
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_files);
    layout->addLayout(row);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);
    resize(760, 640);

    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_onlyDifferences, &QCheckBox::toggled, this, [this] { showOnlyDifferences(); });
    connect(m_copy, &QPushButton::clicked, this, [this] { copySelected(); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
        [this] { m_copy->setEnabled(!m_table->selectionModel()->selectedRows().isEmpty()); });
    refresh();
}

void CompareDialog::refresh()
{
    const std::filesystem::path& mine = m_editor.loadedFile();
    const std::filesystem::path& theirs = m_editor.comparedFile();
    const QString text
        = QStringLiteral("This file: %1\nOther file: %2").arg(qt::toQString(mine), qt::toQString(theirs));
    qt::setLabelText(m_files, text);
    m_table->horizontalHeaderItem(MineColumn)->setText(qt::toQString(mine.filename()));
    m_table->horizontalHeaderItem(TheirsColumn)->setText(qt::toQString(theirs.filename()));

    std::fill(m_differs.begin(), m_differs.end(), false);
    for (const FieldDifference& d : m_editor.differences())
        m_differs[d.index] = true;
    const FlightFieldTable other = m_editor.comparedTable();
    QFont plain = m_table->font();
    QFont bold = plain;
    bold.setBold(true);
    const QBrush marked = palette().brush(QPalette::Highlight).color().lighter(170);
    for (int number = 1; number <= kFieldCount; ++number) {
        const int r = number - 1;
        setCell(m_table, r, FieldColumn, QString::number(number));
        setCell(m_table, r, DescriptionColumn, qt::fromUtf8(m_editor.description(number)));
        setCell(m_table, r, MineColumn, qt::fromUtf8(m_editor.valueText(number)));
        setCell(m_table, r, TheirsColumn, qt::fromUtf8(other.valueText(static_cast<std::size_t>(r))));
        const bool differs = m_differs[static_cast<std::size_t>(r)];
        for (int c = 0; c < ColumnCount; ++c) {
            QTableWidgetItem* item = m_table->item(r, c);
            // Bold as well as coloured, so the mark does not rest on colour alone.
            item->setFont(differs ? bold : plain);
            item->setBackground(differs ? marked : QBrush());
        }
    }
    const auto n = std::count(m_differs.begin(), m_differs.end(), true);
    const QString count = n == 0 ? QStringLiteral("The files hold the same values.")
        : n == 1                 ? QStringLiteral("1 of %1 values differs.").arg(kFieldCount)
                                 : QStringLiteral("%1 of %2 values differ.").arg(n).arg(kFieldCount);
    qt::setLabelText(m_count, count);
    showOnlyDifferences();
    m_copy->setEnabled(!m_table->selectionModel()->selectedRows().isEmpty());
}

void CompareDialog::showOnlyDifferences()
{
    const bool only = m_onlyDifferences->isChecked();
    for (int r = 0; r < kFieldCount; ++r)
        m_table->setRowHidden(r, only && !m_differs[static_cast<std::size_t>(r)]);
}

std::vector<int> CompareDialog::selectedFields() const
{
    std::set<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        if (!m_table->isRowHidden(index.row()))
            rows.insert(index.row() + 1);
    return { rows.begin(), rows.end() };
}

void CompareDialog::copySelected()
{
    // The editor's change notification brings this dialog up to date through
    // the window.
    m_editor.copyCompared(selectedFields());
}

} // namespace kvl::fltpatch
