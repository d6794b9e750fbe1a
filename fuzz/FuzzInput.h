#pragma once
// What the fuzz targets share: taking one input apart into a few numbers and strings, and a
// check that stops the run with a readable reason when a promise of the code is broken.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// abort() makes libFuzzer keep the input as a crash artifact.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken promise: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace FuzzInput {

class Reader {
public:
    Reader(const uint8_t* data, size_t size)
        : bytes_(reinterpret_cast<const char*>(data), qsizetype(size)) {}

    // The next byte, 0 once the input is used up.
    uint8_t Byte() {
        if (bytes_.isEmpty())
            return 0;
        const uint8_t b = uint8_t(bytes_.front());
        bytes_ = bytes_.sliced(1);
        return b;
    }
    // A small signed number, so positions before the start and past the end both come up.
    int Small() { return int(int8_t(Byte())); }

    // The rest split at zero bytes into at most `count` pieces; the last piece keeps any further
    // zero bytes. Missing pieces are empty.
    QList<QByteArray> Pieces(int count) {
        QList<QByteArray> pieces;
        QByteArrayView rest = bytes_;
        while (pieces.size() + 1 < count) {
            const qsizetype nul = rest.indexOf('\0');
            if (nul < 0)
                break;
            pieces.append(rest.first(nul).toByteArray());
            rest = rest.sliced(nul + 1);
        }
        pieces.append(rest.toByteArray());
        while (pieces.size() < count)
            pieces.append(QByteArray());
        bytes_ = {};
        return pieces;
    }
    // The same pieces as text: UTF-8, invalid sequences replaced.
    QStringList Strings(int count) {
        QStringList strings;
        for (const QByteArray& piece : Pieces(count))
            strings.append(QString::fromUtf8(piece));
        return strings;
    }

private:
    QByteArrayView bytes_;
};

} // namespace FuzzInput
