#include "ui/ImageRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace {

struct Entry {
    const char* key;
    const char* file;
};

// Keys are the ones the windows and the source table use; file names stay ASCII.
const Entry kEntries[] = {
    {"LAMP_ON", "icons/lamp_on.svg"},
    {"LAMP_OFF", "icons/lamp_off.svg"},
    {"NORMAL", "icons/tray_normal.svg"},
    {"NEW_0", "icons/tray_new_0.svg"},
    {"NEW_1", "icons/tray_new_1.svg"},
    {"STATUS_NEW_0", "icons/status_new_0.svg"},
    {"STATUS_NEW_1", "icons/status_new_1.svg"},
    {"LOOK_NEW", "icons/look_new.svg"},
    {"LOOK_OPEN", "icons/look_open.svg"},
    {"LOOK_CLOSE", "icons/look_close.svg"},
    {"VIP", "icons/vip.svg"},
    {"WATCH", "icons/watch.svg"},
    {"APP", "tickerwisp.svg"},
    {"ARGENT", "logos/argent.svg"},
    {"BLOOMBERG", "logos/bloomberg.svg"},
    {"DIAMOND", "logos/diamond.svg"},
    {"TRADERS_FX", "logos/traders_fx.svg"},
    {"FISCO", "logos/fisco.svg"},
    {"IFIS", "logos/ifis.svg"},
    {"JB_PRESS", "logos/jb_press.svg"},
    {"JIJI", "logos/jiji.svg"},
    {"MAINICHI", "logos/mainichi.svg"},
    {"MORNING_STAR", "logos/morning_star.svg"},
    {"NET_MONEY", "logos/net_money.svg"},
    {"NEWSWEEK", "logos/newsweek.svg"},
    {"NIKKEI_TRENDY", "logos/nikkei_trendy.svg"},
    {"NRI", "logos/nri.svg"},
    {"PRESIDENT", "logos/president.svg"},
    {"REUTER", "logos/reuter.svg"},
    {"RESPONSE", "logos/response.svg"},
    {"SEARCHINA", "logos/searchina.svg"},
    {"MONEY_ZINE", "logos/money_zine.svg"},
    {"CHART_BOOK", "logos/chart_book.svg"},
    {"TEIKOKU", "logos/teikoku.svg"},
    {"TOYO_KEIZAI", "logos/toyo_keizai.svg"},
    {"WOMAN", "logos/woman.svg"},
    {"WSJ", "logos/wsj.svg"},
    {"YEN_SPA", "logos/yen_spa.svg"},
    {"TDNET", "logos/tdnet.svg"},
    {"FEED", "logos/feed.svg"},
    {"TB_SHADE", "icons/tb_shade.svg"},
    {"TB_TRAY", "icons/tb_tray.svg"},
    {"TB_TIMER", "icons/tb_timer.svg"},
    {"TB_RELOAD", "icons/tb_reload.svg"},
    {"TB_HOME", "icons/tb_home.svg"},
    {"TB_INDEX", "icons/tb_index.svg"},
    {"TB_CALENDAR", "icons/tb_calendar.svg"},
    {"TB_HELP", "icons/tb_help.svg"},
    {"TB_OPTIONS", "icons/tb_options.svg"},
    {"TB_ALLREAD", "icons/tb_allread.svg"},
    {"TB_FILTER", "icons/tb_filter.svg"},
    {"TB_SEARCH", "icons/tb_search.svg"},
    {"TB_DAYS", "icons/tb_days.svg"},
    {"TB_DAYSEARCH", "icons/tb_daysearch.svg"},
    {"DD_WINDOW_FULL", "icons/dd_window_full.svg"},
    {"DD_WINDOW_MIDDLE", "icons/dd_window_middle.svg"},
    {"DD_WINDOW_MINI", "icons/dd_window_mini.svg"},
    {"DD_ABOUT", "icons/dd_about.svg"},
    {"DD_CSV", "icons/dd_csv.svg"},
};

const QHash<QString, QString>& Table() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        for (const Entry& e : kEntries)
            t.insert(QString::fromUtf8(e.key), QString::fromLatin1(e.file));
        return t;
    }();
    return table;
}

QString CacheKey(const QString& key, const QSize& size, qreal dpr) {
    return key + QLatin1Char('|') + QString::number(size.width()) + QLatin1Char('x') +
           QString::number(size.height()) + QLatin1Char('@') + QString::number(dpr);
}

// Draws an SVG file at exactly deviceSize pixels; null when the file cannot be read.
QPixmap RenderSvg(const QString& path, const QSize& deviceSize) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || deviceSize.isEmpty())
        return QPixmap();
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPixmap pixmap(deviceSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(deviceSize)));
    painter.end();
    return pixmap;
}

