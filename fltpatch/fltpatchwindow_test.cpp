// The window's wiring: controls, column widths, Enter in the value box,
// marking and storing with the mouse.
#include "fltpatch/fltpatchwindow.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <type_traits>

using namespace kvl::fltpatch;

// The window is never its core's host: a box or dialog cannot redraw it.
static_assert(!std::is_base_of_v<kvl::WindowHost, kvl::fltpatch::FltPatchWindow>);

namespace {

// A host that also lets a test look at the window while the file dialog is open.
class PeekingHost : public kvl::test::FakeWindowHost<> {
public:
    std::filesystem::path chooseFile(const kvl::FileDialogRequest& request) override
    {
        if (onChoose)
            onChoose();
        return FakeWindowHost::chooseFile(request);
    }
    std::function<void()> onChoose;
};

// What the window shows, as far as a box could cover it.
struct Shown {
    QStringList labels;
    QString typed;
    QStringList values;
    QStringList stored;
    int row = -1;
    bool operator==(const Shown&) const = default;
};

Shown shownBy(FltPatchWindow& window)
{
    Shown shown;
    for (const char* name : { "Label1", "Label2", "Label3", "Label4", "Label5", "Label9", "StatusLabel" })
        shown.labels << window.findChild<QLabel*>(QString::fromLatin1(name))->text();
    shown.typed = window.findChild<QLineEdit*>(QStringLiteral("Text1"))->text();
    auto* g1 = window.findChild<QTableWidget*>(QStringLiteral("G1"));
    for (int row = 0; row < g1->rowCount(); ++row)
        shown.values << g1->item(row, 4)->text();
    shown.row = g1->currentRow();
    auto* g2 = window.findChild<QTableWidget*>(QStringLiteral("G2"));
    for (int row = 0; row < g2->rowCount(); ++row)
        shown.stored << g2->item(row, 0)->text();
    return shown;
}

} // namespace

class FltPatchWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void controlsAndCaptions();
    void instructionsText();
    void columnWidths();
    void descriptionsShowBehindTheStartDialog();
    void enterInText1WritesTheField();
    void dragUpwardsThenStore();
    void undoAndRedoKeysFollowTheFile();
    void typingOnTheTableEditsThatField();
    void shiftArrowsMarkARunToStore();
    void changingLabelsTellTheirText();
    void compareShowsAndCopiesDifferences();
    void boxesCoverTheStateBeforeTheClick();
    void nextRunsDialogsStartInTheLastFolderUsed();

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_dir;
    std::filesystem::path m_file;
    kvl::test::FakeWindowHost<> m_host;
    std::unique_ptr<FltPatchWindow> m_window;

    // Shortcuts and keyboard focus need the window to be the active one.
    bool activate()
    {
        QApplication::setActiveWindow(m_window.get());
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    template <typename T>
    T* child(const char* name)
    {
        T* w = m_window->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control %s", name);
        return w;
    }
};

void FltPatchWindowTest::initTestCase()
{
    // The remembered folder lives in the profile: keep it out of the user's.
    QVERIFY(m_profile.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_profile.path());
}

