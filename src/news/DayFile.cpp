#include "news/DayFile.h"

#include "app/AppData.h"
#include "app/Ports.h"
#include "app/Trace.h"
#include "files/WholeFile.h"
#include "news/NewsStore.h"
#include "text/Dates.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QtEndian>
#include <cstring>
#include <sys/stat.h>

namespace News {

namespace {

// Posted, four counts, StockCode, two counts, two flags, one count, two flags.
constexpr qsizetype kMinRecordBytes = 8 + 4 * 2 + 4 + 2 * 2 + 2 * 2 + 2 + 2 * 2;
constexpr qsizetype kMaxTextBytes = 65535;

bool IsValidUtf8(const uchar* p, qsizetype length) {
    const uchar* end = p + length;
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        qsizetype extra;
        uint cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) {
            return false;
        }
        for (qsizetype k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        p += extra + 1;
    }
    return true;
}

QString DecodeField(const char* p, qsizetype length, Common::Cp932Decoder& legacy) {
    if (length == 0) {
        return QString();
    }
    if (IsValidUtf8(reinterpret_cast<const uchar*>(p), length)) {
        return QString::fromUtf8(p, length);
    }
    // Written by the Windows program: Shift_JIS.
    return legacy.Decode(p, length);
}

class Writer {
public:
    explicit Writer(char* out) : out_(out) {}
    char* Position() const { return out_; }
    void MoveTo(char* out) { out_ = out; }

    void Double(double value) {
        qToLittleEndian(value, out_);
        out_ += 8;
    }
    void Int32(qint32 value) {
        qToLittleEndian(value, out_);
        out_ += 4;
    }
    void Bool(bool value) {
        qToLittleEndian<qint16>(value ? -1 : 0, out_);
        out_ += 2;
    }
    void Text(const QString& text) {
        char* count = out_;
        out_ += 2;
        qsizetype bytes;
        if (text.size() * 3 <= kMaxTextBytes) {
            // Cannot exceed the limit: encode straight into the buffer.
            char* end = encoder_.appendToBuffer(out_, text);
            bytes = end - out_;
        } else {
            const QByteArray cut = Utf8Prefix(text, kMaxTextBytes);
            std::memcpy(out_, cut.constData(), cut.size());
            bytes = cut.size();
        }
        qToLittleEndian<quint16>(static_cast<quint16>(bytes), count);
        out_ += bytes;
    }

private:
    char* out_;
    QStringEncoder encoder_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

class Reader {
public:
    Reader(const char* begin, const char* end) : p_(begin), end_(end) {}
    bool AtEnd() const { return p_ == end_; }
    qsizetype Left() const { return end_ - p_; }

