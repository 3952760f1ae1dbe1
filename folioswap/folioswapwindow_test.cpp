// The window's wiring: captions, the list at start, clicks reaching the core,
// the message boxes' texts.
#include "folioswap/folioswapwindow.h"

#include "common/testing/fakewindowhost.h"
#include "folioswap/testing/archivemaker.h"
#include "folioswap/testing/fakeswitcherhost.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <tuple>
#include <type_traits>

using kvl::folioswap::FolioSwapWindow;

// The window is never its core's host: a box or dialog cannot redraw it.
static_assert(!std::is_base_of_v<kvl::WindowHost, kvl::folioswap::FolioSwapWindow>);

namespace {

// Keeps the message boxes instead of showing them.
class BoxRecorder : public kvl::WindowHost {
public:
    QList<QPair<kvl::MessageIcon, QString>> boxes;

    kvl::MessageAnswer showMessage(const kvl::Message& message, kvl::MessageButtons) override
    {
        boxes.append({ message.icon, QString::fromStdString(message.text) });
        return kvl::MessageAnswer::Ok;
    }
    std::filesystem::path chooseFile(const kvl::FileDialogRequest&) override { return {}; }
};

// The recorder is a base so that it is built before the window that uses it.
class RecordingWindow : public BoxRecorder, public FolioSwapWindow {
public:
    RecordingWindow() : FolioSwapWindow(static_cast<BoxRecorder*>(this)) { }
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

// What the window shows, as far as a box could cover it.
struct Shown {
    QStringList sets;
    QStringList chosen;
    QString loaded;
    QString text;
    qint64 picture = 0;
    QString pictureText;
    bool operator==(const Shown&) const = default;
};

Shown shownBy(FolioSwapWindow& window)
{
    Shown shown;
    auto* list = window.findChild<QListWidget*>(QStringLiteral("LST_available"));
    for (int row = 0; row < list->count(); ++row)
        shown.sets << list->item(row)->text();
    for (QListWidgetItem* item : list->selectedItems())
        shown.chosen << item->text();
    shown.loaded = window.findChild<QLineEdit*>(QStringLiteral("TXT_current"))->text();
    shown.text = window.findChild<QPlainTextEdit*>(QStringLiteral("TXT_campaigncomments"))->toPlainText();
    shown.picture = window.picture().cacheKey();
    shown.pictureText = window.findChild<QLabel*>(QStringLiteral("IMG_main"))->text();
    return shown;
}

} // namespace

class FolioSwapWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_main;

