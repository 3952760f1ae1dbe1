// The window of the campaign set switcher: shows the core's state and
// forwards clicks to it.
#pragma once

#include "folioswap/foliocore.h"

#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace folio {

class FolioForm : public QWidget, public FolioHost {
    Q_OBJECT
public:
    explicit FolioForm(QWidget* parent = nullptr);
    ~FolioForm() override;

    /// Start-up with `mainPath` as the program folder; false when it ended in
    /// a fatal report (the window must then not be shown).
    bool start(const std::filesystem::path& mainPath);
    /// Centres the window on its screen when it is in its normal state.
    void centreOnScreen();

    FolioCore& core() { return m_core; }
    const QPixmap& picture() const { return m_picture; }

    // FolioHost
    void messageBox(Icon icon, const std::string& text) override;
    void setBusy(bool busy) override;
    bool showPicture(const std::vector<std::uint8_t>& bytes) override;
    void clearPicture() override;
    void quit() override;

protected:
    /// Shows one modal message box; tests replace it to read the texts.
    virtual void showBox(QMessageBox::Icon icon, const QString& text);
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(void (FolioCore::*event)());
    void chooseEntry(int row);
    int selectedRow() const;
    void refresh();
    void updatePictureLabel();

    FolioCore m_core;
    QPixmap m_picture;
    int m_busyDepth = 0;
    /// The list's selected row when the last mouse press on it began.
    int m_rowAtPress = -1;

    QLabel* m_lblCampaignsAvail = nullptr;
    QListWidget* m_lstAvailable = nullptr;
    QLabel* m_lblCurr = nullptr;
    QLineEdit* m_txtCurrent = nullptr;
    QPlainTextEdit* m_txtComments = nullptr;
    QLabel* m_imgMain = nullptr;
    QPushButton* m_cmdLoad = nullptr;
    QPushButton* m_cmdUnload = nullptr;
    QPushButton* m_cmdRestore = nullptr;
    QPushButton* m_cmdViewCampReadMe = nullptr;
    QPushButton* m_cmdViewReadMe = nullptr;
    QPushButton* m_cmdViewUsageNotes = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QLabel* m_lblTest = nullptr;
};

/// A text file's bytes as text: UTF-8 when they are valid UTF-8, otherwise
/// the single-byte code page the game's files are written in.
QString decodeText(const std::string& bytes);

} // namespace folio
