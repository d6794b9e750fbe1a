#include "app/AppData.h"
#include "parsers/ParseSupport.h"
#include "text/Dates.h"
#include "text/TextCodec.h"

#include <QFile>

namespace Yahoo {
namespace detail {

namespace {

// Every line is an entry, empty ones included; a final line end adds no empty entry.
// A missing or empty file gives the undimensioned list.
Common::StrArray ReadWordFile(const QString& name) {
    QFile file(Common::AppDataFolder() + QStringLiteral("/NewsWord/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = Common::DecodeUtf8OrCp932(file.readAll());
    if (text.isEmpty())
        return std::nullopt;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

} // namespace

const WordLists& EnsureWordLists(WordLists& lists) {
    if (!Common::IsStringArrayReady(lists.HeaderWords)) {
        lists.HeaderWords = ReadWordFile(QStringLiteral("ヘッダ：通常.txt"));
        lists.FooterWords = ReadWordFile(QStringLiteral("フッタ：通常.txt"));
        lists.HeaderPatterns = ReadWordFile(QStringLiteral("ヘッダ：ワイルドカード.txt"));
        lists.FooterPatterns = ReadWordFile(QStringLiteral("フッタ：ワイルドカード.txt"));
        lists.BracketWords = ReadWordFile(QStringLiteral("［］.txt"));
    }
    return lists;
}

QString Cut(qsizetype& position, const QString& text, const QString& startMarker,
            const QString& endMarker, const char* where) {
    if (position < 1)
        throw ParseFault{5, QString::fromLatin1(where),
                         QStringLiteral("Invalid procedure call or argument")};
    return Common::CutOut(position, text, startMarker, endMarker);
}

QString SiteAddress(const QString& url) {
    const qsizetype slashes = url.indexOf(QLatin1String("//"));
    if (slashes < 0)
        return QString();
    const qsizetype hostEnd = url.indexOf(QLatin1Char('/'), slashes + 2);
    return hostEnd < 0 ? url : url.left(hostEnd);
}

double OleOf(const QDate& date, const QTime& time) {
    return Dates::ToOle(date) + time.msecsSinceStartOfDay() / 86400000.0;
}

} // namespace detail

} // namespace Yahoo
