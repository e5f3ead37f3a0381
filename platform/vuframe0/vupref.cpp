#include "platform/vuframe0/vupref.h"

#include "platform/vuframe0/vulog_p.h"
#include "platform/vuframe0/vuproduct.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>

#include <atomic>

namespace {

// The store's place as chosen by setStoreFolder; the only state of the
// store besides the file itself.
QMutex g_folderMutex;
QString g_folder;
std::atomic<bool> g_translucent { true };

QString defaultFolder()
{
    const QString fromEnv = qEnvironmentVariable("QUIREFLOW_PREF_DIR");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QLatin1Char('/') + VuPref::company_root_key();
}

} // namespace

QVariant VuPref::value(const QString& key, const QVariant& defaultValue)
{
    const QSettings settings(storeFile(), QSettings::IniFormat);
    return settings.value(key, defaultValue);
}

QString VuPref::folderValue(const QString& key, const QString& fallback)
{
    const QString folder = value(key).toString();
    // Blanks around it are the caller's to keep or drop.
    return QDir::isAbsolutePath(folder.trimmed()) ? folder : fallback;
}

void VuPref::setValue(const QString& key, const QVariant& value, bool delayed)
{
    QSettings settings(storeFile(), QSettings::IniFormat);
    settings.setValue(key, value);
    if (!delayed)
        settings.sync();
    if (settings.status() != QSettings::NoError)
        qCWarning(lcVuframe, "cannot store the preference %s in %s", qUtf8Printable(key),
                  qUtf8Printable(settings.fileName()));
}

bool VuPref::contains(const QString& key)
{
    const QSettings settings(storeFile(), QSettings::IniFormat);
    return settings.contains(key);
}

void VuPref::remove(const QString& key)
{
    QSettings settings(storeFile(), QSettings::IniFormat);
    settings.remove(key);
    settings.sync();
}

QString VuPref::product_name()
{
    return VuProduct::productInfo(QStringLiteral("PRODUCT_NAME"));
}

QString VuPref::company_root_key()
{
    return VuProduct::productInfo(QStringLiteral("COMPANY_ROOT_KEY"));
}

QString VuPref::product_key()
{
    return VuProduct::productInfo(QStringLiteral("PRODUCT_KEY"));
}

void VuPref::setTanslucentWhenSkin(bool translucent)
{
    g_translucent = translucent;
}

bool VuPref::tanslucentWhenSkin()
{
    return g_translucent;
}

void VuPref::setStoreFolder(const QString& folder)
{
    const QMutexLocker lock(&g_folderMutex);
    g_folder = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

QString VuPref::storeFolder()
{
    {
        const QMutexLocker lock(&g_folderMutex);
        if (!g_folder.isEmpty())
            return g_folder;
    }
    return defaultFolder();
}

QString VuPref::storeFile()
{
    return storeFolder() + QLatin1Char('/') + product_key() + QStringLiteral(".ini");
}
