// The apply window: the file, the slot choice and the table of changes.
#include "planesedit/applydialog.h"
#include "common/platform.h"

#include "planesedit/planeseditpanels.h"
#include "planesedit/widgethelpers.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kvl::planesedit {

namespace {

enum Column { kApplyRowColumn, kApplyLabelColumn, kOldColumn, kNewColumn, kColumns };

QLabel* namedLabel(const QString& objectName, const QString& accessibleName, const std::string& text)
{
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setAccessibleName(accessibleName);
    label->setTextFormat(Qt::PlainText);
    setLabel(label, text);
    return label;
}

} // namespace

ApplyDialog::ApplyDialog(ActionRouter& router, ApplyProposal proposal, QWidget* parent)
    : QDialog(parent),
      m_router(router),
      m_proposal(std::move(proposal))
{
    const bool script = m_proposal.values.kind == ValuesFileKind::Script;
    setObjectName(QStringLiteral("ApplyDialog"));
    setWindowTitle(script ? QStringLiteral("Apply Script") : QStringLiteral("Open Working Copy"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(namedLabel(QStringLiteral("ApplyFile"), QStringLiteral("File"),
        std::string(script ? "Aircraft script " : "Working copy ") + kvl::platform::utf8FromPath(m_proposal.file)));
    if (script) {
        const auto& destination = m_proposal.values.destination;
        layout->addWidget(namedLabel(QStringLiteral("ApplyNameLine"), QStringLiteral("Name line"),
            "Name line: \"" + m_proposal.values.name + "\""));
        layout->addWidget(namedLabel(QStringLiteral("ApplyDestination"), QStringLiteral("Destination slot"),
            "Destination slot: "
                + (destination
                        ? std::to_string(*destination) + " (" + kSlotNames[static_cast<std::size_t>(*destination)] + ")"
                        : std::string("none"))));
    }

    auto* targets = new QGroupBox(QStringLiteral("Put the values into"));
    targets->setObjectName(QStringLiteral("ApplyTargets"));
    auto* targetLayout = new QVBoxLayout(targets);
    m_choices = new QButtonGroup(this);
    for (std::size_t i = 0; i < m_proposal.choices.size(); ++i) {
        const ApplyChoice& choice = m_proposal.choices[i];
        std::string text = applyTargetText(choice.target);
        if (!choice.unreadable.empty())
            text += " - cannot be read: " + choice.unreadable;
        auto* button = new QRadioButton(fromUtf8(text));
        button->setObjectName(QStringLiteral("ApplyTarget_%1").arg(i));
        button->setEnabled(choice.unreadable.empty());
        m_choices->addButton(button, static_cast<int>(i));
        targetLayout->addWidget(button);
    }
    connect(m_choices, &QButtonGroup::idClicked, this, [this](int id) { choose(id); });
    layout->addWidget(targets);

    m_count = namedLabel(QStringLiteral("ApplyCount"), QStringLiteral("Values that change"), {});
    layout->addWidget(m_count);
    m_table = new QTableWidget(0, kColumns);
    m_table->setObjectName(QStringLiteral("ApplyTable"));
    m_table->setAccessibleName(QStringLiteral("Values that change"));
    m_table->setHorizontalHeaderLabels(
        { QStringLiteral("Row"), QStringLiteral("Label"), QStringLiteral("Old"), QStringLiteral("New") });
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSectionResizeMode(kApplyLabelColumn, QHeaderView::Stretch);
    layout->addWidget(m_table, 1);

    auto* buttons = new QDialogButtonBox;
    m_apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("ApplyButton"));
    m_apply->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("ApplyCancel"));
    connect(m_apply, &QPushButton::clicked, this, [this] { apply(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(620, 560);

    // The slot proposed, or the first that can be read.
    int first = 0;
    while (first + 1 < static_cast<int>(m_proposal.choices.size())
        && !m_proposal.choices[static_cast<std::size_t>(first)].unreadable.empty())
        ++first;
    choose(first);
}

void ApplyDialog::choose(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_proposal.choices.size()) {
        m_apply->setEnabled(false);
        return;
    }
    m_chosen = index;
    if (QAbstractButton* button = m_choices->button(index))
        button->setChecked(true);
    const ApplyChoice& choice = m_proposal.choices[static_cast<std::size_t>(index)];
    m_table->setRowCount(static_cast<int>(choice.changes.size()));
    for (int r = 0; r < static_cast<int>(choice.changes.size()); ++r) {
        const kvl::FieldDifference& change = choice.changes[static_cast<std::size_t>(r)];
        const int row = static_cast<int>(change.index) + 1;
        const QString texts[kColumns] = { QString::number(row), fromUtf8(rowLabel(row)), fromUtf8(change.mine),
            fromUtf8(change.theirs) };
        for (int c = 0; c < kColumns; ++c)
            m_table->setItem(r, c, new QTableWidgetItem(texts[c]));
    }
    const std::size_t n = choice.changes.size();
    setLabel(m_count,
        !choice.unreadable.empty() ? "This slot cannot be read: " + choice.unreadable
            : n == 0               ? std::string("No value would change.")
                                   : std::to_string(n) + (n == 1 ? " value" : " values") + " would change in "
                + applyTargetText(choice.target) + ":");
    m_apply->setEnabled(choice.unreadable.empty());
}

int ApplyDialog::changesShown() const
{
    return m_table->rowCount();
}

void ApplyDialog::apply()
{
    if (static_cast<std::size_t>(m_chosen) >= m_proposal.choices.size()
        || !m_proposal.choices[static_cast<std::size_t>(m_chosen)].unreadable.empty())
        return;
    // Closed first, so that a save prompt for the aircraft left is not hidden behind it.
    const ApplyProposal proposal = m_proposal;
    const int slot = m_proposal.choices[static_cast<std::size_t>(m_chosen)].target.slot;
    ActionRouter& router = m_router;
    accept();
    router.run([&](AircraftEditor& e) { e.applyValuesFile(proposal, slot); });
}

} // namespace kvl::planesedit
