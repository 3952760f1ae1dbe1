// The window of the campaign set switcher.
#include "folioswap/folioform.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace folio {

QString decodeText(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text());
    return button;
}

} // namespace

FolioForm::FolioForm(QWidget* parent) : QWidget(parent), m_core(*this)
{
    setObjectName(QStringLiteral("FRM_Borvex"));
    setWindowTitle(QString::fromLatin1(kTitle));

    m_lblCampaignsAvail = new QLabel(QStringLiteral("Campaigns Available"), this);
    m_lblCampaignsAvail->setObjectName(QStringLiteral("LBL_campaignsavail"));
    m_lstAvailable = new QListWidget(this);
    m_lstAvailable->setObjectName(QStringLiteral("LST_available"));
    m_lstAvailable->setAccessibleName(m_lblCampaignsAvail->text());
    m_lblCampaignsAvail->setBuddy(m_lstAvailable);

    m_lblCurr = new QLabel(QStringLiteral("Last Campaign Loaded:"), this);
    m_lblCurr->setObjectName(QStringLiteral("LBL_curr"));
    m_txtCurrent = new QLineEdit(this);
    m_txtCurrent->setObjectName(QStringLiteral("TXT_current"));
    m_txtCurrent->setReadOnly(true);
    m_txtCurrent->setEnabled(false);
    m_txtCurrent->setAccessibleName(m_lblCurr->text());
    m_lblCurr->setBuddy(m_txtCurrent);

    m_txtComments = new QPlainTextEdit(this);
    m_txtComments->setObjectName(QStringLiteral("TXT_campaigncomments"));
    m_txtComments->setReadOnly(true);
    m_txtComments->setEnabled(false);
    m_txtComments->setAccessibleName(QStringLiteral("Campaign comments"));

    m_imgMain = new QLabel(this);
    m_imgMain->setObjectName(QStringLiteral("IMG_main"));
    m_imgMain->setAccessibleName(QStringLiteral("Campaign picture"));
    m_imgMain->setAlignment(Qt::AlignCenter);
    m_imgMain->setMinimumSize(360, 270);
    m_imgMain->setFrameShape(QFrame::Panel);
    m_imgMain->setFrameShadow(QFrame::Sunken);
    m_imgMain->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    m_cmdLoad = makeButton(this, "CMD_load", "Load Selected Campaign");
    m_cmdUnload = makeButton(this, "CMD_unload", "Unload Selected Campaign");
    m_cmdRestore = makeButton(this, "CMD_resore", "Restore QEX Files");
    m_cmdViewCampReadMe = makeButton(this, "CMD_View_CampReadMe", "View Selected Campaign ReadMe");
    m_cmdViewReadMe = makeButton(this, "CMD_View_ReadMe", "View Borvex ReadMe");
    m_cmdViewUsageNotes = makeButton(this, "CMD_View_Usage_Notes", "View Campaign Usage Notes (General)");
    m_cmdExit = makeButton(this, "CMD_exit", "Exit");

    m_lblTest = new QLabel(QStringLiteral("Borvex\nVersion 1.5\nSee Read Me for instructions"), this);
    m_lblTest->setObjectName(QStringLiteral("lbl_test"));
    m_lblTest->setAccessibleName(m_lblTest->text());
    m_lblTest->setAlignment(Qt::AlignCenter);

    auto* left = new QVBoxLayout;
    left->addWidget(m_lblCampaignsAvail);
    left->addWidget(m_lstAvailable, 1);
    left->addWidget(m_lblCurr);
    left->addWidget(m_txtCurrent);
    left->addSpacing(8);
    left->addWidget(m_lblTest);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button :
        { m_cmdLoad, m_cmdUnload, m_cmdRestore, m_cmdViewCampReadMe, m_cmdViewReadMe, m_cmdViewUsageNotes })
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdExit);

    auto* grid = new QGridLayout(this);
    grid->addLayout(left, 0, 0, 2, 1);
    grid->addWidget(m_imgMain, 0, 1);
    grid->addLayout(buttons, 0, 2);
    grid->addWidget(m_txtComments, 1, 1, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    resize(1000, 680);

    // An entry counts as clicked whenever the selection moves to it, by mouse
    // or by keyboard, so that the set shown is always the set the buttons act
    // on; a click on the entry that was already selected shows it again
    // (after a read-me, say).
    m_lstAvailable->viewport()->installEventFilter(this);
    connect(m_lstAvailable, &QListWidget::itemSelectionChanged, this, [this] {
        int row = selectedRow();
        if (row >= 0)
            chooseEntry(row);
    });
    connect(m_lstAvailable, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        int row = m_lstAvailable->row(item);
        if (row >= 0 && row == m_rowAtPress)
            chooseEntry(row);
    });
    connect(m_cmdLoad, &QPushButton::clicked, this, [this] { run(&FolioCore::loadSelected); });
    connect(m_cmdUnload, &QPushButton::clicked, this, [this] { run(&FolioCore::unloadSelected); });
    connect(m_cmdRestore, &QPushButton::clicked, this, [this] { run(&FolioCore::restoreQexFiles); });
    connect(m_cmdViewCampReadMe, &QPushButton::clicked, this, [this] { run(&FolioCore::viewCampaignReadMe); });
    connect(m_cmdViewReadMe, &QPushButton::clicked, this, [this] { run(&FolioCore::viewBorvexReadMe); });
    connect(m_cmdViewUsageNotes, &QPushButton::clicked, this, [this] { run(&FolioCore::viewUsageNotes); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { run(&FolioCore::exitProgram); });
}

