// The program as a process: what its command line accepts and the exit
// status of each way it ends without a user at the window.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runFolioswap(const QStringList& arguments, const QString& folder = QDir::currentPath())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(FOLIOSWAP_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class FolioswapProcessTest : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionEndWithZero()
    {
        Run help = runFolioswap({ QStringLiteral("--help") });
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.contains(QStringLiteral("--quit-after-load")), qPrintable(help.out));
        Run version = runFolioswap({ QStringLiteral("--version") });
        QCOMPARE(version.status, 0);
        QVERIFY2(version.out.startsWith(QStringLiteral("folioswap ")), qPrintable(version.out));
    }

    void usageErrorsEndWithTwoOnStandardError_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown option") << QStringList { QStringLiteral("--bogus") } << QStringLiteral("'bogus'");
        QTest::newRow("file name") << QStringList { QStringLiteral("CAMP0001.DAT") }
                                   << QStringLiteral("'CAMP0001.DAT'");
    }

    void usageErrorsEndWithTwoOnStandardError()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        Run run = runFolioswap(arguments);
        QCOMPARE(run.status, 2);
        // Qt may say something of its own first; the reason is one line.
        const QStringList lines = run.err.split(QLatin1Char('\n'));
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                     [&](const QString& line) {
                         return line.startsWith(QStringLiteral("folioswap: ")) && line.contains(named);
                     }),
            qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    // A full start-up in a set tree, then the end, with nothing changed.
    void quitAfterLoadEndsAfterTheListingWithZero()
    {
        QTemporaryDir game;
        QVERIFY(game.isValid());
        const QString main = game.path() + QStringLiteral("/Borvex");
        put(main + "/Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
        put(main + "/CAMChannel/CAMP0001.DAT", "channel");
        Run run = runFolioswap({ QStringLiteral("--quit-after-load") }, main);
        QCOMPARE(run.status, 0);
        QFile remembered(main + "/Workfiles/LastCampaign.txt");
        QVERIFY(remembered.open(QIODevice::ReadOnly));
        QCOMPARE(remembered.readAll(), QByteArray("\"xxx\"\r\n"));
        QVERIFY(!QFile::exists(game.path() + "/CAMP0001.DAT"));
    }
};

QTEST_GUILESS_MAIN(FolioswapProcessTest)
#include "folioswap_process_test.moc"
