#include <QtTest>
class PelmoraTest : public QObject { Q_OBJECT };
QTEST_MAIN(PelmoraTest)
#include "pelmora_test.moc"