    bool Double(double& value) {
        if (Left() < 8) {
            return false;
        }
        value = qFromLittleEndian<double>(p_);
        p_ += 8;
        return true;
    }
    bool Int32(qint32& value) {
        if (Left() < 4) {
            return false;
        }
        value = qFromLittleEndian<qint32>(p_);
        p_ += 4;
        return true;
    }
    bool Bool(bool& value) {
        if (Left() < 2) {
            return false;
        }
        value = qFromLittleEndian<qint16>(p_) != 0;
        p_ += 2;
        return true;
    }
    bool Text(QString& value) {
        if (Left() < 2) {
            return false;
        }
        const qsizetype length = qFromLittleEndian<quint16>(p_);
        p_ += 2;
        if (Left() < length) {
            return false;
        }
        value = DecodeField(p_, length, legacy_);
        p_ += length;
        return true;
    }

private:
    const char* p_;
    const char* end_;
    Common::Cp932Decoder legacy_; // made only for a file of the old encoding
};

QString FreeBadName(const QString& path) {
    QString candidate = path + QStringLiteral(".bad");
    for (int n = 1; QFileInfo::exists(candidate); ++n) {
        candidate = path + QStringLiteral(".bad.") + QString::number(n);
    }
    return candidate;
}

void Report(const QString& trace, const QString& message) {
    Common::TraceLine(QStringLiteral("Err  : [") + trace);
    Ports::MainWindow().SetPanelText(App::Panel::Message, message);
}

} // namespace

QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes) {
        return bytes;
    }
    qsizetype cut = maxBytes;
    // Never keep the lead bytes of a character without its continuation bytes.
    while (cut > 0 && (static_cast<uchar>(bytes[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    bytes.truncate(cut);
    return bytes;
}

QString DayFilePath() {
    const QString day = Dates::ShortDate(Ports::Clock().Today()).remove(u'/');
    return Common::AppDataFolder() + QStringLiteral("/Data/") + day + QStringLiteral(".DAT");
}

namespace {

qsizetype WorstCase(const NewsItem& item) {
    return kMinRecordBytes +
           3 * (item.Source.size() + item.Category.size() + item.Title.size() + item.Url.size() +
                item.Reserved1.size() + item.Reserved2.size() + item.Mark.size());
}

// get(k) gives the k-th entry in store order.
template <typename Get> QByteArray EncodeItems(qsizetype count, Get get) {
    // A guess at the size; grown when an entry's worst case (3 bytes per UTF-16 unit) does not
    // fit, and cut to the real size at the end.
    QByteArray bytes;
    bytes.resize(4 + count * 160);
    Writer out(bytes.data());
    out.Int32(static_cast<qint32>(count));
    for (qsizetype k = 0; k < count; ++k) {
        const NewsItem& item = get(k);
        const qsizetype used = out.Position() - bytes.constData();
        const qsizetype need = used + WorstCase(item);
        if (need > bytes.size()) {
            bytes.resize(std::max(need, bytes.size() * 2));
            out.MoveTo(bytes.data() + used);
        }
        out.Double(item.Posted);
        out.Text(item.Source);
        out.Text(item.Category);
        out.Text(item.Title);
        out.Text(item.Url);
        out.Int32(item.StockCode);
        out.Text(item.Reserved1);
        out.Text(item.Reserved2);
        out.Bool(item.IsVip);
        out.Bool(item.Reserved3);
        out.Text(item.Mark);
        out.Bool(item.IsOpened);
        out.Bool(item.IsNew);
    }
    bytes.truncate(out.Position() - bytes.constData());
    return bytes;
}

// The entries oldest first, as the store keeps them; false when the bytes are not a whole file.
bool DecodeOldestFirst(const QByteArray& bytes, std::vector<NewsItem>& items) {
    Reader in(bytes.constData(), bytes.constData() + bytes.size());
    qint32 count = 0;
    if (!in.Int32(count) || count < 0 || count > in.Left() / kMinRecordBytes) {
        return false;
    }
    items.clear();
    items.reserve(NewsStore::CapacityFor(count));
    items.resize(count);
    for (qint32 k = count - 1; k >= 0; --k) {
        NewsItem& item = items[k];
        if (!(in.Double(item.Posted) && in.Text(item.Source) && in.Text(item.Category) &&
              in.Text(item.Title) && in.Text(item.Url) && in.Int32(item.StockCode) &&
              in.Text(item.Reserved1) && in.Text(item.Reserved2) && in.Bool(item.IsVip) &&
              in.Bool(item.Reserved3) && in.Text(item.Mark) && in.Bool(item.IsOpened) &&
              in.Bool(item.IsNew))) {
            return false;
        }
    }
    return in.AtEnd();
}

} // namespace

bool IsUtf8Field(QByteArrayView bytes) {
    return IsValidUtf8(reinterpret_cast<const uchar*>(bytes.data()), bytes.size());
}

bool WalkDayFile(const QByteArray& bytes, const std::function<void(const RawDayEntry&)>& visit) {
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    auto take = [&](qsizetype n) -> const char* {
        if (end - p < n)
            return nullptr;
        const char* at = p;
        p += n;
        return at;
    };
    auto text = [&](QByteArrayView& out) {
        const char* count = take(2);
        if (!count)
            return false;
        const qsizetype length = qFromLittleEndian<quint16>(count);
        const char* at = take(length);
        if (!at)
            return false;
        out = QByteArrayView(at, length);
        return true;
    };
    auto flag = [&](bool& out) {
        const char* at = take(2);
        if (at)
            out = qFromLittleEndian<qint16>(at) != 0;
        return at != nullptr;
    };
    const char* head = take(4);
    if (!head)
        return false;
    const qint32 count = qFromLittleEndian<qint32>(head);
    if (count < 0 || count > (end - p) / kMinRecordBytes)
        return false;
    RawDayEntry e;
    for (qint32 k = 0; k < count; ++k) {
        const char* posted = take(8);
        if (!posted)
            return false;
        e.Posted = qFromLittleEndian<double>(posted);
        if (!(text(e.Source) && text(e.Category) && text(e.Title) && text(e.Url)))
            return false;
        const char* code = take(4);
        if (!code)
            return false;
        e.StockCode = qFromLittleEndian<qint32>(code);
        if (!(text(e.Reserved1) && text(e.Reserved2) && flag(e.IsVip) && flag(e.Reserved3) &&
              text(e.Mark) && flag(e.IsOpened) && flag(e.IsNew)))
            return false;
        visit(e);
    }
    return p == end;
}

NewsItem DecodeEntry(const RawDayEntry& e) {
    Common::Cp932Decoder legacy;
    auto field = [&](QByteArrayView v) { return DecodeField(v.data(), v.size(), legacy); };
    NewsItem item;
    item.Posted = e.Posted;
    item.Source = field(e.Source);
    item.Category = field(e.Category);
    item.Title = field(e.Title);
    item.Url = field(e.Url);
    item.StockCode = e.StockCode;
    item.Reserved1 = field(e.Reserved1);
    item.Reserved2 = field(e.Reserved2);
    item.IsVip = e.IsVip;
    item.Reserved3 = e.Reserved3;
    item.Mark = field(e.Mark);
    item.IsOpened = e.IsOpened;
    item.IsNew = e.IsNew;
    return item;
}

QByteArray EncodeDayFile(const QList<NewsItem>& items) {
    return EncodeItems(items.size(), [&](qsizetype k) -> const NewsItem& { return items[k]; });
}

std::optional<QList<NewsItem>> DecodeDayFile(const QByteArray& bytes) {
    std::vector<NewsItem> oldestFirst;
    if (!DecodeOldestFirst(bytes, oldestFirst)) {
        return std::nullopt;
    }
    return QList<NewsItem>(std::make_move_iterator(oldestFirst.rbegin()),
                           std::make_move_iterator(oldestFirst.rend()));
}

namespace {

// The file as it is on disk now; an empty path when it cannot be seen.
DayFileStamp StampOf(const QString& path) {
    struct stat st {};
    DayFileStamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.path = path;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

} // namespace

bool DayFileNeedsLoad(const NewsStore& store) {
    const DayFileStamp now = StampOf(DayFilePath());
    return !now.path.isEmpty() && now != store.SyncedFile;
}

DayFileResult LoadDayFile(NewsStore& store) {
    return LoadDayFileFrom(store, DayFilePath(), true);
}

DayFileResult LoadDayFileFrom(NewsStore& store, const QString& path, bool putAsideDamaged) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.exists()) {
        return DayFileResult::Missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Report(QStringLiteral("LoadDayFile]") + path + QStringLiteral(": ") + file.errorString(),
               QStringLiteral("日付ファイル ") + name +
                   QStringLiteral(" を読み込めませんでした。"));
        return DayFileResult::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    const bool whole = file.error() == QFileDevice::NoError;
    file.close();

    std::vector<NewsItem> items;
    const bool decoded = whole && DecodeOldestFirst(bytes, items);
    if (!decoded && !putAsideDamaged) {
        Report(QStringLiteral("LoadDayFile]") + path + QStringLiteral(" is damaged"),
               QStringLiteral("日付ファイル ") + name +
                   QStringLiteral(" が壊れていたため読み込みませんでした。"));
        return DayFileResult::Corrupt;
    }
    if (!decoded) {
        // Keep the bytes for whoever wants to look at them; the store stays as it was.
        const QString bad = FreeBadName(path);
        const QString badName = QFileInfo(bad).fileName();
        if (QFile::rename(path, bad)) {
            Report(QStringLiteral("LoadDayFile]") + path + QStringLiteral(" is damaged, kept as ") +
                       bad,
                   QStringLiteral("日付ファイル ") + name +
                       QStringLiteral(" が壊れていたため読み込まず、") + badName +
                       QStringLiteral(" として残しました。"));
        } else {
            Report(QStringLiteral("LoadDayFile]") + path +
                       QStringLiteral(" is damaged and could not be renamed"),
                   QStringLiteral("日付ファイル ") + name +
                       QStringLiteral(" が壊れていたため読み込みませんでした。"));
        }
        return DayFileResult::Corrupt;
    }
    store.AdoptOldestFirst(std::move(items));
    // Nobody else writes the day file while the program runs, so the file read is the file now.
    store.SyncedFile = StampOf(path);
    return DayFileResult::Loaded;
}

bool SaveDayFile(NewsStore& store) {
    return SaveDayFileTo(store, DayFilePath());
}

bool SaveDayFileTo(NewsStore& store, const QString& path) {
    if (!store.HasNewsItems()) {
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    Files::WholeFile file(path);
    bool ok = file.open();
    if (ok) {
        const QByteArray bytes = EncodeItems(
            store.Count(), [&](qsizetype k) -> const NewsItem& { return store.Item(int(k)); });
        ok = file.write(bytes) && file.commit();
    }
    if (ok)
        store.SyncedFile = StampOf(path);
    if (!ok) {
        Report(QStringLiteral("SaveDayFile]") + path + QStringLiteral(": ") + file.errorString(),
               QStringLiteral("日付ファイル ") + QFileInfo(path).fileName() +
                   QStringLiteral(" を保存できませんでした。"));
    }
    return ok;
}

void MarkOpened(NewsStore& store, int index) {
    if (index < 0 || index >= store.Count()) {
        return;
    }
    store.MutableItem(index).IsOpened = true;
    SaveDayFile(store);
}

bool ExportCsv(const NewsStore& store, const QString& path) {
    if (!store.HasNewsItems()) {
        return false;
    }
    QString text;
    const QString comma = QStringLiteral(",");
    for (int i = 0; i < store.Count(); ++i) {
        const NewsItem& item = store.Item(i);
        text += QString::number(i) + comma + Dates::DateTimeText(item.Posted) + comma +
                item.Source + comma + QString(item.Category).remove(u'\n') + comma + item.Mark +
                comma + u'"' + QString(item.Title).remove(u'\n') + u'"' + comma +
                QStringLiteral("\r\n");
    }
    Files::WholeFile file(path);
    if (!file.open()) {
        return false;
    }
    return file.write(text.toUtf8()) && file.commit();
}

} // namespace News
