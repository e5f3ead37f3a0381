#include "app/addfilesettings.h"

#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"

namespace addfilesettings {

QString storedFolder()
{
    return VuPref::folderValue(QLatin1String(kOpenFolderKey), Vu::docPath());
}

void storeFolder(const QString& folder)
{
    VuPref::setValue(QLatin1String(kOpenFolderKey), folder, false);
}

} // namespace addfilesettings
