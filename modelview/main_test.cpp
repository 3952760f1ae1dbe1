// The program as a process: what its command line ends with.
#include "modelview/testing/samplefighter.h"

#include "common/fileimage.h"

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

    Run run(const QStringList& args)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
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
        QVERIFY(kvl::writeFileImage(
            dir.filePath(QStringLiteral("FIGHTER.VKM")).toStdString(), kvl::modelview::testing::sampleFighter()));
        QVERIFY(kvl::writeFileImage(dir.filePath(QStringLiteral("bad.vkm")).toStdString(), std::string(10, '\0')));
    }

    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        const QString good = dir.filePath(QStringLiteral("FIGHTER.VKM"));
        const QString bad = dir.filePath(QStringLiteral("bad.vkm"));
        const QString missing = dir.filePath(QStringLiteral("missing.vkm"));
        const QString quit = QStringLiteral("--quit-after-load");
        QTest::newRow("help") << QStringList { "--help" } << 0 << "[MODEL]"
                              << "";
        QTest::newRow("version") << QStringList { "--version" } << 0 << "modelview "
                                 << "";
        QTest::newRow("unknown option") << QStringList { "--bogus" } << 2 << ""
                                        << "modelview: Unknown option 'bogus'.";
        QTest::newRow("two models") << QStringList { good, good } << 2 << ""
                                    << "modelview: one model file at most, not 2";
        QTest::newRow("loaded") << QStringList { quit, good } << 0 << ""
                                << "";
        QTest::newRow("nothing to load") << QStringList { quit } << 0 << ""
                                         << "";
        QTest::newRow("refused") << QStringList { quit, bad } << 1 << ""
                                 << "modelview: File Error! Not a valid VKM file!";
        QTest::newRow("missing") << QStringList { missing, quit } << 1 << ""
                                 << "modelview: File Error! Not a valid VKM file!";
    }

    void exitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        const Run r = run(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.out.contains(stdoutHas), qPrintable(r.out));
        QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "main_test.moc"
