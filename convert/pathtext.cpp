#include "convert/pathtext.h"

namespace utils {

QString folderPath(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    if (folder.endsWith(QLatin1Char('\\')))
        return folder.left(folder.size() - 1) + QLatin1Char('/');
    return folder + QLatin1Char('/');
}

QString joinPath(const QString& folder, const QString& name)
{
    return folderPath(folder) + name;
}

} // namespace utils
