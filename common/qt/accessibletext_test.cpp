// The accessible description of a changing label follows its text.
#include "common/qt/accessibletext.h"

#include <QLabel>
#include <QtTest>

class AccessibleTextTest : public QObject {
    Q_OBJECT

private slots:
    void labelTextBecomesItsDescriptionAndKeepsItsName()
    {
        QLabel label(QStringLiteral("0"));
        label.setAccessibleName(QStringLiteral("Value"));
        kvl::qt::setLabelText(&label, QStringLiteral("637"));
        QCOMPARE(label.text(), QStringLiteral("637"));
        QCOMPARE(label.accessibleDescription(), QStringLiteral("637"));
        QCOMPARE(label.accessibleName(), QStringLiteral("Value"));

        // A label created with its text already there gets the description
        // on the first call, though the text does not change.
        QLabel ready(QStringLiteral("Ready"));
        kvl::qt::setLabelText(&ready, QStringLiteral("Ready"));
        QCOMPARE(ready.accessibleDescription(), QStringLiteral("Ready"));

        kvl::qt::setLabelText(&label, QString());
        QCOMPARE(label.accessibleDescription(), QString());
    }

    void describeAsLeavesTheShownTextAlone()
    {
        QLabel label(QStringLiteral("shown"));
        kvl::qt::describeAs(&label, QStringLiteral("told"));
        QCOMPARE(label.text(), QStringLiteral("shown"));
        QCOMPARE(label.accessibleDescription(), QStringLiteral("told"));
    }
};

QTEST_MAIN(AccessibleTextTest)
#include "accessibletext_test.moc"
