#include "platform/win32/registry.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>

namespace win32 {

namespace {

QMutex& storeMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& storePathSetting()
{
    static QString path;
    return path;
}

QString rootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return QStringLiteral("hkey_classes_root");
    case RegistryRoot::CurrentUser:
        return QStringLiteral("hkey_current_user");
    case RegistryRoot::LocalMachine:
        return QStringLiteral("hkey_local_machine");
    case RegistryRoot::Users:
        return QStringLiteral("hkey_users");
    }
    return QString();
}

// "CLSID\{…}\LocalServer32" under a root becomes the settings group
// "hkey_classes_root/clsid/{…}/localserver32".
QString groupOf(RegistryRoot root, const QString& subKey)
{
    QString group = rootName(root);
    const QStringList parts = subKey.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        group += QLatin1Char('/') + part.toLower();
    return group;
}

QString entryOf(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("@") : name.toLower();
}

} // namespace

void setRegistryStorePath(const QString& path)
{
    const QMutexLocker lock(&storeMutex());
    storePathSetting() = path;
}

QString registryStorePath()
{
    const QMutexLocker lock(&storeMutex());
    if (storePathSetting().isEmpty()) {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/quireflow/registry.ini");
    }
    return storePathSetting();
}

long RegistryKey::open(RegistryRoot root, const QString& subKey)
{
    close();
    QSettings store(registryStorePath(), QSettings::IniFormat);
    const QString group = groupOf(root, subKey);
    store.beginGroup(group);
    if (store.childKeys().isEmpty() && store.childGroups().isEmpty())
        return kErrorFileNotFound;
    m_group = group;
    return kErrorSuccess;
}

long RegistryKey::queryValue(const QString& name, QVariant* value) const
{
    if (!isOpen())
        return kErrorFileNotFound;
    QSettings store(registryStorePath(), QSettings::IniFormat);
    const QString key = m_group + QLatin1Char('/') + entryOf(name);
    if (!store.contains(key))
        return kErrorFileNotFound;
    if (value)
        *value = store.value(key);
    return kErrorSuccess;
}

long RegistryKey::setValue(RegistryRoot root, const QString& subKey, const QString& name,
                           const QVariant& value)
{
    QSettings store(registryStorePath(), QSettings::IniFormat);
    store.setValue(groupOf(root, subKey) + QLatin1Char('/') + entryOf(name), value);
    store.sync();
    return store.status() == QSettings::NoError ? kErrorSuccess : kErrorAccessDenied;
}

} // namespace win32
