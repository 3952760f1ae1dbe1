// The program as a process: what its command line accepts, the exit status
// of each way it ends without a user at the window, and every start-up that
// ends in a message, with its boxes answered as a user would.
#include "common/testing/fakewindowhost.h"
#include "common/testing/readonlyfolder.h"
#include "common/testing/windowprocess.h"
#include "folioswap/setswitcher.h"
#include "folioswap/testing/fakeswitcherhost.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

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

QByteArray jpeg()
{
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

// A program folder "Borvex" in `game` with the set Channel (files, picture,
// comment), a read-me and no set loaded.
void makeTree(const QString& game)
{
    const QString main = game + QStringLiteral("/Borvex");
    put(main + "/Workfiles/LastCampaign.txt", "\"xxx\"\r\n");
    put(main + "/CAMChannel/CAMP0001.DAT", "channel");
    put(main + "/Workfiles/Channel.jpg", jpeg());
    put(main + "/Workfiles/xxxChannel.txt", "Channel comment\r\n");
    put(main + "/ReadMe/BorvexReadMe.txt", "How to use\r\n");
    QDir().mkpath(main + "/QEXRestoreFiles");
}

// The first box of every fatal report, and the start of the second.
constexpr const char* kReport = "Problem with program, Report the following message to:";
constexpr int kWarningIcon = 2;
constexpr int kInformationIcon = 1;

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

    // Every start-up that ends in a message: the boxes the user sees, then
    // the end (status 1 after a fatal report) or the window (status 0 with
    // --quit-after-load). None of them may crash or hang.
    void startUpMessages()
    {
        struct Case {
            const char* name;
            std::function<void(const QString& game)> change; // the tree is in game/Borvex
            QStringList answers;
            bool inGameFolder; // started in the game folder, which is no program folder
            int status;
            QStringList boxes; // "box|ICON|TEXT START" or "dialog|OBJECT NAME"
        };
        const auto fatal = [](const QString& error) {
            return QStringList { QStringLiteral("box|%1|%2").arg(kWarningIcon).arg(QLatin1String(kReport)),
                QStringLiteral("box|%1|%2").arg(kInformationIcon).arg(error) };
        };
        const auto loaded = [](const QString& game) {
            put(game + "/Borvex/Workfiles/LastCampaign.txt", "\"Channel\"\r\n");
            put(game + "/CAMP0001.DAT", "channel");
        };
        const auto remove = [](const char* file) {
            return [file](const QString& game) { QVERIFY(QFile::remove(game + "/Borvex/" + file)); };
        };
        const Case cases[] = {
            { "everything there", [](const QString&) {}, {}, false, 0, {} },
            { "the loaded set's comment missing",
                [&](const QString& game) {
                    loaded(game);
                    remove("Workfiles/xxxChannel.txt")(game);
                },
                {}, false, 1, fatal(QStringLiteral("Error 2:\r\nNo such file or directory: ")) },
            { "the loaded set's picture missing",
                [&](const QString& game) {
                    loaded(game);
                    remove("Workfiles/Channel.jpg")(game);
                },
                {}, false, 1, fatal(QStringLiteral("Error 2:\r\nNo such file or directory: ")) },
            { "the loaded set's picture damaged",
                [&](const QString& game) {
                    loaded(game);
                    put(game + "/Borvex/Workfiles/Channel.jpg", "no picture");
                },
                {}, false, 1, fatal(QStringLiteral("Error 1001:\r\nInvalid picture: ")) },
            { "LastCampaign.txt missing", remove("Workfiles/LastCampaign.txt"), {}, false, 1,
                fatal(QStringLiteral("Error 2:\r\nNo such file or directory: ")) },
            { "LastCampaign.txt empty",
                [](const QString& game) { put(game + "/Borvex/Workfiles/LastCampaign.txt", ""); }, {}, false, 1,
                fatal(QStringLiteral("Error 1003:\r\nThe last line does not hold a quoted campaign name: ")) },
            { "LastCampaign.txt damaged",
                [](const QString& game) { put(game + "/Borvex/Workfiles/LastCampaign.txt", "\""); }, {}, false, 1,
                fatal(QStringLiteral("Error 1003:\r\n")) },
            { "a damaged record of a cut-short operation",
                [](const QString& game) {
                    put(game + "/Borvex/Workfiles/" + kvl::folioswap::kJournalName, "not a record");
                },
                {}, false, 0,
                { QStringLiteral("box|0|The record of an operation that was cut short is damaged and was set "
                                 "aside as ") } },
            { "a load cut short, rolled back",
                [](const QString& game) {
                    kvl::folioswap::test::FakeSwitcherHost host;
                    kvl::folioswap::SetSwitcher switcher(host);
                    // Stopped after the record is written, before the first copy.
                    int operations = 0;
                    switcher.setFileOpHook([&operations] { return ++operations < 2; });
                    switcher.start((game + "/Borvex").toStdString());
                    switcher.chooseSet(0);
                    switcher.loadSelected();
                },
                { QStringLiteral("no") }, false, 0,
                { QStringLiteral("box|4|The Load of \"Channel\" was cut short."),
                    QStringLiteral("box|0|The Load of \"Channel\" was rolled back.") } },
            { "not started in its folder, the folder dialog cancelled", [](const QString&) {}, {}, true, 0,
                { QStringLiteral("dialog|FolderDialog") } },
            { "a folder chosen that is not its folder", [](const QString&) {}, { QStringLiteral("file:") }, true, 0,
                { QStringLiteral("dialog|FolderDialog"), QStringLiteral("box|2|\""),
                    QStringLiteral("dialog|FolderDialog") } },
        };
        for (const Case& c : cases) {
            QTemporaryDir game;
            QVERIFY(game.isValid());
            makeTree(game.path());
            c.change(game.path());
            QStringList answers = c.answers;
            for (QString& answer : answers)
                if (answer == QLatin1String("file:"))
                    answer += game.path();
            kvl::test::WindowRunOptions options;
            options.folder = c.inGameFolder ? game.path() : game.path() + QStringLiteral("/Borvex");
            options.answers = answers;
            const kvl::test::WindowRun run = kvl::test::runWindowProgram(QStringLiteral(FOLIOSWAP_PROGRAM),
                QStringLiteral(KVL_BOX_ANSWERER), { QStringLiteral("--quit-after-load") }, options);
            expectRun(c.name, run, c.status, c.boxes);
        }
    }

    // A program folder it cannot write, with a cut-short operation to set
    // aside: the fatal report, and nothing changed.
    void startUpInAFolderItCannotWrite()
    {
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        kvl::test::ReadOnlyFolder game(scratch.filePath(QStringLiteral("game")).toStdString(), [](const auto& path) {
            const QString folder = QString::fromStdString(path.string());
            makeTree(folder);
            put(folder + "/Borvex/Workfiles/" + kvl::folioswap::kJournalName, "not a record");
        });
        if (!game.ready())
            QSKIP("no folder can be made read-only here");
        kvl::test::WindowRunOptions options;
        options.folder = QString::fromStdString((game.path() / "Borvex").string());
        const kvl::test::WindowRun run = kvl::test::runWindowProgram(QStringLiteral(FOLIOSWAP_PROGRAM),
            QStringLiteral(KVL_BOX_ANSWERER), { QStringLiteral("--quit-after-load") }, options);
        expectRun("read-only", run, 1,
            { QStringLiteral("box|%1|%2").arg(kWarningIcon).arg(QLatin1String(kReport)),
                QStringLiteral("box|%1|Error 30:\r\nRead-only file system: ").arg(kInformationIcon) });
    }

private:
    static void expectRun(const char* name, const kvl::test::WindowRun& run, int status, const QStringList& boxes)
    {
        const QString problem = kvl::test::unexpected(run, status, boxes, QStringLiteral("Borvex"));
        QVERIFY2(problem.isEmpty(), qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") + problem));
    }
};

QTEST_GUILESS_MAIN(FolioswapProcessTest)
#include "folioswap_process_test.moc"
