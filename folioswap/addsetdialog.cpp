// The confirmation of Add Set.
#include "folioswap/addsetdialog.h"

#include "common/qt/accessibletext.h"
#include "common/qt/qtwindowhost.h"
#include "folioswap/setswitcher.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvl::folioswap {

AddSetDialog::AddSetDialog(const NewSetProposal& proposal, QWidget* parent) : QDialog(parent), m_proposal(proposal)
{
    setObjectName(QStringLiteral("AddSetDialog"));
    setWindowTitle(QString::fromLatin1(kTitle) + QStringLiteral(" - Add Campaign Set"));

    m_nameBox = new QLineEdit(qt::fromUtf8(proposal.suggestedName), this);
    m_nameBox->setObjectName(QStringLiteral("TXT_newsetname"));
    m_nameBox->setAccessibleName(QStringLiteral("Campaign name"));
    m_nameBox->selectAll();
    auto* nameLabel = new QLabel(QStringLiteral("Campaign &name:"), this);
    nameLabel->setObjectName(QStringLiteral("LBL_newsetname"));
    nameLabel->setBuddy(m_nameBox);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("LBL_newsetproblem"));
    m_problem->setAccessibleName(QStringLiteral("Name problem"));
    m_problem->setWordWrap(true);

    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("TXT_newsetpreview"));
    m_preview->setAccessibleName(QStringLiteral("What Add Set will do"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_preview->setMinimumSize(640, 320);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("BTN_newset"));
    m_addButton = buttons->button(QDialogButtonBox::Ok);
    m_addButton->setText(QStringLiteral("Add Set"));
    m_addButton->setObjectName(QStringLiteral("CMD_newsetadd"));
    m_addButton->setAccessibleName(m_addButton->text());
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("CMD_newsetcancel"));
    cancel->setAccessibleName(cancel->text());

    auto* form = new QFormLayout;
    form->addRow(nameLabel, m_nameBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(m_preview, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_nameBox, &QLineEdit::textChanged, this, [this] { nameChanged(); });
    nameChanged();
}

std::string AddSetDialog::name() const
{
    return m_nameBox->text().toStdString();
}

// The preview follows the name; a name no set may have is said at once.
void AddSetDialog::nameChanged()
{
    const std::string name = this->name();
    const std::optional<std::string> problem = setNameProblem(name, m_proposal.takenNames);
    m_addButton->setEnabled(!problem);
    const QString problemText = problem ? qt::fromUtf8(*problem) : QString();
    qt::setLabelText(m_problem, problemText);
    m_problem->setVisible(!problemText.isEmpty());
    QString text = qt::fromUtf8(describeNewSet(m_proposal, name));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_preview->setPlainText(text);
    qt::describeAs(m_preview, text);
}

std::optional<std::string> AddSetDialog::ask(const NewSetProposal& proposal, QWidget* parent)
{
    AddSetDialog dialog(proposal, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.name();
}

} // namespace kvl::folioswap
