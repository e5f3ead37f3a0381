#include "convert/utils.h"

#include "convert/logwriter.h"
#include "platform/os/nofollowfolder.h"
#include "platform/win32/registry.h"

#include <QDir>
#include <QFileInfo>

namespace utils {

namespace {

struct SizeUnit {
    qint64 bytes;
    const char* suffix;
};

// The largest step is 1000 GB, not 1024 GB, as the size column has always
// shown it.
constexpr SizeUnit kSizeUnits[] = {
    {Q_INT64_C(1073741824000), " T"},
    {Q_INT64_C(1073741824), " G"},
    {Q_INT64_C(1048576), " M"},
    {Q_INT64_C(1024), " K"},
};

// Files of a work folder that the clean-up takes: named like "*.*" and not
// hidden. A file without a dot stays, and so does its folder.
bool isRemovableFileName(const QString& name)
{
    return !name.startsWith(QLatin1Char('.')) && name.contains(QLatin1Char('.'));
}

bool removeFolderContents(const NoFollowFolder& folder, bool removeImageFolder)
{
    const QList<NoFollowFolder::Entry> entries = folder.entries();
    for (const NoFollowFolder::Entry& entry : entries) {
        if (entry.type == NoFollowFolder::EntryType::File && isRemovableFileName(entry.name)
            && !folder.removeFile(entry.name)) {
            return false;
        }
    }
    for (const NoFollowFolder::Entry& entry : entries) {
        if (entry.type != NoFollowFolder::EntryType::Folder || entry.name.startsWith(QLatin1Char('.')))
            continue;
        if (!removeImageFolder && entry.name == QLatin1String("image"))
            continue;
        NoFollowFolder child;
        if (!child.openChild(folder, entry.name) || !removeFolderContents(child, true))
            return false;
        child.close();
        if (!folder.removeFolder(entry.name))
            return false;
    }
    return true;
}

} // namespace

QString sizeToText(qint64 size)
{
    for (const SizeUnit& unit : kSizeUnits) {
        if (size >= unit.bytes) {
            QString text;
            text.setNum(double(size) / double(unit.bytes), 'f', 2);
            return text + QLatin1String(unit.suffix) + QLatin1Char('B');
        }
    }
    return QString::number(size) + QLatin1Char('B');
}

bool removeWorkFolder(const QString& path, bool removeImageFolder)
{
    QString folderPath = path;
    if (folderPath.endsWith(QLatin1Char('/')))
        folderPath.chop(1);
    // An empty path would name the current folder, "/" the root.
    if (folderPath.isEmpty())
        return false;
    const QFileInfo info(folderPath);
    if (info.isSymLink())
        return false;
    if (!info.exists())
        return true;
    NoFollowFolder folder;
    if (!folder.open(folderPath) || !removeFolderContents(folder, removeImageFolder))
        return false;
    folder.close();
    return QDir().rmdir(folderPath);
}

bool makePath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(native))
        return true;
    return QDir().mkpath(native);
}

bool fileExists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool isInstallWord()
{
    win32::RegistryKey key;
    const long error = key.open(
        win32::RegistryRoot::ClassesRoot,
        QStringLiteral("CLSID\\{000209FF-0000-0000-C000-000000000046}\\LocalServer32"));
    if (error != win32::kErrorSuccess) {
        writeLogSite(".\\utils", 1113, "utils::isInstallWord");
        writeLogLine("RegOpenKeyExW %d", static_cast<int>(error));
        return false;
    }
    QVariant server;
    key.queryValue(QString(), &server);
    key.close();
    return true;
}

} // namespace utils