// An icon drawn from its SVG at the very pixel size asked for, so tool-bar, menu, tray and window
// icons stay sharp at any screen scale (1.25, 1.5, 2, 3), not only at the sizes drawn in advance.
// It needs no icon-engine plug-in. Each size is drawn once.
class VectorIconEngine final : public QIconEngine {
public:
    VectorIconEngine(const QString& path, const QSize& natural) : path_(path), natural_(natural) {}

    QIconEngine* clone() const override { return new VectorIconEngine(*this); }
    QString key() const override { return QStringLiteral("TickerwispVector"); }
    bool isNull() override { return natural_.isEmpty(); }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return natural_.scaled(size, Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // size is in device pixels here; the caller sets the pixel ratio on the result.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal) override {
        const QSize pixels = natural_.scaled(size, Qt::KeepAspectRatio);
        if (pixels.isEmpty())
            return QPixmap();
        const quint64 cacheKey =
            (quint64(pixels.width()) << 34) | (quint64(pixels.height()) << 4) | quint64(mode);
        auto it = cache_.constFind(cacheKey);
        if (it != cache_.constEnd())
            return *it;
        QPixmap pixmap = RenderSvg(path_, pixels);
        // Disabled and selected pictures look as the style makes them for any other icon.
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (mode != QIcon::Normal && app && !pixmap.isNull()) {
            QStyleOption option;
            option.palette = QApplication::palette();
            const QPixmap styled =
                QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            if (!styled.isNull())
                pixmap = styled;
        }
        cache_.insert(cacheKey, pixmap);
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap pixmap = scaledPixmap((QSizeF(rect.size()) * dpr).toSize(), mode, state, dpr);
        if (pixmap.isNull())
            return;
        pixmap.setDevicePixelRatio(dpr);
        QRectF target(QPointF(0, 0), pixmap.deviceIndependentSize());
        target.moveCenter(QRectF(rect).center());
        painter->drawPixmap(target, pixmap, QRectF(pixmap.rect()));
    }

private:
    QString path_;
    QSize natural_;
    QHash<quint64, QPixmap> cache_;
};

} // namespace

ImageRegistry::ImageRegistry(const QString& fallbackDir) {
    if (QFile::exists(QStringLiteral(":/tickerwisp.svg"))) {
        root_ = QStringLiteral(":/");
    } else {
        root_ = QDir::cleanPath(fallbackDir);
        if (!root_.endsWith(QLatin1Char('/')))
            root_ += QLatin1Char('/');
    }
}

QStringList ImageRegistry::Keys() {
    return Table().keys();
}

QString ImageRegistry::RelativeFile(const QString& key) {
    return Table().value(key);
}

QString ImageRegistry::FilePath(const QString& key) const {
    const QString rel = RelativeFile(key);
    return rel.isEmpty() ? QString() : root_ + rel;
}

QSize ImageRegistry::NaturalSize(const QString& key) const {
    auto it = natural_.constFind(key);
    if (it != natural_.constEnd())
        return *it;
    QSize size;
    const QString path = FilePath(key);
    if (!path.isEmpty()) {
        QSvgRenderer renderer(path);
        if (renderer.isValid())
            size = renderer.defaultSize();
    }
    natural_.insert(key, size);
    return size;
}

QPixmap ImageRegistry::Pixmap(const QString& key, const QSize& size, qreal dpr) const {
    if (dpr <= 0)
        dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (!size.isValid() || size.isEmpty())
        return QPixmap();
    const QString cacheKey = CacheKey(key, size, dpr);
    auto it = pixmaps_.constFind(cacheKey);
    if (it != pixmaps_.constEnd())
        return *it;

    QPixmap pixmap;
    const QString path = FilePath(key);
    if (!path.isEmpty()) {
        pixmap = RenderSvg(path, (QSizeF(size) * dpr).toSize());
        if (!pixmap.isNull())
            pixmap.setDevicePixelRatio(dpr);
    }
    // A broken key is remembered too, so a missing picture costs one look-up only.
    pixmaps_.insert(cacheKey, pixmap);
    return pixmap;
}

QIcon ImageRegistry::Icon(const QString& key) const {
    auto it = icons_.constFind(key);
    if (it != icons_.constEnd())
        return *it;
    QIcon icon;
    const QSize natural = NaturalSize(key);
    if (natural.isValid() && !natural.isEmpty())
        icon = QIcon(new VectorIconEngine(FilePath(key), natural));
    icons_.insert(key, icon);
    return icon;
}