void FltPatchWindowTest::init()
{
    QVERIFY(m_dir.isValid());
    QSettings(QStringLiteral("KORVAL tools"), QStringLiteral("fltpatch")).clear();
    std::filesystem::path dir(m_dir.path().toStdString());
    std::vector<std::uint8_t> image(kFileSize, 0);
    for (const FieldInfo& f : fieldTable())
        if (f.type == FieldType::Float)
            kvl::putF32(image, static_cast<std::size_t>(f.position - 1), static_cast<float>(f.number) + 0.5f);
    m_file = dir / "test.flt";
    QVERIFY(kvl::writeFileImage(m_file, image));
    std::string descriptions = "Heading\r\n";
    for (int i = 1; i <= kFieldCount; ++i)
        descriptions += (i == 2 ? std::string("M\xFCnze") : "Field " + std::to_string(i)) + "\r\n";
    QVERIFY(kvl::writeFileImage(dir / "FDataDet.txt", std::string_view(descriptions)));

    m_host = kvl::test::FakeWindowHost<>();
    m_host.chosenFiles.push_back(m_file);
    m_window = std::make_unique<FltPatchWindow>(&m_host);
    m_window->show();
    m_window->startUp(dir);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void FltPatchWindowTest::controlsAndCaptions()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Orlith's Flight Editor"));
    const std::pair<const char*, const char*> buttons[] = { { "Command1", "Load flt" }, { "Command2", "Edit flt" },
        { "Command3", "Store values" }, { "Command4", "Paste values" } };
    for (auto [name, caption] : buttons) {
        auto* b = child<QPushButton>(name);
        QVERIFY(b);
        QCOMPARE(b->text(), QString::fromLatin1(caption));
    }
    QCOMPARE(child<QLabel>("Label6")->text(), QStringLiteral("Hit 'Enter' when you have edited the value ==>>"));
    for (const char* name : { "Label1", "Label2", "Label3", "Label4", "Label5", "Label7", "Label9", "Text1", "G1", "G2",
             "Command1", "Label6" }) {
        auto* w = child<QWidget>(name);
        QVERIFY(w);
        QVERIFY2(!w->accessibleName().isEmpty(), name);
    }
    QCOMPARE(child<QLabel>("Label1")->text(), QString::fromStdString(m_file.string()));
    QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("0"));
    QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("Field 1"));
    auto* g1 = child<QTableWidget>("G1");
    QCOMPARE(g1->horizontalHeaderItem(3)->text(), QStringLiteral("Heading"));
    QCOMPARE(g1->horizontalHeaderItem(4)->text(), QStringLiteral("Value"));
    QCOMPARE(g1->item(2, 4)->text(), QStringLiteral("3.5"));
    // The game's descriptions are Latin-1.
    QCOMPARE(g1->item(1, 3)->text(), QStringLiteral("M\u00FCnze"));
}

void FltPatchWindowTest::instructionsText()
{
    const QString expected = QStringLiteral(
        "TRANSFERRING DATA:\n\n"
        "To copy some values into the storage grid below, click on the first value you want in the main table, "
        "and drag the mouse to the last one The values should show as highlighted.\n\n"
        "Then click the 'Store Values' button.\n"
        "The location of the first value will show in the panel below, and the values in the storage grid.\n"
        "Load a new file if you need to.\n"
        "Locate the first cell where pasting needs to start from, and then click the 'Paste Values' button.\n"
        "Be very careful, because pasting will replace the values in the loaded 'flt' file.");
    QCOMPARE(child<QLabel>("Label7")->text(), expected);
}

void FltPatchWindowTest::columnWidths()
{
    auto* g1 = child<QTableWidget>("G1");
    QCOMPARE(g1->rowCount(), kFieldCount);
    QCOMPARE(g1->columnCount(), 5);
    for (int c = 0; c < 3; ++c)
        QVERIFY(g1->isColumnHidden(c));
    // 4800 and 1440 twips at 15 twips to the pixel.
    QCOMPARE(g1->horizontalHeader()->sectionSize(3), 320);
    QCOMPARE(g1->horizontalHeader()->sectionSize(4), 96);
    QVERIFY(!g1->isColumnHidden(3));
    QCOMPARE(g1->item(160, 1)->text(), QStringLiteral("637"));
    QCOMPARE(g1->item(160, 2)->text(), QStringLiteral("short"));
}

void FltPatchWindowTest::descriptionsShowBehindTheStartDialog()
{
    PeekingHost host; // the dialog is cancelled
    FltPatchWindow window(&host);
    QString heading, description, firstDescription, firstType;
    host.onChoose = [&] {
        auto* g1 = window.findChild<QTableWidget*>(QStringLiteral("G1"));
        heading = g1->horizontalHeaderItem(3)->text();
        description = g1->item(160, 3)->text();
        firstDescription = window.findChild<QLabel*>(QStringLiteral("Label5"))->text();
        firstType = window.findChild<QLabel*>(QStringLiteral("Label3"))->text();
    };
    window.show();
    window.startUp(std::filesystem::path(m_dir.path().toStdString()));
    QCOMPARE(heading, QStringLiteral("Heading"));
    QCOMPARE(description, QStringLiteral("Field 161"));
    // Field 1 is described behind the dialog; its type shows once it is selected.
    QCOMPARE(firstDescription, QStringLiteral("Field 1"));
    QCOMPARE(firstType, QString());
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("short"));
}