    template <typename T>
    static T* child(QWidget& window, const char* name)
    {
        return window.findChild<T*>(QString::fromLatin1(name));
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
        RecordingWindow window;
        QCOMPARE(window.objectName(), QStringLiteral("FRM_Borvex"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Borvex"));
        const QList<QPair<const char*, QString>> buttons {
            { "CMD_load", "Load Selected Campaign" },
            { "CMD_unload", "Unload Selected Campaign" },
            { "CMD_resore", "Restore QEX Files" },
            { "CMD_View_CampReadMe", "View Selected Campaign ReadMe" },
            { "CMD_View_ReadMe", "View Borvex ReadMe" },
            { "CMD_View_Usage_Notes", "View Campaign Usage Notes (General)" },
            { "CMD_exit", "Exit" },
            { "CMD_preview", "Preview" },
            { "CMD_check", "Check Game Folder" },
        };
        for (const auto& [name, text] : buttons) {
            auto* button = child<QPushButton>(window, name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), text);
            QCOMPARE(button->accessibleName(), text);
        }
        QCOMPARE(child<QLabel>(window, "LBL_campaignsavail")->text(), QStringLiteral("Campaigns Available"));
        QCOMPARE(child<QLabel>(window, "LBL_curr")->text(), QStringLiteral("Last Campaign Loaded:"));
        QCOMPARE(child<QListWidget>(window, "LST_available")->accessibleName(), QStringLiteral("Campaigns Available"));
        QCOMPARE(child<QLineEdit>(window, "TXT_current")->accessibleName(), QStringLiteral("Last Campaign Loaded:"));
        QVERIFY(!child<QPlainTextEdit>(window, "TXT_campaigncomments")->accessibleName().isEmpty());
        QVERIFY(!child<QLabel>(window, "IMG_main")->accessibleName().isEmpty());
        QVERIFY(child<QLabel>(window, "lbl_test")->text().contains(QStringLiteral("Version 1.5")));
    }

    void listFilledAtStartAndClickShowsTheSet()
    {
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        auto* list = child<QListWidget>(window, "LST_available");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Channel"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Malta Siege"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QRect rect = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(window.switcher().selectedSet().value_or(""), std::string("Malta Siege"));
        QVERIFY(!window.picture().isNull());
        QCOMPARE(
            child<QPlainTextEdit>(window, "TXT_campaigncomments")->toPlainText(), QStringLiteral("Malta comment\n"));
        QVERIFY(window.boxes.isEmpty());
    }

    // The set the buttons act on is always the one the list shows chosen,
    // whether it was chosen with the mouse or the keyboard.
    void keyboardSelectionAndReclickChooseTheSet()
    {
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = child<QListWidget>(window, "LST_available");
        auto* comments = child<QPlainTextEdit>(window, "TXT_campaigncomments");
        clickRow(list, 0);
        QCOMPARE(window.switcher().selectedSet().value_or(""), std::string("Channel"));
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(window.switcher().selectedSet().value_or(""), std::string("Malta Siege"));
        QCOMPARE(comments->toPlainText(), QStringLiteral("Malta comment\n"));

        // After a read-me, a click on the entry already chosen shows it again.
        QTest::mouseClick(child<QPushButton>(window, "CMD_View_ReadMe"), Qt::LeftButton);
        QCOMPARE(comments->toPlainText(), QStringLiteral("How to use\n"));
        clickRow(list, 1);
        QCOMPARE(comments->toPlainText(), QStringLiteral("Malta comment\n"));
        QVERIFY(!window.switcher().ended());
    }

    void unloadLeavesNoEntryChosen()
    {
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = child<QListWidget>(window, "LST_available");
        clickRow(list, 0);
        QTest::mouseClick(child<QPushButton>(window, "CMD_load"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window, "CMD_unload"), Qt::LeftButton);
        QCOMPARE(window.boxes.last().second, QStringLiteral("Campaign Unloaded"));
        QVERIFY(list->selectedItems().isEmpty());
        clickRow(list, 0);
        QCOMPARE(window.switcher().selectedSet().value_or(""), std::string("Channel"));
        QVERIFY(!list->selectedItems().isEmpty());
        QVERIFY(!window.picture().isNull());
    }

    void buttonsShowTheMessagesTitledBorvex()
    {
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        QTest::mouseClick(child<QPushButton>(window, "CMD_load"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window, "CMD_unload"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window, "CMD_resore"), Qt::LeftButton);
        QCOMPARE(window.boxes.size(), 3);
        QCOMPARE(window.boxes[0].second, QStringLiteral("You must select a campaign before loading"));
        QCOMPARE(window.boxes[1].second, QStringLiteral("You must select a campaign before unloading"));
        QCOMPARE(window.boxes[2].second, QStringLiteral("You must select a campaign from which to restore"));
        QCOMPARE(window.boxes[0].first, kvl::MessageIcon::None);
    }

    void loadAndUnloadUpdateTheCurrentBox()
    {
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        window.switcher().chooseSet(0);
        QTest::mouseClick(child<QPushButton>(window, "CMD_load"), Qt::LeftButton);
        QCOMPARE(window.boxes.last().second, QStringLiteral("Campaign Loaded"));
        QCOMPARE(child<QLineEdit>(window, "TXT_current")->text(), QStringLiteral("Channel"));
        QVERIFY(QFile::exists(m_dir.path() + "/CAMP0001.DAT"));
        QTest::mouseClick(child<QPushButton>(window, "CMD_unload"), Qt::LeftButton);
        QCOMPARE(window.boxes.last().second, QStringLiteral("Campaign Unloaded"));
        QCOMPARE(child<QLineEdit>(window, "TXT_current")->text(), QString());
        QVERIFY(window.picture().isNull());
        QVERIFY(!QFile::exists(m_dir.path() + "/CAMP0001.DAT"));
    }

    // After a restart with a set loaded, that set is chosen in the list and
    // Unload works at once; the picture box shows a hint until a set is
    // chosen; long names have their whole text as a tooltip; Preview and
    // Check show their lists in the comment box.
    void restartChoosesTheLoadedSetAndHintsUntilThen()
    {
        {
            RecordingWindow window;
            QVERIFY(window.start(m_main.toStdString()));
            auto* picture = child<QLabel>(window, "IMG_main");
            QVERIFY(picture->text().startsWith(QStringLiteral("Choose a campaign")));
            auto* list = child<QListWidget>(window, "LST_available");
            QCOMPARE(list->item(1)->toolTip(), QStringLiteral("Malta Siege"));
            QVERIFY(list->selectedItems().isEmpty());
            window.switcher().chooseSet(0);
            QTest::mouseClick(child<QPushButton>(window, "CMD_preview"), Qt::LeftButton);
            auto* comments = child<QPlainTextEdit>(window, "TXT_campaigncomments");
            QVERIFY2(comments->toPlainText().contains(QStringLiteral("  add CAMP0001.DAT\n")),
                qPrintable(comments->toPlainText()));
            QTest::mouseClick(child<QPushButton>(window, "CMD_load"), Qt::LeftButton);
            QCOMPARE(window.boxes.last().second, QStringLiteral("Campaign Loaded"));
        }
        RecordingWindow restarted;
        QVERIFY(restarted.start(m_main.toStdString()));
        auto* list = child<QListWidget>(restarted, "LST_available");
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().front()->text(), QStringLiteral("Channel"));
        QVERIFY(!restarted.picture().isNull());
        QTest::mouseClick(child<QPushButton>(restarted, "CMD_check"), Qt::LeftButton);
        QCOMPARE(child<QPlainTextEdit>(restarted, "TXT_campaigncomments")->toPlainText(),
            QStringLiteral("Game folder check for \"Channel\":\n  CAMP0001.DAT: the set's version\n"));
        QTest::mouseClick(child<QPushButton>(restarted, "CMD_unload"), Qt::LeftButton);
        QCOMPARE(restarted.boxes.last().second, QStringLiteral("Campaign Unloaded"));
        QVERIFY(child<QLabel>(restarted, "IMG_main")->text().startsWith(QStringLiteral("Choose a campaign")));
        QVERIFY(!QFile::exists(m_dir.path() + "/CAMP0001.DAT"));
    }

