// The window of the campaign set switcher: shows the switcher's state and
// forwards clicks to it.
#pragma once

#include "common/qt/qtwindowhost.h"
#include "folioswap/setswitcher.h"

#include <QPixmap>
#include <QWidget>

#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kvl::folioswap {

/// The switcher's host in the window. Message boxes and file dialogs are
/// Qt's (or those of `dialogs`, when given) and only show and answer; the
/// busy cursor changes at once. A picture and the end of the program are
/// kept until the window next shows the switcher's state, so that what is
/// behind a box is never half of an operation.
class WindowSwitcherHost : public SwitcherHost {
public:
    WindowSwitcherHost(QWidget* parent, kvl::WindowHost* dialogs);
    ~WindowSwitcherHost() override;

    kvl::MessageAnswer showMessage(
        const kvl::Message& message, kvl::MessageButtons buttons = kvl::MessageButtons::Ok) override;
    std::filesystem::path chooseFile(const kvl::FileDialogRequest& request) override;
    void setBusy(bool busy) override;
    bool showPicture(const std::vector<std::uint8_t>& bytes) override;
    void clearPicture() override;
    void quit() override;
    /// The Add Set confirmation (AddSetDialog), or that of `dialogs` when
    /// it is a switcher host itself (tests).
    std::optional<std::string> confirmNewSet(const NewSetProposal& proposal) override;

    /// The picture asked for since the last call (a null one to clear the
    /// box), or nothing when none was.
    std::optional<QPixmap> takePicture();
    bool quitAsked() const { return m_quit; }

private:
    QWidget* m_parent;
    kvl::qt::DialogHost m_qtDialogs;
    kvl::WindowHost& m_dialogs;
    int m_busyDepth = 0;
    std::optional<QPixmap> m_picture;
    bool m_quit = false;
};

/// The one window, objectName "FRM_Borvex", titled "Borvex". It shows the
/// switcher's state whenever the switcher's change notification says so.
class FolioSwapWindow : public QWidget {
    Q_OBJECT
public:
    /// `dialogs`, when given, shows the message boxes and file dialogs
    /// instead of Qt (tests); the window does not own it.
    explicit FolioSwapWindow(kvl::WindowHost* dialogs = nullptr, QWidget* parent = nullptr);
    ~FolioSwapWindow() override;

    /// Start-up with `mainPath` as the program folder; false when it ended in
    /// a fatal report (the window must then not be shown).
    bool start(const std::filesystem::path& mainPath);
    /// Centres the window on its screen when it is in its normal state.
    void centreOnScreen();

    SetSwitcher& switcher() { return m_switcher; }
    const QPixmap& picture() const { return m_picture; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(void (SetSwitcher::*event)());
    void chooseRow(int row);
    int selectedRow() const;
    void refresh();
    void refreshList();
    void updatePicture();
    void setPicture(const QPixmap& picture);

    WindowSwitcherHost m_host;
    SetSwitcher m_switcher;
    QPixmap m_picture;
    /// The list's selected row when the last mouse press on it began.
    int m_rowAtPress = -1;

    QLabel* m_setsLabel = nullptr;
    QListWidget* m_setList = nullptr;
    QLabel* m_loadedLabel = nullptr;
    QLineEdit* m_loadedBox = nullptr;
    QPlainTextEdit* m_textBox = nullptr;
    QLabel* m_pictureBox = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_previewButton = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_unloadButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
    QPushButton* m_setReadMeButton = nullptr;
    QPushButton* m_programReadMeButton = nullptr;
    QPushButton* m_usageNotesButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    QPushButton* m_addSetButton = nullptr;
    QPushButton* m_removeSetButton = nullptr;
    QAction* m_addArchiveAction = nullptr;
    QAction* m_addFolderAction = nullptr;
    QAction* m_removeSetAction = nullptr;
    QLabel* m_aboutLabel = nullptr;
};

} // namespace kvl::folioswap
