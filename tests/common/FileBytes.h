#pragma once
// Whole-file bytes for tests that set up or inspect files on disk.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// The file's bytes, or "<missing>" so that a missing file never equals an empty one.
inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}
