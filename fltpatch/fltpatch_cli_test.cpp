// The built program as a process: usage errors, --help and --version, and
// --quit-after-load on a flight file that loads.
#include "fltpatch/fltfields.h"

#include "common/fileimage.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

class FltPatchCliTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void exitStatuses_data();
    void exitStatuses();

private:
    QTemporaryDir m_dir;
};

void FltPatchCliTest::init()
{
    QVERIFY(m_dir.isValid());
    const std::filesystem::path dir(m_dir.path().toStdString());
    // All values zero is a valid flight file; descriptions keep the start-up free of messages.
    QVERIFY(kvl::writeFileImage(dir / "plane.flt", std::vector<std::uint8_t>(kvl::fltpatch::kFileSize)));
    std::string descriptions;
    for (int line = 0; line < kvl::fltpatch::kFieldCount + 1; ++line)
        descriptions += "Description\r\n";
    QVERIFY(kvl::writeFileImage(dir / "FDataDet.txt", std::string_view(descriptions)));
}

void FltPatchCliTest::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says"); // on standard error, or on standard output with status 0
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--bogus") } << 2
                                    << QStringLiteral("fltpatch: Unknown option 'bogus'.");
    QTest::newRow("the old quit option") << QStringList { QStringLiteral("--quit-when-loaded") } << 2
                                         << QStringLiteral("Try 'fltpatch --help'");
    QTest::newRow("two files") << QStringList { QStringLiteral("a.flt"), QStringLiteral("b.flt") } << 2
                               << QStringLiteral("fltpatch: one flight file at most, not 2");
    QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0 << QStringLiteral("--quit-after-load");
    QTest::newRow("version") << QStringList { QStringLiteral("--version") } << 0 << QStringLiteral("fltpatch ");
    QTest::newRow("loads and quits") << QStringList { QStringLiteral("plane.flt"), QStringLiteral("--quit-after-load") }
                                     << 0 << QString();
}

void FltPatchCliTest::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(FLTPATCH_PROGRAM), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(process.exitCode() == status, qPrintable(errors));
    const QString& told = status == 0 ? output : errors;
    QVERIFY2(told.contains(says), qPrintable(told));
}

QTEST_GUILESS_MAIN(FltPatchCliTest)
#include "fltpatch_cli_test.moc"
