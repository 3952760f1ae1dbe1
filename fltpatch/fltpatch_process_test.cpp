// The built program as a process: usage errors, --help and --version,
// --quit-after-load on a flight file that loads, and the modes without a
// window (--export-csv, --import-csv, --diff), run with no display at all; and
// every start-up that ends in a message, with its boxes answered as a user would.
#include "fltpatch/fltfields.h"

#include "common/fileimage.h"
#include "common/testing/windowprocess.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <vector>

class FltPatchCliTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void exitStatuses_data();
    void exitStatuses();
    void startUpMessages();
    void diffListsTheValuesThatDiffer();

private:
    struct Run {
        int status = -1;
        QString out;
        QString err;
    };
    Run runWithoutDisplay(const QStringList& arguments);
    QTemporaryDir m_dir;
};

void FltPatchCliTest::init()
{
    QVERIFY(m_dir.isValid());
    const std::filesystem::path dir(m_dir.path().toStdString());
    // All values zero is a valid flight file; descriptions keep the start-up free of messages.
    QVERIFY(kvl::writeFileImage(dir / "plane.flt", std::vector<std::uint8_t>(kvl::fltpatch::kFileSize)));
    // Field 3 (a float at position 5) holds 0.5, field 161 (a short) -2.
    std::vector<std::uint8_t> other(kvl::fltpatch::kFileSize);
    other[7] = 0x3F;
    other[636] = 0xFE;
    other[637] = 0xFF;
    QVERIFY(kvl::writeFileImage(dir / "other.flt", other));
    std::string descriptions;
    for (int line = 0; line < kvl::fltpatch::kFieldCount + 1; ++line)
        descriptions += "Description\r\n";
    QVERIFY(kvl::writeFileImage(dir / "FDataDet.txt", std::string_view(descriptions)));
    QVERIFY(kvl::writeFileImage(dir / "good.csv", std::string_view("field,value\r\n3,0.5\r\n")));
    QVERIFY(kvl::writeFileImage(dir / "bad.csv", std::string_view("field,value\r\n3,0.5\r\n4,x\r\n")));
}

void FltPatchCliTest::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says"); // on standard error, or on standard output with status 0
    QTest::addColumn<bool>("window");
    QTest::addColumn<int>("byte7"); // the last byte of field 3 afterwards (0.5 is 0x3F000000)
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--bogus") } << 2
                                    << QStringLiteral("fltpatch: Unknown option 'bogus'.") << true << 0;
    QTest::newRow("the old quit option") << QStringList { QStringLiteral("--quit-when-loaded") } << 2
                                         << QStringLiteral("Try 'fltpatch --help'") << true << 0;
    QTest::newRow("two files") << QStringList { QStringLiteral("a.flt"), QStringLiteral("b.flt") } << 2
                               << QStringLiteral("fltpatch: one flight file at most, not 2") << true << 0;
    QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0 << QStringLiteral("--quit-after-load")
                          << true << 0;
    QTest::newRow("version") << QStringList { QStringLiteral("--version") } << 0 << QStringLiteral("fltpatch ") << true
                             << 0;
    QTest::newRow("loads and quits") << QStringList { QStringLiteral("plane.flt"), QStringLiteral("--quit-after-load") }
                                     << 0 << QString() << true << 0;

    const QString exportCsv = QStringLiteral("--export-csv");
    const QString importCsv = QStringLiteral("--import-csv");
    const QString plane = QStringLiteral("plane.flt");
    QTest::newRow("export") << QStringList { exportCsv, plane } << 0
                            << QStringLiteral("field,position,type,label,value\r\n1,1,short,Description,0\r\n") << false
                            << 0;
    QTest::newRow("import") << QStringList { importCsv, QStringLiteral("good.csv"), plane } << 0
                            << QStringLiteral("Imported 1 value") << false << 0x3F;
    QTest::newRow("import refused") << QStringList { importCsv, QStringLiteral("bad.csv"), plane } << 1
                                    << QStringLiteral("line 3: field 4: \"x\" is not a number. Nothing was written.")
                                    << false << 0;
    QTest::newRow("import of a missing file") << QStringList { importCsv, QStringLiteral("none.csv"), plane } << 1
                                              << QStringLiteral("none.csv") << false << 0;
    QTest::newRow("export without a file")
        << QStringList { exportCsv } << 2 << QStringLiteral("fltpatch: --export-csv needs a flight file") << false << 0;
    QTest::newRow("import without values")
        << QStringList { importCsv } << 2 << QStringLiteral("Missing value after '--import-csv'") << false << 0;
    QTest::newRow("both modes") << QStringList { exportCsv, importCsv, QStringLiteral("good.csv"), plane } << 2
                                << QStringLiteral("cannot be given together") << false << 0;
    QTest::newRow("no window to quit") << QStringList { exportCsv, plane, QStringLiteral("--quit-after-load") } << 2
                                       << QStringLiteral("--quit-after-load needs the window") << false << 0;
}

void FltPatchCliTest::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    QFETCH(bool, window);
    QFETCH(int, byte7);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (window) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        // Without a display a QApplication would abort: these modes must not start one.
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(KVL_FLTPATCH_PROGRAM), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(process.exitCode() == status, qPrintable(errors));
    const QString& told = status == 0 ? output : errors;
    QVERIFY2(told.contains(says), qPrintable(told));
    std::vector<std::uint8_t> image;
    QVERIFY(kvl::readFileImage(std::filesystem::path(m_dir.path().toStdString()) / "plane.flt", image));
    QCOMPARE(int(image.at(7)), byte7);
}