void FltPatchWindowTest::enterInText1WritesTheField()
{
    auto* g1 = child<QTableWidget>("G1");
    auto* text1 = child<QLineEdit>("Text1");
    g1->setCurrentCell(160, 4); // field 161, a short at offsets 636 and 637
    QCOMPARE(child<QLabel>("Label3")->text(), QStringLiteral("short"));
    QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("637"));
    QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("Field 161"));
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("1.5"));
    QTest::keyClick(text1, Qt::Key_Return);
    std::vector<std::uint8_t> bytes;
    QVERIFY(kvl::readFileImage(m_file, bytes));
    QCOMPARE(bytes.size(), std::size_t(kFileSize));
    QCOMPARE(int(bytes[636]), 2);
    QCOMPARE(int(bytes[637]), 0);
    QCOMPARE(g1->item(160, 4)->text(), QStringLiteral("2"));
    QCOMPARE(text1->text(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>("StatusLabel")->text(), QStringLiteral("Wrote 2 to field 161 (short, position 637)."));
    QVERIFY(m_host.messages.empty());

    // A refused value leaves the cell and the file as they were.
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("x"));
    QTest::keyClick(text1, Qt::Key_Enter);
    QCOMPARE(m_host.messages.size(), std::size_t(1));
    QCOMPARE(g1->item(160, 4)->text(), QStringLiteral("2"));
}

