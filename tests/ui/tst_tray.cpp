#include "ui/CTray.h"

#include <QApplication>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

QIcon Solid(Qt::GlobalColor colour) {
    QPixmap pm(16, 16);
    pm.fill(colour);
    return QIcon(pm);
}

// Records the tray's events as one ordered list of names.
struct EventLog {
    QStringList events;
    explicit EventLog(CTray& tray) {
        QObject::connect(&tray, &CTray::Click, [this] { events << "Click"; });
        QObject::connect(&tray, &CTray::DblClick, [this] { events << "DblClick"; });
        QObject::connect(&tray, &CTray::MouseDown,
                         [this](int b) { events << QStringLiteral("MouseDown%1").arg(b); });
        QObject::connect(&tray, &CTray::MouseUp,
                         [this](int b) { events << QStringLiteral("MouseUp%1").arg(b); });
        QObject::connect(&tray, &CTray::MouseMove, [this] { events << "MouseMove"; });
    }
};

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void addIconFollowsTray() {
        CTray tray;
        QWidget window;
        QVERIFY(!tray.AddIcon(&window)); // no picture yet
        tray.SetIconIndex(0);            // an index beyond the table is no picture either
        QVERIFY(!tray.AddIcon(&window));
        QCOMPARE(tray.IconIndex(), -1);
        QVERIFY(!tray.Visible() && !tray.SystemIcon().isVisible());
        tray.SetIconTable({Solid(Qt::blue), Solid(Qt::red), Solid(Qt::yellow)});
        tray.SetIconIndex(0);
        const bool added = tray.AddIcon(&window);
        // Bare offscreen or X server without a tray: reported, nothing shown, so the window
        // minimises instead. Under a running tray the icon appears.
        QCOMPARE(added, CTray::TrayAvailable());
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QVERIFY(!added);
        QCOMPARE(tray.Visible(), added);
        QCOMPARE(tray.SystemIcon().isVisible(), added);
        QCOMPARE(tray.Window(), &window);
        tray.DeleteIcon();
        QVERIFY(!tray.Visible() && !tray.SystemIcon().isVisible());
    }

    void iconChangeWhileVisible() {
        if (!CTray::TrayAvailable())
            QSKIP("needs a system tray (run under Xvfb with trayer)");
        CTray tray;
        QWidget window;
        tray.SetIconTable({Solid(Qt::blue), Solid(Qt::red), Solid(Qt::yellow)});
        tray.SetIconIndex(1);
        tray.SetToolTipText(QStringLiteral("Tickerwisp[新着あり]"));
        QVERIFY(tray.AddIcon(&window));
        QCOMPARE(tray.SystemIcon().toolTip(), QStringLiteral("Tickerwisp[新着あり]"));
        const qint64 before = tray.SystemIcon().icon().cacheKey();
        tray.BlinkTick();
        QCOMPARE(tray.IconIndex(), 2);
        QVERIFY(tray.SystemIcon().icon().cacheKey() != before);
        QCOMPARE(tray.SystemIcon().icon().cacheKey(), tray.IconTable().at(2).cacheKey());
        tray.SetToolTipText(QStringLiteral("Tickerwisp[巡回中]"));
        QCOMPARE(tray.SystemIcon().toolTip(), QStringLiteral("Tickerwisp[巡回中]"));
    }

    void blinkStep_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("next");
        QTest::newRow("NEW_0 to NEW_1") << 1 << 2;
        QTest::newRow("NEW_1 to NEW_0") << 2 << 1;
        QTest::newRow("NORMAL stays") << 0 << 0;
        QTest::newRow("no table picture stays") << -1 << -1;
    }
    void blinkStep() {
        QFETCH(int, index);
        QFETCH(int, next);
        QCOMPARE(CTray::NextBlinkIndex(index), next);

        CTray tray;
        tray.SetIconTable({Solid(Qt::blue), Solid(Qt::red), Solid(Qt::yellow)});
        tray.SetIconIndex(index);
        tray.BlinkTick();
        QCOMPARE(tray.IconIndex(), next);
        if (next >= 0)
            QCOMPARE(tray.Icon().cacheKey(), tray.IconTable().at(next).cacheKey());
        tray.BlinkTick();
        QCOMPARE(tray.IconIndex(), index);
    }

    void tooltipCut() {
        QString tip;
        for (int i = 0; i < 128; ++i)
            tip += QChar(u'あ' + i % 50);
        CTray tray;
        tray.SetToolTipText(tip.left(127));
        QCOMPARE(tray.ToolTipText(), tip.left(127));
        tray.SetToolTipText(tip);
        QCOMPARE(tray.ToolTipText(), tip.left(127));
    }

    void activation_data() {
        QTest::addColumn<QList<int>>("reasons");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("single click restores")
            << QList<int>{QSystemTrayIcon::Trigger}
            << QStringList{"MouseDown1", "MouseUp1", "Click", "DblClick"};
        QTest::newRow("double click alone")
            << QList<int>{QSystemTrayIcon::DoubleClick} << QStringList{"DblClick", "MouseUp1"};
        QTest::newRow("X11 double click: no second restore, no second Click")
            << QList<int>{QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}
            << QStringList{"MouseDown1", "MouseUp1", "Click", "DblClick", "MouseUp1"};
        QTest::newRow("right button")
            << QList<int>{QSystemTrayIcon::Context} << QStringList{"MouseDown2", "MouseUp2"};
        QTest::newRow("middle button")
            << QList<int>{QSystemTrayIcon::MiddleClick} << QStringList{"MouseDown4", "MouseUp4"};
        QTest::newRow("unknown") << QList<int>{QSystemTrayIcon::Unknown} << QStringList{};
    }
    void activation() {
        QFETCH(QList<int>, reasons);
        QFETCH(QStringList, events);
        CTray tray;
        EventLog log(tray);
        // Through the platform icon's signal, as the desktop delivers it.
        for (int reason : reasons)
            emit tray.SystemIcon().activated(
                static_cast<QSystemTrayIcon::ActivationReason>(reason));
        QCOMPARE(log.events, events);
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
