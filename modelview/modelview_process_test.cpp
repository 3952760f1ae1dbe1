// The program as a process: what its command line ends with, and every
// start-up that ends in a message, with its boxes answered as a user would.
#include "modelview/testing/samplefighter.h"

#include "common/fileimage.h"
#include "common/testing/readonlyfolder.h"
#include "common/testing/windowprocess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class CommandLineTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };

    // `platform` picks Qt's platform; "-" runs with no display at all.
    Run run(const QStringList& args, const QString& platform = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (platform == QLatin1String("-")) {
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        } else if (!platform.isEmpty()) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        }
        // The recent-file list goes to the test's own profile.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KVL_MODELVIEW_PROGRAM), args);
        Run r;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return r;
        }
        if (process.exitStatus() == QProcess::NormalExit)
            r.status = process.exitCode();
        r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(process.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(
            kvl::writeFileImage(dir.filePath(QStringLiteral("FIGHTER.VKM")).toStdString(), kvl::test::sampleFighter()));
        QVERIFY(kvl::writeFileImage(dir.filePath(QStringLiteral("bad.vkm")).toStdString(), std::string(10, '\0')));
    }

    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        QTest::addColumn<QString>("platform");
        const QString good = dir.filePath(QStringLiteral("FIGHTER.VKM"));
        const QString bad = dir.filePath(QStringLiteral("bad.vkm"));
        const QString missing = dir.filePath(QStringLiteral("missing.vkm"));
        const QString quit = QStringLiteral("--quit-after-load");
        const QString png = dir.filePath(QStringLiteral("out.png"));
        QTest::newRow("help") << QStringList { "--help" } << 0 << "[MODEL]"
                              << "" << QString();
        QTest::newRow("version") << QStringList { "--version" } << 0 << "modelview "
                                 << "" << QString();
        QTest::newRow("unknown option") << QStringList { "--bogus" } << 2 << ""
                                        << "modelview: Unknown option 'bogus'." << QString();
        QTest::newRow("two models") << QStringList { good, good } << 2 << ""
                                    << "modelview: one model file at most, not 2" << QString();
        QTest::newRow("loaded") << QStringList { quit, good } << 0 << ""
                                << "" << QString();
        QTest::newRow("nothing to load") << QStringList { quit } << 0 << ""
                                         << "" << QString();
        QTest::newRow("refused") << QStringList { quit, bad } << 1 << ""
                                 << "modelview: File Error! Not a valid VKM file!" << QString();

        // Help, version, usage errors and the export need no display; a
        // platform without OpenGL gets the software picture, not a crash.
        QTest::newRow("help, no display") << QStringList { "--help" } << 0 << "--export-png"
                                          << ""
                                          << "-";
        QTest::newRow("version, no display") << QStringList { "--version" } << 0 << "modelview "
                                             << ""
                                             << "-";
        QTest::newRow("usage, no display") << QStringList { "--export-png", png, "--view", "side", good } << 2 << ""
                                           << "modelview: --view takes perspective, front, top or size, not 'side'"
                                           << "-";
        QTest::newRow("bad size") << QStringList { "--export-png", png, "--size", "0x5", good } << 2 << ""
                                  << "modelview: --size takes WxH"
                                  << "-";
        QTest::newRow("export, no display") << QStringList { "--export-png", png, "--size", "64x48", good } << 0 << ""
                                            << ""
                                            << "-";
        QTest::newRow("export of a missing model") << QStringList { "--export-png", png, missing } << 1 << ""
                                                   << "modelview: File Error! Cannot open"
                                                   << "-";
        QTest::newRow("no OpenGL") << QStringList { quit, good } << 0 << ""
                                   << ""
                                   << "offscreen";
        QTest::newRow("missing") << QStringList { missing, quit } << 1 << ""
                                 << "modelview: File Error! Cannot open " + missing + ": No such file or directory"
                                 << QString();
    }

    void exitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        QFETCH(QString, platform);
        const Run r = run(args, platform);
        QCOMPARE(r.status, status);
        QVERIFY2(r.out.contains(stdoutHas), qPrintable(r.out));
        QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
        if (QTest::currentDataTag() == QLatin1String("export, no display")) {
            // A PNG file whose header gives the size asked for.
            QFile file(dir.filePath(QStringLiteral("out.png")));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray head = file.read(24);
            QCOMPARE(head.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
            auto be32 = [&](int at) {
                return (quint8(head[at]) << 24) | (quint8(head[at + 1]) << 16) | (quint8(head[at + 2]) << 8)
                    | quint8(head[at + 3]);
            };
            QCOMPARE(be32(16), 64u);
            QCOMPARE(be32(20), 48u);
        }
    }

    // A model named on the command line that cannot be shown: one box over
    // the window, then the user closes the window (status 0). None may
    // crash or hang.
    void startUpMessages()
    {
        QVERIFY(kvl::writeFileImage(dir.filePath(QStringLiteral("empty.vkm")).toStdString(), std::string()));
        QVERIFY(kvl::writeFileImage(dir.filePath(QStringLiteral("bad.3db")).toStdString(), std::string(7, 'x')));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder.vkm")));
        const QString critical = QStringLiteral("box|%1|").arg(3); // QMessageBox::Critical
        struct Case {
            const char* name;
            QString file;
            QString says;
        };
        const Case cases[] = {
            { "missing", dir.filePath(QStringLiteral("missing.vkm")),
                "Cannot open " + dir.filePath(QStringLiteral("missing.vkm")) + ": No such file or directory" },
            { "empty", dir.filePath(QStringLiteral("empty.vkm")), QStringLiteral("Not a valid VKM file!") },
            { "damaged", dir.filePath(QStringLiteral("bad.vkm")), QStringLiteral("Not a valid VKM file!") },
            { "damaged 3DB", dir.filePath(QStringLiteral("bad.3db")),
                dir.filePath(QStringLiteral("bad.3db")) + " is not a valid 3DB model: " },
            { "a folder", dir.filePath(QStringLiteral("folder.vkm")),
                "Cannot open " + dir.filePath(QStringLiteral("folder.vkm")) },
        };
        for (const Case& c : cases) {
            kvl::test::WindowRunOptions options;
            options.closeAfter = 1;
            const kvl::test::WindowRun r = kvl::test::runWindowProgram(
                QStringLiteral(KVL_MODELVIEW_PROGRAM), QStringLiteral(KVL_BOX_ANSWERER), { c.file }, options);
            const QString problem = kvl::test::unexpected(r, 0, { critical + c.says }, QStringLiteral("File Error!"));
            QVERIFY2(problem.isEmpty(), qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ") + problem));
        }
    }

    // A profile it cannot write: the recent-file list is not kept, and
    // nothing else happens.
    void startUpWithAProfileItCannotWrite()
    {
        kvl::test::ReadOnlyFolder config(
            dir.filePath(QStringLiteral("readonly-config")).toStdString(), [](const auto&) {});
        if (!config.ready())
            QSKIP("no folder can be made read-only here");
        kvl::test::WindowRunOptions options;
        options.configHome = QString::fromStdString(config.path().string());
        const kvl::test::WindowRun r = kvl::test::runWindowProgram(QStringLiteral(KVL_MODELVIEW_PROGRAM),
            QStringLiteral(KVL_BOX_ANSWERER),
            { QStringLiteral("--quit-after-load"), dir.filePath(QStringLiteral("FIGHTER.VKM")) }, options);
        const QString problem = kvl::test::unexpected(r, 0, {}, QString());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "modelview_process_test.moc"