void FltPatchWindowTest::dragUpwardsThenStore()
{
    auto* g1 = child<QTableWidget>("G1");
    g1->scrollToItem(g1->item(95, 3), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    auto centre = [g1](int row) { return g1->visualItemRect(g1->item(row, 3)).center(); };
    // Rows 100 down to 97 are table rows 99 to 96.
    QTest::mousePress(g1->viewport(), Qt::LeftButton, {}, centre(99));
    QTest::mouseMove(g1->viewport(), centre(96));
    QTest::mouseRelease(g1->viewport(), Qt::LeftButton, {}, centre(96));
    QCOMPARE(int(m_window->editor().markFirst()), 97);
    QCOMPARE(int(m_window->editor().markLast()), 100);
    QTest::mouseClick(child<QPushButton>("Command3"), Qt::LeftButton);
    auto* g2 = child<QTableWidget>("G2");
    QCOMPARE(g2->rowCount(), 4);
    QCOMPARE(g2->item(0, 0)->text(), QStringLiteral("97.5"));
    QCOMPARE(g2->item(3, 0)->text(), QStringLiteral("100.5"));
    QCOMPARE(child<QLabel>("Label9")->text(), QStringLiteral("Field 97"));
}

void FltPatchWindowTest::undoAndRedoKeysFollowTheFile()
{
    QVERIFY(activate());
    auto* undo = m_window->findChild<QAction*>(QStringLiteral("UndoAction"));
    auto* redo = m_window->findChild<QAction*>(QStringLiteral("RedoAction"));
    QVERIFY(undo && redo);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    std::vector<std::uint8_t> original;
    QVERIFY(kvl::readFileImage(m_file, original));

    auto* g1 = child<QTableWidget>("G1");
    auto* text1 = child<QLineEdit>("Text1");
    g1->setCurrentCell(2, 4); // field 3, a float at offsets 4 to 7
    text1->setFocus();
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("0.5"));
    QTest::keyClick(text1, Qt::Key_Return);
    std::vector<std::uint8_t> written;
    QVERIFY(kvl::readFileImage(m_file, written));
    QCOMPARE(int(written[7]), 0x3F);
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Undo write to field 3"));

    // Ctrl+Z with the focus still in the edit box, which has no typing left to take back.
    QTest::keyClick(text1, Qt::Key_Z, Qt::ControlModifier);
    std::vector<std::uint8_t> now;
    QVERIFY(kvl::readFileImage(m_file, now));
    QCOMPARE(now, original);
    QCOMPARE(g1->item(2, 4)->text(), QStringLiteral("3.5"));
    QVERIFY(!undo->isEnabled());
    QVERIFY(redo->isEnabled());
    QTest::keyClick(g1, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(kvl::readFileImage(m_file, now));
    QCOMPARE(now, written);
    QTest::keyClick(g1, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(g1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(kvl::readFileImage(m_file, now));
    QCOMPARE(now, written);
    QCOMPARE(child<QLabel>("StatusLabel")->text(), QStringLiteral("Redid the write to field 3."));
}

void FltPatchWindowTest::typingOnTheTableEditsThatField()
{
    QVERIFY(activate());
    auto* g1 = child<QTableWidget>("G1");
    auto* text1 = child<QLineEdit>("Text1");
    g1->setCurrentCell(5, 4); // field 6
    g1->setFocus();
    // "4" would have jumped to a row starting with 4 by keyboard search.
    QTest::keyClicks(g1, QStringLiteral("4"));
    QTest::keyClicks(text1, QStringLiteral("2"));
    QCOMPARE(g1->currentRow(), 5);
    QCOMPARE(text1->text(), QStringLiteral("42"));
    QVERIFY(text1->hasFocus());
    QTest::keyClick(text1, Qt::Key_Return);
    QCOMPARE(g1->item(5, 4)->text(), QStringLiteral("42"));
    QCOMPARE(child<QLabel>("StatusLabel")->text(), QStringLiteral("Wrote 42 to field 6 (float, position 17)."));
}

void FltPatchWindowTest::shiftArrowsMarkARunToStore()
{
    QVERIFY(activate());
    auto* g1 = child<QTableWidget>("G1");
    g1->setFocus();
    g1->setCurrentCell(9, 4); // field 10
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(g1, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(m_window->editor().markFirst(), 10);
    QCOMPARE(m_window->editor().markLast(), 13);
    QTest::mouseClick(child<QPushButton>("Command3"), Qt::LeftButton);
    auto* g2 = child<QTableWidget>("G2");
    QCOMPARE(g2->rowCount(), 4);
    QCOMPARE(g2->item(3, 0)->text(), QStringLiteral("13.5"));
}

void FltPatchWindowTest::changingLabelsTellTheirText()
{
    auto* g1 = child<QTableWidget>("G1");
    g1->setCurrentCell(160, 4);
    for (const char* name : { "Label1", "Label2", "Label3", "Label4", "Label5", "StatusLabel" }) {
        auto* label = child<QLabel>(name);
        QVERIFY2(!label->text().isEmpty(), name);
        QCOMPARE(label->accessibleDescription(), label->text());
    }
    QCOMPARE(child<QLabel>("Label4")->accessibleDescription(), QStringLiteral("637"));
    // The names stay fixed.
    QCOMPARE(child<QLabel>("Label4")->accessibleName(), QStringLiteral("Position"));
    g1->setCurrentCell(2, 4);
    QCOMPARE(child<QLabel>("Label4")->accessibleDescription(), QStringLiteral("5"));
    QCOMPARE(child<QLabel>("Label3")->accessibleDescription(), QStringLiteral("float"));
}

void FltPatchWindowTest::compareShowsAndCopiesDifferences()
{
    std::vector<std::uint8_t> mine, theirs;
    QVERIFY(kvl::readFileImage(m_file, mine));
    theirs = mine;
    kvl::putF32(theirs, 4, 9.0f); // field 3
    kvl::putI16(theirs, 636, -1); // field 161
    const std::filesystem::path other = m_file.parent_path() / "other.flt";
    QVERIFY(kvl::writeFileImage(other, theirs));
    m_host.chosenFiles.push_back(other);
    m_window->findChild<QAction*>(QStringLiteral("CompareAction"))->trigger();
    CompareDialog* dialog = m_window->compareDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("CompareTable"));
    QCOMPARE(table->rowCount(), kFieldCount);
    QCOMPARE(table->item(2, 2)->text(), QStringLiteral("3.5"));
    QCOMPARE(table->item(2, 3)->text(), QStringLiteral("9"));
    QVERIFY(table->item(2, 3)->font().bold());
    QVERIFY(!table->item(3, 3)->font().bold());
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("DifferenceCount"))->text(),
        QStringLiteral("2 of 328 values differ."));
    dialog->findChild<QCheckBox*>(QStringLiteral("OnlyDifferences"))->setChecked(true);
    QVERIFY(table->isRowHidden(0));
    QVERIFY(!table->isRowHidden(2));
    QVERIFY(!table->isRowHidden(160));

    table->selectRow(160);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CopyValues")), Qt::LeftButton);
    std::vector<std::uint8_t> now;
    QVERIFY(kvl::readFileImage(m_file, now));
    QCOMPARE(int(now[636]), 0xFF);
    QCOMPARE(int(now[637]), 0xFF);
    QCOMPARE(int(now[7]), int(mine[7]));
    QCOMPARE(child<QTableWidget>("G1")->item(160, 4)->text(), QStringLiteral("-1"));
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("DifferenceCount"))->text(),
        QStringLiteral("1 of 328 values differs."));
    // Undo in the main window shows in the dialog too.
    m_window->findChild<QAction*>(QStringLiteral("UndoAction"))->trigger();
    QCOMPARE(table->item(160, 2)->text(), QStringLiteral("0"));
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("DifferenceCount"))->text(),
        QStringLiteral("2 of 328 values differ."));
    dialog->close();
}

