#include "app/outputsettings.h"

#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"

namespace outputsettings {

QString storedFolder()
{
    return VuPref::value(QLatin1String(kFolderKey), Vu::outputPath()).toString();
}

bool storedSameFolder()
{
    return VuPref::value(QLatin1String(kSameFolderKey), false).toBool();
}

} // namespace outputsettings
