#include "app/outputsettings.h"

#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"

namespace outputsettings {

QString storedFolder()
{
    return VuPref::folderValue(QLatin1String(kFolderKey), Vu::outputPath());
}

void storeFolder(const QString& folder)
{
    VuPref::setValue(QLatin1String(kFolderKey), folder, false);
}

bool storedSameFolder()
{
    return VuPref::value(QLatin1String(kSameFolderKey), false).toBool();
}

void storeSameFolder(bool sameFolder)
{
    VuPref::setValue(QLatin1String(kSameFolderKey), sameFolder, false);
}

} // namespace outputsettings
