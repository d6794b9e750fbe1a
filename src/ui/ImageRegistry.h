#pragma once
// Pictures by key, drawn from our SVG artwork at the size and pixel ratio asked for, so they stay
// sharp on high-density screens. The artwork is read from the compiled-in resources when they are
// linked, otherwise from a folder (the source tree's resources/ in tests).

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

class ImageRegistry {
public:
    // fallbackDir is used only when the compiled-in artwork is absent.
    explicit ImageRegistry(const QString& fallbackDir = QString());

    // Every key the registry knows, in no particular order.
    static QStringList Keys();
    // The artwork file of a key relative to the artwork root; empty for an unknown key.
    static QString RelativeFile(const QString& key);

    bool Contains(const QString& key) const { return !RelativeFile(key).isEmpty(); }
    // Where the artwork is read from: ":/" or the fallback folder with a trailing "/".
    QString Root() const { return root_; }
    QString FilePath(const QString& key) const;

    // The size the artwork was drawn for (16x16, 24x24, 32x16 for logos); invalid when unknown.
    QSize NaturalSize(const QString& key) const;
    // dpr <= 0: the application's device pixel ratio. Unknown key or broken file: null pixmap.
    QPixmap Pixmap(const QString& key, const QSize& size, qreal dpr = 0) const;
    QPixmap Pixmap(const QString& key) const { return Pixmap(key, NaturalSize(key)); }
    QIcon Icon(const QString& key) const;

private:
    QString root_;
    mutable QHash<QString, QPixmap> pixmaps_;
    mutable QHash<QString, QIcon> icons_;
    mutable QHash<QString, QSize> natural_;
};
