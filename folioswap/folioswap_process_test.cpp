// The program as a process: what its command line accepts, the exit status
// of each way it ends without a user at the window, and every start-up that
// ends in a message, with its boxes answered as a user would.
#include "common/testing/fakewindowhost.h"
#include "common/testing/readonlyfolder.h"
#include "common/testing/windowprocess.h"
#include "folioswap/setswitcher.h"
#include "folioswap/testing/archivemaker.h"
#include "folioswap/testing/fakeswitcherhost.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
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

Run runFolioswap(
    const QStringList& arguments, const QString& folder = QDir::currentPath(), const QString& profile = QString())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A profile of its own: no folder remembered from another run.
    if (!profile.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), profile);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(KVL_FOLIOSWAP_PROGRAM), arguments);
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

QByteArray bytesOf(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file under `folder`, relative, sorted.
QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
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
        QTest::newRow("--add-set without its archive")
            << QStringList { QStringLiteral("--add-set") } << QStringLiteral("add-set");
        QTest::newRow("--name alone") << QStringList { QStringLiteral("--name"), QStringLiteral("Kursk") }
                                      << QStringLiteral("--name goes with --add-set only");
        QTest::newRow("--dry-run with --list") << QStringList { QStringLiteral("--list"), QStringLiteral("--dry-run") }
                                               << QStringLiteral("--dry-run goes with --add-set only");
        QTest::newRow("--add-set with --list") << QStringList { QStringLiteral("--add-set"), QStringLiteral("x.zip"),
            QStringLiteral("--list") } << QStringLiteral("cannot be given together");
        QTest::newRow("--list with --quit-after-load") << QStringList { QStringLiteral("--list"),
            QStringLiteral("--quit-after-load") } << QStringLiteral("--quit-after-load needs the window, not --list");
        QTest::newRow("--add-set and a file name")
            << QStringList { QStringLiteral("--add-set"), QStringLiteral("x.zip"), QStringLiteral("y.zip") }
            << QStringLiteral("'y.zip'");
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
                    kvl::test::FakeSwitcherHost host;
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
            const kvl::test::WindowRun run = kvl::test::runWindowProgram(QStringLiteral(KVL_FOLIOSWAP_PROGRAM),
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
        const kvl::test::WindowRun run = kvl::test::runWindowProgram(QStringLiteral(KVL_FOLIOSWAP_PROGRAM),
            QStringLiteral(KVL_BOX_ANSWERER), { QStringLiteral("--quit-after-load") }, options);
        expectRun("read-only", run, 1,
            { QStringLiteral("box|%1|%2").arg(kWarningIcon).arg(QLatin1String(kReport)),
                QStringLiteral("box|%1|Error 30:\r\nRead-only file system: ").arg(kInformationIcon) });
    }

    // --list: each set, the loaded one marked, and what each file does to the
    // game folder.
    void listPrintsTheSetsAndWhatEachReplaces()
    {
        QTemporaryDir game;
        QVERIFY(game.isValid());
        makeTree(game.path());
        const QString main = game.path() + QStringLiteral("/Borvex");
        put(main + "/CAMChannel/SQ0999.DAT", "added");
        put(game.path() + "/camp0001.dat", "game campaign");
        put(main + "/CAMMalta/SQ0141.DAT", "malta");
        put(main + "/Workfiles/resMalta.txt", "SQ0141.DAT\r\n");
        put(main + "/Workfiles/LastCampaign.txt", "\"Malta\"\r\n");
        Run run = runFolioswap({ QStringLiteral("--list") }, main, game.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out,
            QStringLiteral("Channel\n\tCAMP0001.DAT\t7\treplaces\n\tSQ0999.DAT\t5\tadds\n"
                           "Malta\tloaded\n\tSQ0141.DAT\t5\treplaces\n"));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    }

    // --add-set from an archive and from a folder, --name, --dry-run.
    void addSetInstallsFromAnArchiveOrAFolder()
    {
        QTemporaryDir game;
        QVERIFY(game.isValid());
        makeTree(game.path());
        const QString main = game.path() + QStringLiteral("/Borvex");
        put(game.path() + "/CAMP0001.DAT", "game campaign");
        put(game.path() + "/Kursk 1943.zip",
            bytesOf(kvl::test::makeArchive(kvl::test::ArchiveFormat::Zip,
                { { "Kursk/CAMP0001.DAT", "kursk" }, { "Kursk/xxxKursk.txt", "Tanks\r\n" } })));
        const QStringList before = filesUnder(main);

        Run dry = runFolioswap(
            { QStringLiteral("--add-set"), game.path() + "/Kursk 1943.zip", QStringLiteral("--dry-run") }, main,
            game.path());
        QCOMPARE(dry.status, 0);
        QVERIFY2(dry.out.startsWith(QStringLiteral("New campaign \"Kursk\" from ")), qPrintable(dry.out));
        QVERIFY2(dry.out.contains(QStringLiteral("\n  CAMP0001.DAT (5 bytes): replaces the game's CAMP0001.DAT\n")),
            qPrintable(dry.out));
        QVERIFY(dry.out.endsWith(QStringLiteral("Nothing was written (--dry-run).\n")));
        QVERIFY(!dry.out.contains(QLatin1Char('\r')));
        QCOMPARE(filesUnder(main), before);

        Run added = runFolioswap({ QStringLiteral("--add-set"), game.path() + "/Kursk 1943.zip",
                                     QStringLiteral("--name"), QStringLiteral("Kursk Salient") },
            main, game.path());
        QCOMPARE(added.status, 0);
        QVERIFY2(added.out.endsWith(QStringLiteral("Added the campaign \"Kursk Salient\" (1 file).\n")),
            qPrintable(added.out));
        QCOMPARE(contentOf(main + "/CAMKursk Salient/CAMP0001.DAT"), QByteArray("kursk"));
        QCOMPARE(contentOf(main + "/Workfiles/xxxKursk Salient.txt"), QByteArray("Tanks\r\n"));
        QCOMPARE(contentOf(main + "/Workfiles/resKursk Salient.txt"), QByteArray("CAMP0001.DAT\r\n"));

        put(game.path() + "/Ardennes/SQ0141.DAT", "ardennes");
        Run folder = runFolioswap({ QStringLiteral("--add-set"), game.path() + "/Ardennes" }, main, game.path());
        QCOMPARE(folder.status, 0);
        QCOMPARE(contentOf(main + "/CAMArdennes/SQ0141.DAT"), QByteArray("ardennes"));
        QCOMPARE(contentOf(main + "/Workfiles/resArdennes.txt"), QByteArray(""));

        Run list = runFolioswap({ QStringLiteral("--list") }, main, game.path());
        QCOMPARE(list.status, 0);
        QVERIFY2(
            list.out.startsWith(QStringLiteral("Ardennes\n\tSQ0141.DAT\t8\tadds\nChannel\n")), qPrintable(list.out));
        QVERIFY(list.out.contains(QStringLiteral("Kursk Salient\n\tCAMP0001.DAT\t5\treplaces\n")));
    }

    // Each refusal ends with 1, names the reason on standard error and
    // leaves the folder tree as it was.
    void addSetRefusalsEndWithOneAndWriteNothing()
    {
        using namespace kvl::test;
        struct Case {
            const char* name;
            QByteArray archive; // written as game/set.zip; empty: none
            QStringList extra;
            QString says;
        };
        const Case cases[] = {
            { "traversal", bytesOf(craftZip({ { "CAMP0001.DAT", "x" }, { "../x", "x" } })), {},
                QStringLiteral("\"../x\" leads out of the set's folder") },
            { "absolute", bytesOf(craftZip({ { "/x", "x" } })), {}, QStringLiteral("\"/x\" is an absolute path") },
            { "drive", bytesOf(craftZip({ { "C:\\x", "x" } })), {}, QStringLiteral("names a drive") },
            { "symbolic link", bytesOf(craftZip({ { "A.DAT", "/etc/passwd", UINT64_MAX, 0120777 } })), {},
                QStringLiteral("\"A.DAT\" is a link") },
            { "letter case", bytesOf(craftZip({ { "A.DAT", "1" }, { "a.dat", "2" } })), {},
                QStringLiteral("has the same name as") },
            { "bomb", bytesOf(craftZip({ { "A.DAT", "x", 3'000'000'000u } })), {},
                QStringLiteral("more than 1000 times its own") },
            { "damaged", QByteArray("no archive at all"), {}, QStringLiteral("is damaged or not an archive: ") },
            { "missing", QByteArray(), {}, QStringLiteral("No such file or directory") },
            { "name taken", bytesOf(craftZip({ { "A.DAT", "x" } })),
                { QStringLiteral("--name"), QStringLiteral("channel") },
                QStringLiteral("A campaign named \"Channel\" exists already.") },
            { "name not allowed", bytesOf(craftZip({ { "A.DAT", "x" } })),
                { QStringLiteral("--name"), QStringLiteral("a/b") }, QStringLiteral("may not hold") },
        };
        for (const Case& c : cases) {
            QTemporaryDir game;
            QVERIFY(game.isValid());
            makeTree(game.path());
            const QString main = game.path() + QStringLiteral("/Borvex");
            if (!c.archive.isEmpty())
                put(game.path() + "/set.zip", c.archive);
            const QStringList before = filesUnder(game.path());
            Run run = runFolioswap(
                QStringList { QStringLiteral("--add-set"), game.path() + "/set.zip" } + c.extra, main, game.path());
            QVERIFY2(run.status == 1, c.name);
            QVERIFY2(run.err.startsWith(QStringLiteral("folioswap: ")) && run.err.contains(c.says),
                qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ") + run.err));
            QCOMPARE(filesUnder(game.path()), before);
        }
    }

    // Without a window it never asks: outside a program folder, or with an
    // operation cut short, it ends with 1 and says why.
    void scriptModesRefuseWhatNeedsTheWindow()
    {
        QTemporaryDir game;
        QVERIFY(game.isValid());
        makeTree(game.path());
        Run outside = runFolioswap({ QStringLiteral("--list") }, game.path(), game.path());
        QCOMPARE(outside.status, 1);
        QVERIFY2(outside.err.contains(QStringLiteral("is not the Borvex folder")), qPrintable(outside.err));
        QVERIFY(outside.out.isEmpty());

        const QString main = game.path() + QStringLiteral("/Borvex");
        put(main + "/Workfiles/" + kvl::folioswap::kJournalName, "folioswap-journal 1\n");
        put(game.path() + "/set.zip", bytesOf(kvl::test::craftZip({ { "A.DAT", "x" } })));
        Run cut = runFolioswap({ QStringLiteral("--add-set"), game.path() + "/set.zip" }, main, game.path());
        QCOMPARE(cut.status, 1);
        QVERIFY2(cut.err.contains(QStringLiteral("was cut short")), qPrintable(cut.err));
        QVERIFY(!QFile::exists(main + "/CAMset"));
        Run list = runFolioswap({ QStringLiteral("--list") }, main, game.path());
        QCOMPARE(list.status, 0);
        QVERIFY(list.err.contains(QStringLiteral("note: an operation was cut short")));
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
