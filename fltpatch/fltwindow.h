// The flight editor's window: shows a FlightForm and forwards its events.
#pragma once

#include <QWidget>

#include <filesystem>
#include <memory>

#include "fltpatch/fltform.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace fltpatch {

/// Real dialogs: QFileDialog and QMessageBox over `parent`.
class QtFltDialogs : public FltDialogs {
public:
    explicit QtFltDialogs(QWidget* parent) : m_parent(parent) { }
    std::filesystem::path chooseFltFile(const std::filesystem::path& startFolder) override;
    void showMessage(const std::string& text) override;

private:
    QWidget* m_parent;
};

/// Text from the game's files as the window shows it: UTF-8 when it is valid
/// UTF-8, otherwise one character per byte (the game's files predate UTF-8).
QString gameText(const std::string& text);

class FltWindow : public QWidget {
    Q_OBJECT
public:
    /// `dialogs` replaces the real dialogs (tests); the window does not own it.
    explicit FltWindow(FltDialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~FltWindow() override;

    /// Centres the window, then runs the form's start-up in `folder`
    /// (descriptions, then `file` or the file dialog).
    void startUp(const std::filesystem::path& folder, const std::filesystem::path& file = {});

    FlightForm& form() { return *m_form; }

    /// Shows the form's state in the widgets.
    void sync();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void edit();
    int rowUnderPointer(int y) const;

    std::unique_ptr<QtFltDialogs> m_ownDialogs;
    // Shows the form's state before each dialog, then passes it on.
    std::unique_ptr<FltDialogs> m_syncingDialogs;
    std::unique_ptr<FlightForm> m_form;
    bool m_syncing = false;

    QTableWidget* m_g1 = nullptr;
    QTableWidget* m_g2 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
    QPushButton* m_command4 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_label7 = nullptr;
    QLabel* m_label9 = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace fltpatch
