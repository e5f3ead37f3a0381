#include "platform/vuframe0/qtsingleapplication.h"

#include "platform/vuframe0/vulog_p.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QWidget>

namespace {

// Per-user folder for the lock: the session's runtime folder when there is
// one, else the framework's private temporary folder.
QString lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime);
    return Vu::tempPath();
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
