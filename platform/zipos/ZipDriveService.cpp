// The replaceable drive service: which one is installed, and the calls that
// go through it.
#include "ZipPlatform.h"

namespace ZipPlatform {

namespace {

CDriveService& defaultService()
{
    static CDriveService service;
    return service;
}

CDriveService* installedService = nullptr;

CDriveService& service()
{
    return installedService ? *installedService : defaultService();
}

} // namespace

CDriveService* setDriveService(CDriveService* newService)
{
    CDriveService* previous = installedService;
    installedService = newService;
    return previous;
}

quint64 getFreeSpace(const QString& path)
{
    return service().getFreeSpace(path);
}

bool isRemovableDrive(const QString& path)
{
    return service().isRemovableDrive(path);
}

bool setVolumeLabel(const QString& path, const QString& label)
{
    return service().setVolumeLabel(path, label);
}

} // namespace ZipPlatform
