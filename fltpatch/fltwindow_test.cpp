// The window's wiring: controls, column widths, Enter in the value box,
// marking and storing with the mouse.
#include "fltpatch/fltwindow.h"

#include "common/byteview.h"
#include "common/fileimage.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace fltpatch;

namespace {

class ScriptedDialogs : public FltDialogs {
public:
    std::filesystem::path chooseFltFile(const std::filesystem::path&) override
    {
        if (onChoose)
            onChoose();
        return answer;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::filesystem::path answer;
    std::vector<std::string> messages;
    std::function<void()> onChoose;
};

} // namespace

class FltWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void controlsAndCaptions();
    void instructionsText();
    void columnWidths();
    void descriptionsShowBehindTheStartDialog();
    void enterInText1WritesTheField();
    void dragUpwardsThenStore();

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_file;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<FltWindow> m_window;

    template <typename T>
    T* child(const char* name)
    {
        T* w = m_window->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control %s", name);
        return w;
    }
};

void FltWindowTest::init()
{
    QVERIFY(m_dir.isValid());
    std::filesystem::path dir(m_dir.path().toStdString());
    std::vector<std::uint8_t> image(kFileSize, 0);
    for (const FieldInfo& f : fieldTable())
        if (f.type == FieldType::Float)
            kvl::putF32(image, static_cast<std::size_t>(f.position - 1), static_cast<float>(f.number) + 0.5f);
    m_file = dir / "test.flt";
    QVERIFY(kvl::writeFileImage(m_file, image));
    std::string descriptions = "Heading\r\n";
    for (int i = 1; i <= kFieldCount; ++i)
        descriptions += "Field " + std::to_string(i) + "\r\n";
    QVERIFY(kvl::writeFileImage(dir / "FDataDet.txt", std::string_view(descriptions)));

    m_dialogs = ScriptedDialogs();
    m_dialogs.answer = m_file;
    m_window = std::make_unique<FltWindow>(&m_dialogs);
    m_window->show();
    m_window->startUp(dir);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void FltWindowTest::controlsAndCaptions()
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
    QCOMPARE(g1->item(2, 4)->text(), QStringLiteral("3.5"));
}

void FltWindowTest::instructionsText()
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

void FltWindowTest::columnWidths()
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

void FltWindowTest::descriptionsShowBehindTheStartDialog()
{
    ScriptedDialogs dialogs; // the dialog is cancelled
    FltWindow window(&dialogs);
    QString heading, description;
    dialogs.onChoose = [&] {
        auto* g1 = window.findChild<QTableWidget*>(QStringLiteral("G1"));
        heading = g1->horizontalHeaderItem(3)->text();
        description = g1->item(160, 3)->text();
    };
    window.show();
    window.startUp(std::filesystem::path(m_dir.path().toStdString()));
    QCOMPARE(heading, QStringLiteral("Heading"));
    QCOMPARE(description, QStringLiteral("Field 161"));
}

void FltWindowTest::enterInText1WritesTheField()
{
    auto* g1 = child<QTableWidget>("G1");
    auto* text1 = child<QLineEdit>("Text1");
    g1->setCurrentCell(160, 4); // field 161, a short at offsets 636 and 637
    QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("637"));
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
    QVERIFY(m_dialogs.messages.empty());

    // A refused value leaves the cell and the file as they were.
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("x"));
    QTest::keyClick(text1, Qt::Key_Enter);
    QCOMPARE(m_dialogs.messages.size(), std::size_t(1));
    QCOMPARE(g1->item(160, 4)->text(), QStringLiteral("2"));
}

void FltWindowTest::dragUpwardsThenStore()
{
    auto* g1 = child<QTableWidget>("G1");
    g1->scrollToItem(g1->item(95, 3), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    auto centre = [g1](int row) { return g1->visualItemRect(g1->item(row, 3)).center(); };
    // Rows 100 down to 97 are table rows 99 to 96.
    QTest::mousePress(g1->viewport(), Qt::LeftButton, {}, centre(99));
    QTest::mouseMove(g1->viewport(), centre(96));
    QTest::mouseRelease(g1->viewport(), Qt::LeftButton, {}, centre(96));
    QCOMPARE(int(m_window->form().markFirst()), 97);
    QCOMPARE(int(m_window->form().markLast()), 100);
    QTest::mouseClick(child<QPushButton>("Command3"), Qt::LeftButton);
    auto* g2 = child<QTableWidget>("G2");
    QCOMPARE(g2->rowCount(), 4);
    QCOMPARE(g2->item(0, 0)->text(), QStringLiteral("97.5"));
    QCOMPARE(g2->item(3, 0)->text(), QStringLiteral("100.5"));
    QCOMPARE(child<QLabel>("Label9")->text(), QStringLiteral("Field 97"));
}

QTEST_MAIN(FltWindowTest)
#include "fltwindow_test.moc"