FolioForm::~FolioForm()
{
    while (m_busyDepth > 0)
        setBusy(false);
}

bool FolioForm::start(const std::filesystem::path& mainPath)
{
    m_core.formLoad(mainPath);
    m_lstAvailable->clear();
    for (const auto& name : m_core.available())
        m_lstAvailable->addItem(QString::fromStdString(name));
    refresh();
    return !m_core.ended();
}

void FolioForm::centreOnScreen()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void FolioForm::run(void (FolioCore::*handler)())
{
    (m_core.*handler)();
    refresh();
}

void FolioForm::chooseEntry(int row)
{
    m_core.clickEntry(static_cast<std::size_t>(row));
    refresh();
}

int FolioForm::selectedRow() const
{
    const QList<QListWidgetItem*> items = m_lstAvailable->selectedItems();
    return items.size() == 1 ? m_lstAvailable->row(items.front()) : -1;
}

bool FolioForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lstAvailable->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        m_rowAtPress = selectedRow();
    return QWidget::eventFilter(watched, event);
}

void FolioForm::refresh()
{
    // No set chosen (at start, and after an unload): no entry looks chosen.
    const auto& selected = m_core.selectedCampaign();
    if ((!selected || *selected == kNoCampaign) && !m_lstAvailable->selectedItems().isEmpty()) {
        QSignalBlocker quiet(m_lstAvailable);
        m_lstAvailable->clearSelection();
    }
    m_txtCurrent->setText(QString::fromStdString(m_core.currentText()));
    m_txtCurrent->setEnabled(m_core.currentEnabled());
    QString comments = decodeText(m_core.comments());
    comments.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (m_txtComments->toPlainText() != comments)
        m_txtComments->setPlainText(comments);
    m_txtComments->setEnabled(m_core.commentsEnabled());
}

void FolioForm::messageBox(Icon icon, const std::string& text)
{
    // What the event has changed so far shows behind the box.
    refresh();
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation)
        boxIcon = QMessageBox::Warning;
    else if (icon == Icon::Information)
        boxIcon = QMessageBox::Information;
    showBox(boxIcon, decodeText(text));
}

void FolioForm::showBox(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromLatin1(kTitle), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("Borvex_message"));
    box.exec();
}

void FolioForm::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

bool FolioForm::showPicture(const std::vector<std::uint8_t>& bytes)
{
    QImage image;
    if (bytes.empty()
        || !image.loadFromData(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX))))
        return false;
    m_picture = QPixmap::fromImage(image);
    updatePictureLabel();
    return true;
}

void FolioForm::clearPicture()
{
    m_picture = QPixmap();
    m_imgMain->clear();
}

void FolioForm::quit()
{
    close();
    QCoreApplication::quit();
}

void FolioForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updatePictureLabel();
}

void FolioForm::updatePictureLabel()
{
    if (m_picture.isNull())
        return;
    m_imgMain->setPixmap(
        m_picture.scaled(m_imgMain->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace folio
