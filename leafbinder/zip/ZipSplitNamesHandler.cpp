#include "ZipSplitNamesHandler.h"

namespace {

// The position of the '.' before the extension; -1 when the name has none.
qsizetype extensionDot(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1 || dot == path.size() - 1)
        return -1;
    return dot;
}

QString numbered(quint32 volume, int digits, quint32 widest)
{
    if (volume > widest)
        return QString::number(volume);
    return QStringLiteral("%1").arg(volume, digits, 10, QLatin1Char('0'));
}

} // namespace

CZipSplitNamesHandler::~CZipSplitNamesHandler() = default;

void CZipSplitNamesHandler::setArchivePath(const QString&)
{
}

QString CZipSplitNamesHandler::getVolumeName(const QString&, quint32, int) const
{
    return QString();
}

quint32 CZipSplitNamesHandler::getVolumeNumber(const QString&) const
{
    return 0;
}

QString CZipSplitNamesHandler::withExtension(const QString& path, const QString& extension)
{
    const qsizetype dot = extensionDot(path);
    const QString base = dot < 0 ? path : path.left(dot);
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

QString CZipSplitNamesHandler::extensionOf(const QString& path)
{
    const qsizetype dot = extensionDot(path);
    return dot < 0 ? QString() : path.mid(dot + 1);
}

void CZipRegularSplitNamesHandler::setArchivePath(const QString& path)
{
    m_extension = extensionOf(path);
}

QString CZipRegularSplitNamesHandler::getVolumeName(const QString& archivePath, quint32 volume, int flags) const
{
    if (flags & flagLastVolume)
        return withExtension(archivePath, m_extension);
    return withExtension(archivePath, QLatin1Char('z') + numbered(volume, 2, 99));
}

quint32 CZipRegularSplitNamesHandler::getVolumeNumber(const QString& path) const
{
    const QString extension = extensionOf(path);
    if (extension.size() < 2 || extension.at(0).toLower() != QLatin1Char('z'))
        return 0;
    bool ok = false;
    const quint32 number = extension.mid(1).toUInt(&ok);
    return ok ? number : 0;
}

QString CZipBinSplitNamesHandler::getVolumeName(const QString& archivePath, quint32 volume, int flags) const
{
    const QString number = numbered(volume, 3, 999);
    if (flags & flagExisting)
        return withExtension(archivePath, number);
    return archivePath + QLatin1Char('.') + number;
}

quint32 CZipBinSplitNamesHandler::getVolumeNumber(const QString& path) const
{
    const QString extension = extensionOf(path);
    if (extension.size() <= 2)
        return 0;
    bool ok = false;
    const quint32 number = extension.toUInt(&ok);
    return ok ? number : 0;
}
