#include "platform/os/newfile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kAttempts = 100;
constexpr int kDefaultNameMax = 255;

QString randomLetters()
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString letters;
    for (int i = 0; i < 6; ++i)
        letters += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet) - 1)]);
    return letters;
}

} // namespace

QString createUniqueFile(const QString& folder, const QString& prefix, const QString& suffix)
{
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QString path = base + prefix + randomLetters() + suffix;
        const int descriptor =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            ::close(descriptor);
            return path;
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

int maxFileNameBytes(const QString& folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? int(limit) : kDefaultNameMax;
}
