#include "text/Common.h"

#include <QtTest>

class TestYield : public QObject {
    Q_OBJECT
private slots:
    // A long loop lets queued events in only once the interval since the last pumping is over.
    void pumpsOnlyWhenDue_data() {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<bool>("delivered");
        QTest::newRow("due") << 0 << true;
        QTest::newRow("not yet") << 600000 << false;
    }
    void pumpsOnlyWhenDue() {
        QFETCH(int, intervalMs);
        QFETCH(bool, delivered);
        Common::YieldIfDue(0); // events pumped just now
        bool ran = false;
        QMetaObject::invokeMethod(
            this, [&ran] { ran = true; }, Qt::QueuedConnection);
        Common::YieldIfDue(intervalMs);
        QCOMPARE(ran, delivered);
        QCoreApplication::processEvents(); // the lambda must not outlive `ran`
    }
};

QTEST_GUILESS_MAIN(TestYield)
#include "tst_yield.moc"
