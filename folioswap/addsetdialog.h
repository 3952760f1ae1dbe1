// The confirmation of Add Set: the new set's name, which the user may
// change, and what the set would hold and replace, before anything is
// written.
#pragma once

#include "folioswap/setinstall.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kvl::folioswap {

/// objectName "AddSetDialog". Shows describeNewSet for the name typed;
/// "Add Set" is enabled only while the name is one a new set can have.
class AddSetDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddSetDialog(const NewSetProposal& proposal, QWidget* parent = nullptr);

    /// The name in the box.
    std::string name() const;
    /// Runs the dialog; the confirmed name, or nothing when cancelled.
    static std::optional<std::string> ask(const NewSetProposal& proposal, QWidget* parent);

private:
    void nameChanged();

    const NewSetProposal& m_proposal;
    QLineEdit* m_nameBox = nullptr;
    QLabel* m_problem = nullptr;
    QPlainTextEdit* m_preview = nullptr;
    QPushButton* m_addButton = nullptr;
};

} // namespace kvl::folioswap