// The start-up dialog of the window in init() chose test.flt: the next run's
// dialogs start in its folder, not in the folder the program starts in.
void FltPatchWindowTest::nextRunsDialogsStartInTheLastFolderUsed()
{
    QTemporaryDir elsewhere;
    kvl::test::FakeWindowHost<> host;
    FltPatchWindow next(&host);
    next.startUp(std::filesystem::path(elsewhere.path().toStdString()));
    QCOMPARE(host.fileDialogs.size(), std::size_t(1));
    QCOMPARE(host.fileDialogs[0].start, m_file.parent_path());
}

QTEST_MAIN(FltPatchWindowTest)
#include "fltpatchwindow_test.moc"

// Every refusal and question of the editor comes over the window as it was
// before the click: the window does not redraw itself while a box or dialog
// of the editor is open, only once the action is over.
void FltPatchWindowTest::boxesCoverTheStateBeforeTheClick()
{
    auto* g1 = child<QTableWidget>("G1");
    auto* text1 = child<QLineEdit>("Text1");
    auto type = [text1](const char* typed) {
        text1->selectAll();
        QTest::keyClicks(text1, QString::fromLatin1(typed));
    };
    const std::filesystem::path shortFile = m_file.parent_path() / "short.flt";
    QVERIFY(kvl::writeFileImage(shortFile, std::string_view("short")));
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> act;
        int boxes;
    };
    const Case cases[] = {
        { "not a number",
            [&] {
                g1->setCurrentCell(2, 4);
                type("junk");
            },
            [&] { QTest::keyClick(text1, Qt::Key_Return); }, 1 },
        { "too large for a short",
            [&] {
                g1->setCurrentCell(0, 4);
                type("99999");
            },
            [&] { QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton); }, 1 },
        { "paste past the last field",
            [&] {
                m_window->editor().beginMark(1);
                m_window->editor().endMark(3);
                QTest::mouseClick(child<QPushButton>("Command3"), Qt::LeftButton);
                g1->setCurrentCell(kFieldCount - 1, 4);
            },
            [&] { QTest::mouseClick(child<QPushButton>("Command4"), Qt::LeftButton); }, 1 },
        { "revert asks first",
            [&] {
                g1->setCurrentCell(4, 4);
                type("7");
                QTest::keyClick(text1, Qt::Key_Return);
                m_host.answers.push_back(kvl::MessageAnswer::No);
            },
            [&] { child<QAction>("RevertAction")->trigger(); }, 1 },
        { "a flight file too short to load", [&] { m_host.chosenFiles.push_back(shortFile); },
            [&] { QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton); }, 2 },
    };
    for (const Case& c : cases) {
        c.prepare();
        const Shown before = shownBy(*m_window);
        const int redrawsBefore = m_window->editor().changes().notifications();
        const std::size_t shownBefore = m_host.messages.size() + m_host.fileDialogs.size();
        QList<Shown> behind;
        QList<int> redrawsBehind;
        auto look = [&] {
            behind << shownBy(*m_window);
            redrawsBehind << m_window->editor().changes().notifications();
        };
        m_host.whileShown = [&](const kvl::Message&) { look(); };
        m_host.whileChoosing = [&](const kvl::FileDialogRequest&) { look(); };
        c.act();
        m_host.whileShown = nullptr;
        m_host.whileChoosing = nullptr;
        QVERIFY2(m_host.messages.size() + m_host.fileDialogs.size() - shownBefore == std::size_t(c.boxes), c.name);
        QVERIFY2(behind.size() == c.boxes, c.name);
        for (qsizetype i = 0; i < behind.size(); ++i) {
            QVERIFY2(behind[i] == before, c.name);
            QVERIFY2(redrawsBehind[i] == redrawsBefore, c.name);
        }
        QVERIFY2(m_window->editor().changes().notifications() > redrawsBefore, c.name);
    }
}
