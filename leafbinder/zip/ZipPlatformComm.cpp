// The portable helpers of the system layer: separators and name comparers.
#include "ZipPlatform.h"

namespace ZipPlatform {

QString removeTrailingSeparators(const QString& name)
{
    qsizetype end = name.size();
    while (end > 0 && isNameSeparator(name.at(end - 1)))
        --end;
    return name.left(end);
}

QString setTrailingSeparator(const QString& name)
{
    return removeTrailingSeparators(name) + QLatin1Char('\\');
}

QString removeLeadingSeparators(const QString& name)
{
    qsizetype start = 0;
    while (start < name.size() && isNameSeparator(name.at(start)))
        ++start;
    return name.mid(start);
}

int replaceChar(QString& text, QChar from, QChar to)
{
    int count = 0;
    for (QChar& c : text) {
        if (c == from) {
            c = to;
            ++count;
        }
    }
    return count;
}

QString removeTrailingPathSeparators(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && isPathSeparator(path.at(end - 1)))
        --end;
    return path.left(end);
}

int compareNamesCaseSensitive(const QString& first, const QString& second)
{
    return QString::compare(first, second, Qt::CaseSensitive);
}

int compareNamesCaseInsensitive(const QString& first, const QString& second)
{
    return QString::compare(first, second, Qt::CaseInsensitive);
}

} // namespace ZipPlatform
