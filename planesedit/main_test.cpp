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
    int run(const QStringList& arguments, const std::filesystem::path& folder, QByteArray* errors = nullptr)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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

    void helpEndsWithStatusZero()
    {
        kvl::test::TempFolder dir;
        QCOMPARE(run({ "--help" }, dir.path()), 0);
    }
};

QTEST_GUILESS_MAIN(MainTest)
#include "main_test.moc"
