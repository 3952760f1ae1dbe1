// The window's wiring: captions, the list at start, clicks reaching the core,
// the message boxes' texts.
#include "folioswap/folioform.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using folio::FolioForm;

namespace {

class RecordingForm : public FolioForm {
public:
    QList<QPair<QMessageBox::Icon, QString>> boxes;

protected:
    void showBox(QMessageBox::Icon icon, const QString& text) override { boxes.append({ icon, text }); }
};

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray jpeg(QColor colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

} // namespace

class FolioFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_main;

    template <typename T>
    static T* child(QWidget& form, const char* name)
    {
        return form.findChild<T*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_main = m_dir.path() + QStringLiteral("/Borvex");
        put(m_main + "/Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        put(m_main + "/CAMChannel/CAMP0001.DAT", "channel");
        put(m_main + "/CAMMalta Siege/CAMP0002.DAT", "malta");
        put(m_main + "/Workfiles/Channel.jpg", jpeg(Qt::blue));
        put(m_main + "/Workfiles/xxxChannel.txt", "Channel comment\r\n");
        put(m_main + "/Workfiles/Malta Siege.jpg", jpeg(Qt::darkYellow));
        put(m_main + "/Workfiles/xxxMalta Siege.txt", "Malta comment\r\n");
        put(m_main + "/ReadMe/BorvexReadMe.txt", "How to use\r\n");
    }

    static void clickRow(QListWidget* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    void captionsAndNames()
    {
        RecordingForm form;
        QCOMPARE(form.objectName(), QStringLiteral("FRM_Borvex"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Borvex"));
        const QList<QPair<const char*, QString>> buttons {
            { "CMD_load", "Load Selected Campaign" },
            { "CMD_unload", "Unload Selected Campaign" },
            { "CMD_resore", "Restore QEX Files" },
            { "CMD_View_CampReadMe", "View Selected Campaign ReadMe" },
            { "CMD_View_ReadMe", "View Borvex ReadMe" },
            { "CMD_View_Usage_Notes", "View Campaign Usage Notes (General)" },
            { "CMD_exit", "Exit" },
        };
        for (const auto& [name, text] : buttons) {
            auto* button = child<QPushButton>(form, name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), text);
            QCOMPARE(button->accessibleName(), text);
        }
        QCOMPARE(child<QLabel>(form, "LBL_campaignsavail")->text(), QStringLiteral("Campaigns Available"));
        QCOMPARE(child<QLabel>(form, "LBL_curr")->text(), QStringLiteral("Last Campaign Loaded:"));
        QCOMPARE(child<QListWidget>(form, "LST_available")->accessibleName(), QStringLiteral("Campaigns Available"));
        QCOMPARE(child<QLineEdit>(form, "TXT_current")->accessibleName(), QStringLiteral("Last Campaign Loaded:"));
        QVERIFY(!child<QPlainTextEdit>(form, "TXT_campaigncomments")->accessibleName().isEmpty());
        QVERIFY(!child<QLabel>(form, "IMG_main")->accessibleName().isEmpty());
        QVERIFY(child<QLabel>(form, "lbl_test")->text().contains(QStringLiteral("Version 1.5")));
    }

    void listFilledAtStartAndClickShowsTheSet()
    {
        RecordingForm form;
        QVERIFY(form.start(m_main.toStdString()));
        auto* list = child<QListWidget>(form, "LST_available");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Channel"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Malta Siege"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QRect rect = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(form.core().selectedCampaign().value_or(""), std::string("Malta Siege"));
        QVERIFY(!form.picture().isNull());
        QCOMPARE(child<QPlainTextEdit>(form, "TXT_campaigncomments")->toPlainText(), QStringLiteral("Malta comment\n"));
        QVERIFY(form.boxes.isEmpty());
    }

    // The set the buttons act on is always the one the list shows chosen,
    // whether it was chosen with the mouse or the keyboard.
    void keyboardSelectionAndReclickChooseTheSet()
    {
        RecordingForm form;
        QVERIFY(form.start(m_main.toStdString()));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* list = child<QListWidget>(form, "LST_available");
        auto* comments = child<QPlainTextEdit>(form, "TXT_campaigncomments");
        clickRow(list, 0);
        QCOMPARE(form.core().selectedCampaign().value_or(""), std::string("Channel"));
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(form.core().selectedCampaign().value_or(""), std::string("Malta Siege"));
        QCOMPARE(comments->toPlainText(), QStringLiteral("Malta comment\n"));

        // After a read-me, a click on the entry already chosen shows it again.
        QTest::mouseClick(child<QPushButton>(form, "CMD_View_ReadMe"), Qt::LeftButton);
        QCOMPARE(comments->toPlainText(), QStringLiteral("How to use\n"));
        clickRow(list, 1);
        QCOMPARE(comments->toPlainText(), QStringLiteral("Malta comment\n"));
        QVERIFY(!form.core().ended());
    }

    void unloadLeavesNoEntryChosen()
    {
        RecordingForm form;
        QVERIFY(form.start(m_main.toStdString()));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* list = child<QListWidget>(form, "LST_available");
        clickRow(list, 0);
        QTest::mouseClick(child<QPushButton>(form, "CMD_load"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(form, "CMD_unload"), Qt::LeftButton);
        QCOMPARE(form.boxes.last().second, QStringLiteral("Campaign Unloaded"));
        QVERIFY(list->selectedItems().isEmpty());
        clickRow(list, 0);
        QCOMPARE(form.core().selectedCampaign().value_or(""), std::string("Channel"));
        QVERIFY(!list->selectedItems().isEmpty());
        QVERIFY(!form.picture().isNull());
    }

    void buttonsShowTheMessagesTitledBorvex()
    {
        RecordingForm form;
        QVERIFY(form.start(m_main.toStdString()));
        QTest::mouseClick(child<QPushButton>(form, "CMD_load"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(form, "CMD_unload"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(form, "CMD_resore"), Qt::LeftButton);
        QCOMPARE(form.boxes.size(), 3);
        QCOMPARE(form.boxes[0].second, QStringLiteral("You must select a campaign before loading"));
        QCOMPARE(form.boxes[1].second, QStringLiteral("You must select a campaign before unloading"));
        QCOMPARE(form.boxes[2].second, QStringLiteral("You must select a campaign from which to restore"));
        QCOMPARE(form.boxes[0].first, QMessageBox::NoIcon);
    }

    void loadAndUnloadUpdateTheCurrentBox()
    {
        RecordingForm form;
        QVERIFY(form.start(m_main.toStdString()));
        form.core().clickEntry(0);
        QTest::mouseClick(child<QPushButton>(form, "CMD_load"), Qt::LeftButton);
        QCOMPARE(form.boxes.last().second, QStringLiteral("Campaign Loaded"));
        QCOMPARE(child<QLineEdit>(form, "TXT_current")->text(), QStringLiteral("Channel"));
        QVERIFY(QFile::exists(m_dir.path() + "/CAMP0001.DAT"));
        QTest::mouseClick(child<QPushButton>(form, "CMD_unload"), Qt::LeftButton);
        QCOMPARE(form.boxes.last().second, QStringLiteral("Campaign Unloaded"));
        QCOMPARE(child<QLineEdit>(form, "TXT_current")->text(), QString());
        QVERIFY(form.picture().isNull());
        QVERIFY(!QFile::exists(m_dir.path() + "/CAMP0001.DAT"));
    }

    void fatalReportShowsTwoBoxesAndStops()
    {
        QTemporaryDir empty;
        RecordingForm form;
        QVERIFY(!form.start(empty.path().toStdString()));
        QCOMPARE(form.boxes.size(), 2);
        QCOMPARE(form.boxes[0].first, QMessageBox::Warning);
        QVERIFY(
            form.boxes[0].second.startsWith(QStringLiteral("Problem with program, Report the following message to:")));
        QCOMPARE(form.boxes[1].first, QMessageBox::Information);
        QVERIFY(form.boxes[1].second.startsWith(QStringLiteral("Error 2:\r\n")));
    }

    void textDecoding()
    {
        QCOMPARE(folio::decodeText("caf\xC3\xA9"), QStringLiteral("caf\u00E9"));
        QCOMPARE(folio::decodeText("caf\xE9"), QStringLiteral("caf\u00E9"));
    }
};

QTEST_MAIN(FolioFormTest)
#include "folioform_test.moc"
