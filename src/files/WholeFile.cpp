#include "files/WholeFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace Files {

namespace {

constexpr int RandomDigits = 8;

QString RandomPart() {
    return QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), RandomDigits, 16,
                                    QLatin1Char('0'));
}

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

WholeFile::WholeFile(const QString& path) : target_(path) {
    // A link stays a link: the file it points at is the one replaced.
    const QFileInfo info(path);
    if (info.isSymLink())
        target_ = info.symLinkTarget();
}

WholeFile::~WholeFile() {
    if (copy_.isOpen())
        copy_.close();
    if (!committed_ && !copy_.fileName().isEmpty())
        QFile::remove(copy_.fileName());
}

void WholeFile::Fail(const QString& what) {
    if (!failed_)
        error_ = what;
    failed_ = true;
}

bool WholeFile::open() {
    if (QFileInfo(target_).isDir()) {
        Fail(target_ + QStringLiteral(": is a folder"));
        return false;
    }
    // A name already taken (another save at the same moment) is passed over, never reused.
    for (int attempt = 0; attempt < 16; ++attempt) {
        copy_.setFileName(target_ + SaveCopyMark + RandomPart());
        if (copy_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!QFileInfo::exists(copy_.fileName())) {
            const QString message = copy_.errorString();
            copy_.setFileName(QString());
            Fail(message);
            return false;
        }
    }
    if (!copy_.isOpen()) {
        copy_.setFileName(QString());
        Fail(target_ + QStringLiteral(": no free name for the save copy"));
        return false;
    }
    const QFileInfo existing(target_);
    if (existing.exists())
        copy_.setPermissions(existing.permissions());
    return true;
}

bool WholeFile::write(const QByteArray& bytes) {
    if (failed_ || !copy_.isOpen())
        return false;
    if (copy_.write(bytes) != bytes.size()) {
        Fail(copy_.errorString());
        return false;
    }
    return true;
}

bool WholeFile::commit() {
    if (failed_ || !copy_.isOpen())
        return false;
    if (!copy_.flush() || ::fsync(copy_.handle()) != 0) {
        Fail(copy_.isOpen() && copy_.error() != QFileDevice::NoError ? copy_.errorString()
                                                                     : SystemError());
        return false;
    }
    copy_.close();
    // rename() replaces the file in one step; readers see the old or the new one.
    if (std::rename(QFile::encodeName(copy_.fileName()).constData(),
                    QFile::encodeName(target_).constData()) != 0) {
        Fail(SystemError());
        return false;
    }
    committed_ = true;
    return true;
}

QString SaveCopyOriginal(const QString& fileName) {
    static const QRegularExpression copy(QStringLiteral("^(.+)") +
                                         QRegularExpression::escape(SaveCopyMark) +
                                         QStringLiteral("[0-9a-f]{%1}$").arg(RandomDigits));
    const QRegularExpressionMatch match = copy.match(fileName);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace Files
