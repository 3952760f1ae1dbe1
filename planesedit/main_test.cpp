// The command line of the built program: bad options end it with status 2
// and a message on standard error; a good one loads the aircraft and ends.
#include "planesedit/testsupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

class MainTest : public QObject {
    Q_OBJECT

private:
    // Runs the program in `folder`, without a display; its exit status, -1 when it did not end.
    // With `windowSystem` false not even Qt's offscreen platform is offered:
    // a mode that tried to open a window would fail to start.
    int run(const QStringList& arguments, const std::filesystem::path& folder, QByteArray* errors = nullptr,
        QByteArray* output = nullptr, bool windowSystem = true)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (windowSystem)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        else
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(folder.string()));
        process.start(QStringLiteral(PLANESEDIT_PROGRAM), arguments);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        if (errors)
            *errors = process.readAllStandardError();
        if (output)
            *output = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void badOptionsEndWithStatusTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("slot above 29") << QStringList { "--slot", "30" } << "--slot takes a whole number from 0 to 29";
        QTest::newRow("slot below 0") << QStringList { "--slot", "-1" } << "--slot takes a whole number from 0 to 29";
        QTest::newRow("slot not a number") << QStringList { "--slot", "abc" } << "not 'abc'";
        QTest::newRow("slot without value") << QStringList { "--slot" } << "--slot";
        QTest::newRow("unknown option") << QStringList { "--bogus" } << "bogus";
        QTest::newRow("file without a CSV mode") << QStringList { "planes.dat" } << "only with --export-csv";
    }

    void badOptionsEndWithStatusTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        kvl::test::TempFolder dir;
        QByteArray errors;
        QCOMPARE(run(arguments, dir.path(), &errors), 2);
        QVERIFY2(errors.contains(message.toUtf8()), errors.constData());
        QVERIFY2(errors.contains("planesedit: "), errors.constData());
    }

    void goodSlotLoadsAndQuits()
    {
        kvl::test::TempFolder dir;
        kvl::test::writeFile(dir.path() / "PLANES.DAT", kvl::test::makePlanesImage());
        QCOMPARE(run({ "--slot", "29", "--quit-after-load" }, dir.path()), 0);
        QCOMPARE(run({ "--quit-after-load" }, dir.path()), 0);
        // Starting and quitting leaves planes.dat as it was.
        QCOMPARE(kvl::test::readFile(dir.path() / "PLANES.DAT"), kvl::test::makePlanesImage());
    }

    void csvModesRunWithoutAWindow()
    {
        using namespace kvl::test;
        TempFolder dir;
        const auto image = makePlanesImage();
        writeFile(dir.path() / "PLANES.DAT", image);
        QByteArray csv, errors;
        QCOMPARE(run({ "--export-csv", "--slot", "6" }, dir.path(), &errors, &csv, false), 0);
        QVERIFY(csv.startsWith("row,position,label,value\r\n1,"));
        QCOMPARE(csv.count('\n'), 169);

        // Change one value in the text and import it: exactly that byte changes.
        const QByteArray row9 = "\r\n9," + QByteArray::number(qulonglong(kvl::planesedit::filePosition(6, 9)))
            + ",Year,";
        const qsizetype at = csv.indexOf(row9);
        QVERIFY(at > 0);
        const qsizetype valueAt = at + row9.size();
        csv.replace(valueAt, csv.indexOf('\r', valueAt) - valueAt, "201");
        writeFile(dir.path() / "values.csv", std::vector<std::uint8_t>(csv.begin(), csv.end()));
        QCOMPARE(run({ "--import-csv", "values.csv", "--slot", "6" }, dir.path(), &errors, nullptr, false), 0);
        auto expected = image;
        expected[kvl::planesedit::filePosition(6, 9) - 1] = 201;
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), expected);

        // A named file, and refusals: nothing is written, status 1.
        const std::string bad = "row,value\n9,1\n10,999\n";
        writeFile(dir.path() / "bad.csv", std::vector<std::uint8_t>(bad.begin(), bad.end()));
        QCOMPARE(
            run({ "--import-csv", "bad.csv", "--slot", "6", "PLANES.DAT" }, dir.path(), &errors, nullptr, false), 1);
        QVERIFY2(errors.contains("line 3: row 10: \"999\" does not fit"), errors.constData());
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), expected);
        QCOMPARE(run({ "--export-csv", "--slot", "6", "missing.dat" }, dir.path(), &errors, nullptr, false), 1);
        QVERIFY2(errors.contains("missing.dat"), errors.constData());
    }

    void csvModesRefuseBadUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no slot") << QStringList { "--export-csv" } << "need --slot N";
        QTest::newRow("both modes") << QStringList { "--export-csv", "--import-csv", "a.csv", "--slot", "1" }
                                    << "cannot be given together";
        QTest::newRow("two files") << QStringList { "--export-csv", "--slot", "1", "a.dat", "b.dat" } << "only one";
        QTest::newRow("slot out of range") << QStringList { "--export-csv", "--slot", "30" } << "from 0 to 29";
    }

    void csvModesRefuseBadUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        kvl::test::TempFolder dir;
        QByteArray errors;
        QCOMPARE(run(arguments, dir.path(), &errors, nullptr, false), 2);
        QVERIFY2(errors.contains(message.toUtf8()), errors.constData());
    }

    void helpEndsWithStatusZero()
    {
        kvl::test::TempFolder dir;
        QCOMPARE(run({ "--help" }, dir.path()), 0);
    }
};

QTEST_GUILESS_MAIN(MainTest)
#include "main_test.moc"
