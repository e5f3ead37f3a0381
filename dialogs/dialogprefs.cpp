#include "dialogs/dialogprefs.h"

#include "dialogs/settings.h"

#include <QStandardPaths>

namespace {

const char kLastCoverFolderKey[] = "last_openEpubCover_dir";
const char kTemporaryDirKey[] = "temporarydir";

} // namespace

namespace dialogprefs {

QString lastCoverFolder()
{
    return VuPref::folderValue(QLatin1String(kLastCoverFolderKey),
                               QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

void setLastCoverFolder(const QString& folder)
{
    VuPref::setValue(QLatin1String(kLastCoverFolderKey), folder, false);
}

QString temporaryDir()
{
    return VuPref::folderValue(QLatin1String(kTemporaryDirKey), Settings::defaultTemporaryDir());
}

void setTemporaryDir(const QString& folder)
{
    VuPref::setValue(QLatin1String(kTemporaryDirKey), folder, false);
}

} // namespace dialogprefs