    // A screen reader knows the changing boxes by their fixed names and
    // hears what they show now as their description.
    void changingBoxesDescribeWhatTheyShow()
    {
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        auto* picture = child<QLabel>(window, "IMG_main");
        auto* current = child<QLineEdit>(window, "TXT_current");
        auto* comments = child<QPlainTextEdit>(window, "TXT_campaigncomments");
        QCOMPARE(picture->accessibleDescription(), picture->text());
        QVERIFY(picture->accessibleDescription().startsWith(QStringLiteral("Choose a campaign")));
        QCOMPARE(current->accessibleDescription(), QString());

        window.switcher().chooseSet(0);
        QTest::mouseClick(child<QPushButton>(window, "CMD_preview"), Qt::LeftButton);
        QVERIFY(comments->accessibleDescription().contains(QStringLiteral("  add CAMP0001.DAT\n")));
        QCOMPARE(comments->accessibleDescription(), comments->toPlainText());

        QTest::mouseClick(child<QPushButton>(window, "CMD_load"), Qt::LeftButton);
        QCOMPARE(current->accessibleDescription(), QStringLiteral("Channel"));
        QCOMPARE(current->accessibleName(), QStringLiteral("Last Campaign Loaded:"));
        QTest::mouseClick(child<QPushButton>(window, "CMD_check"), Qt::LeftButton);
        QVERIFY(comments->accessibleDescription().startsWith(QStringLiteral("Game folder check")));
        QCOMPARE(comments->accessibleName(), QStringLiteral("Campaign comments"));

        // The set's picture replaces the hint, and the description with it.
        window.switcher().chooseSet(1);
        QVERIFY(!window.picture().isNull());
        QCOMPARE(picture->accessibleDescription(), QString());
        QCOMPARE(picture->accessibleName(), QStringLiteral("Campaign picture"));

        window.switcher().chooseSet(0);
        QTest::mouseClick(child<QPushButton>(window, "CMD_unload"), Qt::LeftButton);
        QCOMPARE(current->accessibleDescription(), QString());
        QVERIFY(picture->accessibleDescription().startsWith(QStringLiteral("Choose a campaign")));
    }

