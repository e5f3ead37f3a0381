#include "platform/vuframe0/qtsingleapplication.h"

#include "platform/os/privatefolder.h"
#include "platform/vuframe0/vulog_p.h"
#include "platform/vuframe0/vupref.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

namespace {

// The session's runtime folder, when it is set and private to this user:
// a runtime folder that others may enter, or that is a link, could have been
// made by someone else.
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime))
        return QString();
    const QString folder = QDir::cleanPath(runtime);
    if (!isPrivateFolder(folder)) {
        qCWarning(lcVuframe, "the runtime folder %s is not private to this user", qUtf8Printable(folder));
        return QString();
    }
    return folder;
}

// A private folder of the product in the user's cache folder, made on first
// use. The home folder, unlike the temporary folder, is the same for every
// shell of the user and cannot be taken by another user first.
QString cacheFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return QString();
    const QString folder = cache + QLatin1Char('/') + VuPref::product_key();
    if (!ensurePrivateFolder(folder)) {
        qCWarning(lcVuframe, "%s is not a private folder of this user", qUtf8Printable(folder));
        return QString();
    }
    return folder;
}

// Per-user folder for the lock, one for all of the user's sessions on this
// machine whatever their temporary folder is.
QString lockFolder()
{
    const QString runtime = runtimeFolder();
    return runtime.isEmpty() ? cacheFolder() : runtime;
}

} // namespace

QtSingleApplication::QtSingleApplication(const QString& id, int& argc, char** argv)
    : VuApplication(argc, argv)
    , m_id(id)
{
}

QtSingleApplication::~QtSingleApplication() = default;

QString QtSingleApplication::lockFilePath(const QString& id)
{
    const QString folder = lockFolder();
    if (folder.isEmpty())
        return QString();
    // The id may hold any character; its hash makes a safe file name.
    const QByteArray hash = QCryptographicHash::hash(id.toUtf8(), QCryptographicHash::Sha256);
    return folder + QLatin1Char('/') + VuPref::product_key() + QLatin1Char('-')
        + QString::fromLatin1(hash.toHex().left(24)) + QStringLiteral(".lock");
}

bool QtSingleApplication::isRunning(const QString& id)
{
    if (id.isEmpty())
        return false;
    if (m_held.count(id))
        return false;
    const QString path = lockFilePath(id);
    if (path.isEmpty()) {
        qCWarning(lcVuframe, "no folder for the instance lock: starting without it");
        return false;
    }
    auto lock = std::make_unique<QLockFile>(path);
    // Held for the whole run: never stale by age, only when its owner died.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_held.emplace(id, std::move(lock));
        return false;
    }
    if (lock->error() == QLockFile::LockFailedError)
        return true;
    qCWarning(lcVuframe, "cannot use the instance lock %s: starting without it",
              qUtf8Printable(path));
    return false;
}

void QtSingleApplication::setActivationWindow(QWidget* window, bool activateOnMessage)
{
    m_activationWindow = window;
    m_activateOnMessage = activateOnMessage;
}

void QtSingleApplication::activateWindow()
{
    if (!m_activationWindow)
        return;
    QWidget* window = m_activationWindow->window();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
