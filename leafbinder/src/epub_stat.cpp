#include "epub_stat.h"

#include "epub_media.h"
#include "epub_tools.h"
#include "platform/os/regularfile.h"

#include <QFileInfo>

namespace ns_epub {

namespace {

// File names become URLs in the pages and entry names in the archive: keep
// them to characters that need no escaping anywhere.
QString safeBaseName(const QString& name)
{
    QString safe;
    for (const QChar c : name) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.');
        safe += plain ? c : QLatin1Char('_');
    }
    while (safe.startsWith(QLatin1Char('.')))
        safe[0] = QLatin1Char('_');
    return safe.isEmpty() ? QStringLiteral("picture") : safe;
}

} // namespace

convertStat::~convertStat() = default;

QString convertStat::nextPageFile()
{
    const QString name = QStringLiteral("page-%1.html").arg(m_pageFiles.size() + 1);
    m_pageFiles << name;
    return name;
}

QString convertStat::pictureId(int index)
{
    return QStringLiteral("img-%1").arg(index + 1);
}

QString convertStat::addPicture(const QString& source)
{
    const QFileInfo info(source);
    if (source.isEmpty())
        return QString();
    const QString key = info.absoluteFilePath();
    const auto known = m_pictureSources.constFind(key);
    if (known != m_pictureSources.constEnd())
        return known.value();

    // Read only through this one opening, which refuses anything but a
    // regular file without waiting.
    const std::shared_ptr<const RegularFile> file = RegularFile::open(key);
    if (!file)
        return QString();
    const QString suffix = info.suffix().toLower();
    const bool core = isCorePictureSuffix(suffix);
    const QString name = uniqueName(safeBaseName(info.completeBaseName()),
                                    core ? suffix : QStringLiteral("png"));
    epubStdMgr* manager = epubStdMgr::instance();
    const bool stored = core ? manager->copyResource(*file, name) : manager->convertResource(file, name);
    if (!stored)
        return QString();
    m_pictureSources.insert(key, name);
    m_takenNames.insert(name.toLower());
    m_pictureFiles << name;
    return name;
}

QString convertStat::uniqueName(const QString& baseName, const QString& suffix) const
{
    // "cover.*" belongs to the cover picture, which is stored at close.
    const bool reserved = baseName.compare(QLatin1String("cover"), Qt::CaseInsensitive) == 0;
    const QString plain = baseName + QLatin1Char('.') + suffix;
    if (!reserved && !m_takenNames.contains(plain.toLower()))
        return plain;
    for (int n = 2;; ++n) {
        const QString numbered = baseName + QLatin1Char('-') + QString::number(n) + QLatin1Char('.') + suffix;
        if (!m_takenNames.contains(numbered.toLower()))
            return numbered;
    }
}

void convertStat::useStyleClass(const QString& name)
{
    if (m_knownClasses.contains(name))
        return;
    m_knownClasses.insert(name);
    m_styleClasses << name;
}

} // namespace ns_epub
