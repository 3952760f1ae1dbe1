// The window of the campaign set switcher: shows the switcher's state and
// forwards clicks to it.
#pragma once

#include "folioswap/setswitcher.h"

#include <QPixmap>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kvl::folioswap {

/// The one window, objectName "FRM_Borvex", titled "Borvex".
class FolioSwapWindow : public QWidget, public SwitcherHost {
    Q_OBJECT
public:
    explicit FolioSwapWindow(QWidget* parent = nullptr);
    ~FolioSwapWindow() override;

    /// Start-up with `mainPath` as the program folder; false when it ended in
    /// a fatal report (the window must then not be shown).
    bool start(const std::filesystem::path& mainPath);
    /// Centres the window on its screen when it is in its normal state.
    void centreOnScreen();

    SetSwitcher& switcher() { return m_switcher; }
    const QPixmap& picture() const { return m_picture; }

    // SwitcherHost
    kvl::MessageAnswer showMessage(
        const kvl::Message& message, kvl::MessageButtons buttons = kvl::MessageButtons::Ok) override;
    std::filesystem::path chooseFile(const kvl::FileDialogRequest& request) override;
    void setBusy(bool busy) override;
    bool showPicture(const std::vector<std::uint8_t>& bytes) override;
    void clearPicture() override;
    void quit() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(void (SetSwitcher::*event)());
    void chooseRow(int row);
    int selectedRow() const;
    void refresh();
    void updatePicture();

    SetSwitcher m_switcher;
    QPixmap m_picture;
    int m_busyDepth = 0;
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
    QLabel* m_aboutLabel = nullptr;
};

} // namespace kvl::folioswap
