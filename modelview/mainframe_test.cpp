// placeholder
#include <QtTest>
class FrameTest : public QObject {
    Q_OBJECT
private slots:
    void nothing() { }
};
QTEST_MAIN(FrameTest)
#include "mainframe_test.moc"
