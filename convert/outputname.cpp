#include "convert/outputname.h"

#include "convert/pathtext.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace utils {

namespace {

QString numberedName(const QString& base, qint64 number, const QString& suffix)
{
    return base + QLatin1Char('(') + QString::number(number) + QStringLiteral(").") + suffix;
}

// Every entry of the folder, dangling links and other special files
// included: each of them blocks its name just as a file does.
QStringList entriesOf(const QString& folder)
{
    const QDir dir(folderPath(folder));
    return dir.entryList(QDir::Files | QDir::Dirs | QDir::Drives | QDir::Hidden | QDir::System
                             | QDir::NoDotAndDotDot,
                         QDir::Name);
}

// The number the naming rule starts from. Among the entries that contain
// base, "<base>.<suffix>" (any case) makes it at least 1, and each name
// ending in "(<k>).<suffix>" lifts it to one more than the larger of k and
// the number so far; 0 means the plain name.
qint64 firstNumber(const QStringList& entries, const QString& base, const QString& suffix)
{
    const QString plainName = base + QLatin1Char('.') + suffix;
    const QRegularExpression numbered(QStringLiteral("\\((\\d+)\\)\\.")
                                      + QRegularExpression::escape(suffix)
                                      + QLatin1Char('$'));
    // A number beyond this counts as no number (0), as one too long to read
    // would, so the count cannot run past the end of its type.
    constexpr qint64 kLargestNumber = Q_INT64_C(999999999999);
    qint64 number = 0;
    for (const QString& entry : entries) {
        if (!entry.contains(base))
            continue;
        if (entry.compare(plainName, Qt::CaseInsensitive) == 0) {
            if (number == 0)
                number = 1;
            continue;
        }
        const QRegularExpressionMatch match = numbered.match(entry);
        if (!match.hasMatch())
            continue;
        qint64 found = match.captured(1).toLongLong();
        if (found > kLargestNumber)
            found = 0;
        number = qMax(number, found) + 1;
    }
    return number;
}

} // namespace

QString fallbackBookName()
{
    return QStringLiteral("untitled");
}

QString bookNameOf(const QString& pdfPath)
{
    QString name = QFileInfo(pdfPath).fileName();
    name.remove(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    return name.isEmpty() ? fallbackBookName() : name;
}

QString workFolderName(const QString& outputName)
{
    return QFileInfo(outputName).baseName();
}

QString workFolderPath(const QString& outputFolder, const QString& outputName)
{
    return joinPath(outputFolder, workFolderName(outputName));
}

void uniqueOutputName(QString& base, const QString& folder, const QString& suffix)
{
    // The work folder is named by the part before the first ".", so a "."
    // in base would give every numbered name the same work folder; an empty
    // name would make the output folder itself the work folder, which the
    // clean-up then empties.
    base.replace(QLatin1Char('.'), QLatin1Char('_'));
    if (base.isEmpty())
        base = fallbackBookName();

    const QStringList entries = entriesOf(folder);
    QSet<QString> taken;
    for (const QString& entry : entries)
        taken.insert(entry.toCaseFolded());
    const auto isFree = [&taken](const QString& name) {
        return !taken.contains(name.toCaseFolded())
            && !taken.contains(workFolderName(name).toCaseFolded());
    };

    qint64 number = firstNumber(entries, base, suffix);
    QString name = number == 0 ? base + QLatin1Char('.') + suffix : numberedName(base, number, suffix);
    if (!isFree(name)) {
        number = qMax<qint64>(number, 1);
        while (!isFree(name = numberedName(base, number, suffix)))
            ++number;
    }
    base = name;
}

} // namespace utils