// Each start-up that shows a message: the boxes and dialogs in order, then
// the window (--quit-after-load ends with 0 when a file was loaded, else 1).
// None may crash or hang.
void FltPatchCliTest::startUpMessages()
{
    const std::filesystem::path dir(m_dir.path().toStdString());
    auto write = [&dir](const char* name, std::string_view bytes) {
        return [&dir, name, bytes] { QVERIFY(kvl::writeFileImage(dir / name, bytes)); };
    };
    auto removeDescriptions = [&dir] { QVERIFY(std::filesystem::remove(dir / "FDataDet.txt")); };
    const QString folder = m_dir.path();
    const QString tell = QStringLiteral("box|%1|").arg(1); // QMessageBox::Information
    const QString warn = QStringLiteral("box|%1|").arg(2); // QMessageBox::Warning
    struct Case {
        const char* name;
        std::function<void()> change;
        QStringList arguments;
        QStringList answers;
        int status;
        QStringList boxes;
    };
    const QString plane = QStringLiteral("plane.flt");
    const Case cases[] = {
        { "everything there", [] {}, { plane }, {}, 0, {} },
        { "descriptions missing", removeDescriptions, { plane }, {}, 0,
            { tell + "FDataDet.txt was not found in \"" + folder + "\". The fields are shown without descriptions." } },
        { "descriptions empty", write("FDataDet.txt", ""), { plane }, {}, 0,
            { tell + "FDataDet.txt has 0 lines where 329 are expected" } },
        { "descriptions short", write("FDataDet.txt", "Heading\r\nOne\r\nTwo\r\n"), { plane }, {}, 0,
            { tell + "FDataDet.txt has 3 lines where 329 are expected" } },
        { "flight file missing", [] {}, { QStringLiteral("none.flt") }, {}, 1,
            { warn + "Cannot open \"none.flt\". No file was loaded." } },
        { "flight file empty", write("empty.flt", ""), { QStringLiteral("empty.flt") }, {}, 1,
            { warn + "\"empty.flt\" is 0 bytes long, shorter than the 1284 bytes of a flight file." } },
        { "flight file damaged (cut short)", write("cut.flt", "0123456789"), { QStringLiteral("cut.flt") }, {}, 1,
            { warn + "\"cut.flt\" is 10 bytes long" } },
        { "flight file a folder", [&dir] { std::filesystem::create_directory(dir / "folder.flt"); },
            { QStringLiteral("folder.flt") }, {}, 1, { warn + "\"folder.flt\" is a folder, not a flight file." } },
        { "no file named, the dialog cancelled", [] {}, {}, {}, 1, { QStringLiteral("dialog|CD") } },
        { "no file named, a damaged one chosen", write("cut.flt", "0123456789"), {},
            { QStringLiteral("file:") + folder + QStringLiteral("/cut.flt") }, 1,
            { QStringLiteral("dialog|CD"), warn + "\"" + folder + "/cut.flt\" is 10 bytes long" } },
        { "no descriptions, no file named, a good one chosen", removeDescriptions, {},
            { QStringLiteral("ok"), QStringLiteral("file:") + folder + QStringLiteral("/plane.flt") }, 0,
            { tell + "FDataDet.txt was not found", QStringLiteral("dialog|CD") } },
    };
    for (const Case& c : cases) {
        init();
        c.change();
        kvl::test::WindowRunOptions options;
        options.folder = folder;
        options.answers = c.answers;
        const kvl::test::WindowRun run = kvl::test::runWindowProgram(QStringLiteral(KVL_FLTPATCH_PROGRAM),
            QStringLiteral(KVL_BOX_ANSWERER), QStringList { QStringLiteral("--quit-after-load") } + c.arguments,
            options);
        const QString problem = kvl::test::unexpected(run, c.status, c.boxes, QStringLiteral("Orlith's Flight Editor"));
        QVERIFY2(problem.isEmpty(), qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ") + problem));
    }
}

FltPatchCliTest::Run FltPatchCliTest::runWithoutDisplay(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(KVL_FLTPATCH_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void FltPatchCliTest::diffListsTheValuesThatDiffer()
{
    const QString diff = QStringLiteral("--diff");
    const QString plane = QStringLiteral("plane.flt");
    const QString other = QStringLiteral("other.flt");
    Run run = runWithoutDisplay({ diff, plane, plane });
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString());

    run = runWithoutDisplay({ diff, plane, other });
    QCOMPARE(run.status, 1);
    QCOMPARE(
        run.out, QStringLiteral("field 3, float, Description: 0 -> 0.5\nfield 161, short, Description: 0 -> -2\n"));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));

    run = runWithoutDisplay({ diff, other, plane, QStringLiteral("--json") });
    QCOMPARE(run.status, 1);
    QVERIFY2(run.out.startsWith(QStringLiteral("{\"a\":\"other.flt\",\"b\":\"plane.flt\",\"differences\":[{\"field\":3,"
                                               "\"position\":5,\"type\":\"float\",\"label\":\"Description\","
                                               "\"a\":\"0.5\",\"b\":\"0\"},")),
        qPrintable(run.out));

    // A file that cannot be loaded, and the usage errors.
    run = runWithoutDisplay({ diff, plane, QStringLiteral("none.flt") });
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("none.flt")), qPrintable(run.err));
    for (const QStringList& arguments : { QStringList { diff, plane }, QStringList { QStringLiteral("--json"), plane },
             QStringList { diff, plane, other, QStringLiteral("--export-csv") } }) {
        run = runWithoutDisplay(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith(QStringLiteral("fltpatch: ")), qPrintable(run.err));
    }
}

QTEST_GUILESS_MAIN(FltPatchCliTest)
#include "fltpatch_process_test.moc"
