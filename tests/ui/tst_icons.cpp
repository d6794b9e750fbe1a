// Icons on high-density screens: every icon must be drawn from its SVG at the device pixel size,
// not drawn small and scaled up.
#include "ui/ImageRegistry.h"

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

namespace {

// The picture as the SVG looks at exactly this many device pixels.
QImage Reference(const QString& path, const QSize& pixels) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    return image;
}

int MaxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return worst;
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    // source: a registry key, or a file path given to QIcon itself (the window icon, which goes
    // through Qt's SVG icon engine plug-in).
    void sharpAtScale_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("tray 16 @2") << "NORMAL" << QSize(16, 16) << 2.0 << QSize(32, 32);
        QTest::newRow("tray 22 @1.5") << "NEW_0" << QSize(22, 22) << 1.5 << QSize(33, 33);
        QTest::newRow("tool bar 24 @2") << "TB_TIMER" << QSize(24, 24) << 2.0 << QSize(48, 48);
        QTest::newRow("tool bar 24 @3") << "TB_RELOAD" << QSize(24, 24) << 3.0 << QSize(72, 72);
        QTest::newRow("app 64 @2") << "APP" << QSize(64, 64) << 2.0 << QSize(128, 128);
        QTest::newRow("wide logo keeps its shape")
            << "REUTER" << QSize(32, 32) << 2.0 << QSize(64, 32);
        QTest::newRow("window icon 128 @2")
            << ":/tickerwisp.svg" << QSize(128, 128) << 2.0 << QSize(256, 256);
    }
    void sharpAtScale() {
        QFETCH(QString, source);
        QFETCH(QSize, size);
        QFETCH(qreal, dpr);
        QFETCH(QSize, pixels);
        ImageRegistry images(QStringLiteral(TW_TEST_DATA "/../../resources"));
        if (source.startsWith(QLatin1String(":/")) && images.Root() != QLatin1String(":/"))
            QSKIP("the artwork is not compiled in");
        const bool byFile = source.startsWith(QLatin1String(":/"));
        const QIcon icon = byFile ? QIcon(source) : images.Icon(source);
        const QString path = byFile ? source : images.FilePath(source);

        const QPixmap pixmap = icon.pixmap(size, dpr);
        QCOMPARE(pixmap.size(), pixels);
        QCOMPARE(pixmap.devicePixelRatio(), dpr);
        const QImage got = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY2(MaxChannelDifference(got, Reference(path, pixels)) <= 2, qPrintable(path));
    }

    // Tool-bar buttons are disabled while a fetch runs: they must look it.
    void disabledLooksDifferent() {
        ImageRegistry images(QStringLiteral(TW_TEST_DATA "/../../resources"));
        const QIcon icon = images.Icon(QStringLiteral("TB_RELOAD"));
        const QImage normal = icon.pixmap(QSize(24, 24), 2.0).toImage();
        const QImage disabled = icon.pixmap(QSize(24, 24), 2.0, QIcon::Disabled).toImage();
        QCOMPARE(disabled.size(), normal.size());
        QVERIFY(disabled.convertToFormat(normal.format()) != normal);
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
