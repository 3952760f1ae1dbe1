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
        QByteArray* output = nullptr, bool windowSystem = true, const QByteArray& input = {})
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
        process.start(QStringLiteral(KVL_PLANESEDIT_PROGRAM), arguments);
        process.write(input);
        process.closeWriteChannel();
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

    void applyModesRunWithoutAWindow()
    {
        using namespace kvl::test;
        using kvl::planesedit::filePosition;
        TempFolder dir;
        const auto image = makePlanesImage();
        writeFile(dir.path() / "PLANES.DAT", image);
        const auto at = [](int slot, int row) { return static_cast<std::size_t>(filePosition(slot, row) - 1); };
        // Slot 6 with another year, as a script for slot 28 and as a working
        // copy, written here as the formats have them.
        std::string script = "      Heinkel     \r\n28\r\n", copy;
        for (int r = 1; r <= 168; ++r) {
            const std::string line = std::to_string(r == 9 ? 201 : image[at(6, r)]) + "\r\n";
            copy += line;
            if (r > 1)
                script += line;
        }
        const auto put = [&](const char* name, const std::string& text) {
            writeFile(dir.path() / name, std::vector<std::uint8_t>(text.begin(), text.end()));
        };
        put("He-111.oaw", script);
        put(" 6.oaw", copy);

        // -n lists the changes and writes nothing.
        QByteArray out, errors;
        QCOMPARE(run({ "--apply-script", "He-111.oaw", "-n" }, dir.path(), &errors, &out, false), 0);
        QVERIFY2(out.startsWith("row 2, Pln No, byte 2: " + QByteArray::number(image[at(28, 2)]) + " -> "
                     + QByteArray::number(image[at(6, 2)]) + "\n"),
            out.constData());
        QCOMPARE(out.count('\n'), 167);
        QVERIFY2(errors.contains("He-111.oaw: script \"Heinkel\", destination slot 28"), errors.constData());
        QVERIFY2(errors.contains("167 byte(s) would change; nothing was written"), errors.constData());
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), image);

        // Into its destination: bytes 2..168, byte 1 stays; the same from standard input into --slot.
        QCOMPARE(run({ "--apply-script", "He-111.oaw" }, dir.path(), &errors, nullptr, false), 0);
        auto expected = image;
        for (int r = 2; r <= 168; ++r)
            expected[at(28, r)] = r == 9 ? 201 : image[at(6, r)];
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), expected);
        QCOMPARE(run({ "--apply-script", "-", "--slot", "27" }, dir.path(), &errors, nullptr, false,
                     QByteArray::fromStdString(script)),
            0);
        for (int r = 2; r <= 168; ++r)
            expected[at(27, r)] = expected[at(28, r)];
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), expected);
        QCOMPARE(
            run({ "--apply-working-copy", " 6.oaw", "--slot", "6", "PLANES.DAT" }, dir.path(), &errors, nullptr, false),
            0);
        QVERIFY2(errors.contains("slot 6 (B-17F) of PLANES.DAT: 1 byte(s) changed"), errors.constData());
        expected[at(6, 9)] = 201;
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), expected);

        // Refused with the file and the line, status 1, nothing written.
        std::string bad = script;
        bad.replace(bad.find("\r\n28\r\n"), 6, "\r\n30\r\n");
        put("bad.oaw", bad);
        const struct {
            QStringList arguments;
            QByteArray message;
        } refusals[] = {
            { { "--apply-script", "bad.oaw" }, "bad.oaw, line 2: the destination slot \"30\" is out of range" },
            { { "--apply-script", " 6.oaw", "--slot", "1" }, " 6.oaw, line 1: \"" },
            { { "--apply-working-copy", "He-111.oaw", "--slot", "1" }, "it is an aircraft script" },
            { { "--apply-working-copy", "PLANES.DAT", "--slot", "1" }, "PLANES.DAT, line 1: a control character" },
            { { "--apply-working-copy", " 6.oaw", "--slot", "29", "short.dat" }, "short.dat" },
            { { "--apply-script", "-", "--slot", "1" }, "standard input holds more than 65536 bytes" },
        };
        writeFile(dir.path() / "short.dat", std::vector<std::uint8_t>(image.begin(), image.begin() + 3000));
        for (const auto& r : refusals) {
            QCOMPARE(run(r.arguments, dir.path(), &errors, nullptr, false, QByteArray(100000, '1')), 1);
            QVERIFY2(errors.contains(r.message) && errors.contains("nothing was written"), errors.constData());
        }
        QCOMPARE(readFile(dir.path() / "PLANES.DAT"), expected);
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
        QTest::newRow("working copy without slot")
            << QStringList { "--apply-working-copy", "a.oaw" } << "--apply-working-copy needs --slot N";
        QTest::newRow("dry run alone") << QStringList { "-n" } << "--dry-run goes with --apply-script";
        QTest::newRow("dry run with an export")
            << QStringList { "--export-csv", "--slot", "1", "--dry-run" } << "--dry-run goes with";
        QTest::newRow("script and import") << QStringList { "--apply-script", "a.oaw", "--import-csv", "b.csv" }
                                           << "--import-csv and --apply-script cannot be given together";
        QTest::newRow("script and working copy") << QStringList { "--apply-working-copy", "a.oaw", "--apply-script",
            "a.oaw", "--slot", "1" } << "--apply-script and --apply-working-copy cannot be given together";
        QTest::newRow("script with two files")
            << QStringList { "--apply-script", "a.oaw", "a.dat", "b.dat" } << "only one";
        QTest::newRow("script into slot 30")
            << QStringList { "--apply-script", "a.oaw", "--slot", "30" } << "from 0 to 29";
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
        // Help and version are text: they need no display at all.
        QByteArray output;
        QCOMPARE(run({ "--help" }, dir.path(), nullptr, &output, false), 0);
        QVERIFY(output.contains("--apply-script"));
        QCOMPARE(run({ "--version" }, dir.path(), nullptr, &output, false), 0);
        QVERIFY(output.startsWith("planesedit"));
        QCOMPARE(run({ "-h" }, dir.path(), nullptr, nullptr, false), 0);
    }
};

QTEST_GUILESS_MAIN(MainTest)
#include "planesedit_process_test.moc"
