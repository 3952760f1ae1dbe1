// The window programs' shared command-line handling.
#include "common/qt/qtwindowhost.h"

#include <QCoreApplication>
#include <QtTest>

class QtWindowHostTest : public QObject {
    Q_OBJECT

private slots:
    void intOptionTakesOnlyWholeNumbersInRange_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("low") << "0" << true;
        QTest::newRow("high") << "29" << true;
        QTest::newRow("above") << "30" << false;
        QTest::newRow("below") << "-1" << false;
        QTest::newRow("word") << "abc" << false;
        QTest::newRow("fraction") << "2.5" << false;
    }

    void intOptionTakesOnlyWholeNumbersInRange()
    {
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        QCommandLineParser parser;
        parser.addOption(QCommandLineOption(QStringLiteral("slot"), QStringLiteral("slot"), QStringLiteral("N")));
        QVERIFY(!kvl::qt::parseCommandLine(parser, { QStringLiteral("prog"), QStringLiteral("--slot"), value }));
        std::optional<int> status;
        const std::optional<int> slot = kvl::qt::intOption(parser, QStringLiteral("slot"), 0, 29, status);
        QCOMPARE(slot.has_value(), accepted);
        QCOMPARE(status.has_value(), !accepted);
        if (status)
            QCOMPARE(*status, 2);
    }

    void unknownOptionIsAUsageError()
    {
        QCommandLineParser parser;
        QCOMPARE(kvl::qt::parseCommandLine(parser, { QStringLiteral("prog"), QStringLiteral("--bogus") }),
            std::optional<int>(2));
    }

    void versionEndsWithZero()
    {
        QCommandLineParser parser;
        QCOMPARE(kvl::qt::parseCommandLine(parser, { QStringLiteral("prog"), QStringLiteral("--version") }),
            std::optional<int>(0));
    }
};

QTEST_GUILESS_MAIN(QtWindowHostTest)
#include "qtwindowhost_test.moc"
