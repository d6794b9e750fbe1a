#include "news/Sources.h"

namespace News {

namespace {

QString Text(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

template <typename Field> QStringList Column(Field field) {
    QStringList column;
    column.reserve(qsizetype(NewsSources.size()));
    for (const NewsSource& source : NewsSources)
        column.append(Text(source.*field));
    return column;
}

} // namespace

QStringList SourceNames() {
    return Column(&NewsSource::Name);
}

QStringList SourceCodes() {
    return Column(&NewsSource::Code);
}

QStringList SourceLogoKeys() {
    return Column(&NewsSource::LogoKey);
}

int SourceIndex(const QString& name) {
    for (size_t i = 0; i < NewsSources.size(); ++i) {
        if (QStringView(name) ==
            QStringView(NewsSources[i].Name.data(), qsizetype(NewsSources[i].Name.size())))
            return int(i);
    }
    return -1;
}

} // namespace News