    // A failed start as the user sees it: two real boxes titled with the
    // program's name, with the icons and texts of a fatal report and the
    // name scripts find them by; the window is not to be shown.
    void fatalReportShowsTwoRealBoxes()
    {
        QTemporaryDir empty;
        FolioSwapWindow window;
        QList<std::tuple<QString, QMessageBox::Icon, QString, QString>> seen;
        std::function<void()> closeBox = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, closeBox);
                return;
            }
            seen.append({ box->windowTitle(), box->icon(), box->objectName(), box->text() });
            box->accept();
            if (seen.size() < 2)
                QTimer::singleShot(10, closeBox);
        };
        QTimer::singleShot(10, closeBox);
        QVERIFY(!window.start(empty.path().toStdString()));
        QCOMPARE(seen.size(), 2);
        QCOMPARE(std::get<0>(seen[0]), QStringLiteral("Borvex"));
        QCOMPARE(std::get<1>(seen[0]), QMessageBox::Warning);
        QCOMPARE(std::get<2>(seen[0]), QStringLiteral("Borvex_message"));
        QCOMPARE(std::get<0>(seen[1]), QStringLiteral("Borvex"));
        QVERIFY(
            std::get<3>(seen[0]).startsWith(QStringLiteral("Problem with program, Report the following message to:")));
        QCOMPARE(std::get<1>(seen[1]), QMessageBox::Information);
        QVERIFY(std::get<3>(seen[1]).startsWith(QStringLiteral("Error 2:\r\n")));
    }

    // Every event that shows a box, with what is behind the box: the window
    // as it was before the click (a refusal, a warning, a fatal report), or
    // the finished state (a success). The window never redraws itself while
    // a box of the switcher is open.
    void boxesCoverTheStateBeforeTheClickOrTheFinishedOne()
    {
        enum class Behind { Before, After };
        struct Case {
            const char* name;
            const char* lastCampaign;
            std::function<void(FolioSwapWindow&)> prepare;
            std::function<void(FolioSwapWindow&)> act;
            Behind behind;
            int boxes;
        };
        auto click = [](const char* button) {
            return [button](FolioSwapWindow& window) {
                QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
            };
        };
        auto choose = [](std::size_t row) {
            return [row](FolioSwapWindow& window) { window.switcher().chooseSet(row); };
        };
        auto nothing = [](FolioSwapWindow&) {};
        const Case cases[] = {
            { "load refused", "xxx", nothing, click("CMD_load"), Behind::Before, 1 },
            { "unload refused", "xxx", choose(0), click("CMD_unload"), Behind::Before, 1 },
            { "read-me warning", "xxx", choose(0), click("CMD_View_ReadMe"), Behind::Before, 1 },
            { "load", "xxx", choose(0), click("CMD_load"), Behind::After, 1 },
            { "unload", "Channel", nothing, click("CMD_unload"), Behind::After, 1 },
            { "set without a comment", "xxx", choose(0),
                [](FolioSwapWindow& window) { window.switcher().chooseSet(2); }, Behind::Before, 2 },
            { "start with the loaded set's comment missing", "Nocomment", nothing, [](FolioSwapWindow&) {},
                Behind::Before, 2 },
        };
        for (const Case& c : cases) {
            QTemporaryDir game;
            QVERIFY(game.isValid());
            const QString main = game.path() + QStringLiteral("/Borvex");
            put(main + "/Workfiles/LastCampaign.txt", QByteArray("\"") + c.lastCampaign + "\"\r\n");
            put(main + "/CAMChannel/CAMP0001.DAT", "channel");
            put(main + "/CAMMalta Siege/CAMP0002.DAT", "malta");
            put(main + "/CAMNocomment/CAMP0003.DAT", "none");
            put(main + "/Workfiles/Channel.jpg", jpeg(Qt::blue));
            put(main + "/Workfiles/xxxChannel.txt", "Channel comment\r\n");
            put(main + "/Workfiles/Malta Siege.jpg", jpeg(Qt::darkYellow));
            put(main + "/Workfiles/xxxMalta Siege.txt", "Malta comment\r\n");
            put(main + "/Workfiles/Nocomment.jpg", jpeg(Qt::red));
            put(main + "/ReadMe/BorvexReadMe.txt", "How to use\r\n");
            if (QByteArray(c.lastCampaign) == "Channel")
                put(game.path() + "/CAMP0001.DAT", "channel");

            kvl::test::FakeWindowHost<> dialogs;
            FolioSwapWindow window(&dialogs);
            const bool startsHere = QByteArray(c.name).startsWith("start");
            if (!startsHere) {
                QVERIFY2(window.start(main.toStdString()), c.name);
                c.prepare(window);
            }
            const Shown before = shownBy(window);
            const int redrawsBefore = window.switcher().changes().notifications();
            QList<Shown> behindBoxes;
            QList<int> redrawsAtBoxes;
            dialogs.whileShown = [&](const kvl::Message&) {
                behindBoxes << shownBy(window);
                redrawsAtBoxes << window.switcher().changes().notifications();
                QVERIFY2(window.switcher().changes().operationUnderWay(), c.name);
            };
            if (startsHere)
                QVERIFY2(!window.start(main.toStdString()), c.name);
            else
                c.act(window);
            dialogs.whileShown = nullptr;
            QCOMPARE(behindBoxes.size(), c.boxes);
            const Shown after = shownBy(window);
            for (int box = 0; box < behindBoxes.size(); ++box) {
                if (c.behind == Behind::Before) {
                    QVERIFY2(behindBoxes[box] == before, c.name);
                    QVERIFY2(redrawsAtBoxes[box] == redrawsBefore, c.name);
                } else {
                    QVERIFY2(behindBoxes[box] == after, c.name);
                }
            }
            QVERIFY2(window.switcher().changes().notifications() > redrawsBefore, c.name);
            QVERIFY2(!window.switcher().changes().operationUnderWay(), c.name);
        }
    }

    // Add Set from the button's menu (or Ctrl+N), with the window behind the
    // file dialog, the confirmation and the box as before the click or
    // finished; then Remove Set with Delete in the list.
    void addAndRemoveSetThroughTheWindow()
    {
        QTemporaryDir game;
        QVERIFY(game.isValid());
        const QString main = game.path() + QStringLiteral("/Borvex");
        put(main + "/Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        put(main + "/CAMChannel/CAMP0001.DAT", "channel");
        put(main + "/Workfiles/Channel.jpg", jpeg(Qt::blue));
        put(main + "/Workfiles/xxxChannel.txt", "Channel comment\r\n");
        const auto zip = kvl::test::makeArchive(kvl::test::ArchiveFormat::Zip,
            { { "Kursk/CAMP0001.DAT", "kursk" }, { "Kursk/xxxKursk.txt", "Tanks\r\n" } });
        put(game.path() + "/Kursk.zip", QByteArray(reinterpret_cast<const char*>(zip.data()), qsizetype(zip.size())));

        kvl::test::FakeSwitcherHost dialogs;
        FolioSwapWindow window(&dialogs);
        QVERIFY(window.start(main.toStdString()));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        auto* add = child<QPushButton>(window, "CMD_addset");
        auto* remove = child<QPushButton>(window, "CMD_removeset");
        QVERIFY(add && remove);
        QCOMPARE(add->accessibleName(), QStringLiteral("Add Set..."));
        QCOMPARE(remove->accessibleName(), QStringLiteral("Remove Set..."));
        auto* fromArchive = window.findChild<QAction*>(QStringLiteral("ACT_addsetarchive"));
        auto* fromFolder = window.findChild<QAction*>(QStringLiteral("ACT_addsetfolder"));
        auto* removeAction = window.findChild<QAction*>(QStringLiteral("ACT_removeset"));
        QVERIFY(fromArchive && fromFolder && removeAction);
        QCOMPARE(fromArchive->shortcut(), QKeySequence(QKeySequence::New));
        QCOMPARE(fromFolder->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
        QCOMPARE(removeAction->shortcut(), QKeySequence(QKeySequence::Delete));
        QVERIFY(
            add->menu() && add->menu()->actions().contains(fromArchive) && add->menu()->actions().contains(fromFolder));

        const Shown before = shownBy(window);
        const int redrawsBefore = window.switcher().changes().notifications();
        QList<Shown> behind;
        QList<int> redraws;
        dialogs.whileChoosing = [&](const kvl::FileDialogRequest&) {
            behind << shownBy(window);
            redraws << window.switcher().changes().notifications();
        };
        dialogs.whileConfirming = [&](const kvl::folioswap::NewSetProposal& proposal) {
            QCOMPARE(proposal.suggestedName, std::string("Kursk"));
            behind << shownBy(window);
            redraws << window.switcher().changes().notifications();
        };
        QList<Shown> behindBox;
        dialogs.whileShown = [&](const kvl::Message&) { behindBox << shownBy(window); };
        dialogs.chosenFiles.push_back((game.path() + QStringLiteral("/Kursk.zip")).toStdString());
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(behind.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(behind[i] == before);
            QCOMPARE(redraws[i], redrawsBefore);
        }
        const Shown after = shownBy(window);
        QCOMPARE(after.sets, (QStringList { QStringLiteral("Channel"), QStringLiteral("Kursk") }));
        QCOMPARE(after.chosen, QStringList { QStringLiteral("Kursk") });
        QCOMPARE(after.text, QStringLiteral("Tanks\n"));
        QCOMPARE(after.pictureText, QStringLiteral("This campaign has no picture."));
        QCOMPARE(behindBox.size(), 1);
        QVERIFY(behindBox[0] == after);
        QVERIFY(QString::fromStdString(dialogs.lastText()).startsWith(QStringLiteral("Campaign Added")));

        dialogs.answers.push_back(kvl::MessageAnswer::Yes);
        auto* list = child<QListWidget>(window, "LST_available");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(shownBy(window).sets, QStringList { QStringLiteral("Channel") });
        QVERIFY(!QFile::exists(main + "/CAMKursk"));
        QVERIFY(QString::fromStdString(dialogs.lastText()).startsWith(QStringLiteral("Campaign Removed")));

        // The button reaches the core as well.
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(dialogs.lastText()), QStringLiteral("You must select a campaign to remove"));
    }

    void textsInEitherEncodingShowAsText()
    {
        put(m_main + "/Workfiles/xxxChannel.txt", "Caf\xE9 1940\r\n");
        put(m_main + "/Workfiles/xxxMalta Siege.txt", "Caf\xC3\xA9 1942\r\n");
        RecordingWindow window;
        QVERIFY(window.start(m_main.toStdString()));
        auto* comments = child<QPlainTextEdit>(window, "TXT_campaigncomments");
        QVERIFY(comments->isEnabled());
        QVERIFY(child<QLineEdit>(window, "TXT_current")->isEnabled());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = child<QListWidget>(window, "LST_available");
        clickRow(list, 0);
        QCOMPARE(comments->toPlainText(), QStringLiteral("Caf\u00E9 1940\n"));
        clickRow(list, 1);
        QCOMPARE(comments->toPlainText(), QStringLiteral("Caf\u00E9 1942\n"));
        QVERIFY(window.boxes.isEmpty());
        put(m_main + "/Workfiles/xxxChannel.txt", "Channel comment\r\n");
        put(m_main + "/Workfiles/xxxMalta Siege.txt", "Malta comment\r\n");
    }
};

QTEST_MAIN(FolioSwapWindowTest)
#include "folioswapwindow_test.moc"
