#include "ZipPathComponent.h"

#include "ZipPlatform.h"

void CZipPathComponent::setFullPath(const QString& path)
{
    m_prefix.clear();
    m_drive.clear();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    QString directory = slash >= 0 ? path.left(slash + 1) : QString();
    m_directory = ZipPlatform::removeTrailingPathSeparators(directory);

    // A name ending in '.' keeps the dot in its title: here that is a name of
    // its own, and rebuilding the file name must give it back unchanged.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == name.size() - 1) {
        m_title = name;
        m_extension.clear();
    } else {
        m_title = name.left(dot);
        m_extension = name.mid(dot + 1);
    }
}

void CZipPathComponent::setExtension(const QString& extension)
{
    qsizetype start = 0;
    while (start < extension.size() && extension.at(start) == QLatin1Char('.'))
        ++start;
    m_extension = extension.mid(start);
}

QString CZipPathComponent::getFileName() const
{
    if (m_extension.isEmpty())
        return m_title;
    return m_title + QLatin1Char('.') + m_extension;
}

QString CZipPathComponent::getFullFileDir() const
{
    return m_prefix + m_drive + m_directory;
}

QString CZipPathComponent::getFullPath() const
{
    QString path = getFullFileDir();
    const QString name = getFileName();
    if (name.isEmpty())
        return path;
    if (path.isEmpty())
        return QStringLiteral("./") + name;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + name;
}

QString CZipPathComponent::getNoDrive() const
{
    QString path = m_directory;
    const QString name = getFileName();
    if (!name.isEmpty()) {
        if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += name;
    }
    return path;
}
