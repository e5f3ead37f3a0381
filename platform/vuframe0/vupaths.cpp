#include "platform/vuframe0/vupaths.h"

#include "platform/os/privatefolder.h"
#include "platform/vuframe0/vulog_p.h"
#include "platform/vuframe0/vupref.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QWidget>

#include <cstdlib>

namespace {

QString makeFreshPrivateFolder(const QString& prefix)
{
    QByteArray pattern = QFile::encodeName(prefix + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return QString();
    return QFile::decodeName(pattern);
}

int utf8Length(const QString& text)
{
    return int(text.toUtf8().size());
}

} // namespace

namespace Vu {

QString tempPath()
{
    const QString wanted = userTempFolderPath(VuPref::product_key());
    if (wanted.isEmpty())
        return QString();
    if (ensurePrivateFolder(wanted))
        return wanted;

    // The usual name is taken: one replacement folder per run (and per
    // temporary folder, as tests change TMPDIR).
    static QMutex mutex;
    static QString replacement;
    static QString replacementFor;
    const QMutexLocker lock(&mutex);
    if (replacementFor == wanted && !replacement.isEmpty() && ensurePrivateFolder(replacement))
        return replacement;
    qCWarning(lcVuframe, "the temporary folder %s is not a private folder of this user",
              qUtf8Printable(wanted));
    replacement = makeFreshPrivateFolder(wanted);
    replacementFor = wanted;
    return replacement;
}

QString docPath()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (path.isEmpty())
        path = QDir::homePath();
    return QDir::cleanPath(path);
}

QString outputPath()
{
    return docPath() + QLatin1Char('/') + VuPref::product_name();
}

bool isFolderNameValid(const QString& path, bool mustBeAbsolute)
{
    if (path.trimmed().isEmpty())
        return false;
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    if (mustBeAbsolute && !QDir::isAbsolutePath(path))
        return false;
    if (utf8Length(path) > 4095)
        return false;
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (utf8Length(name) > 255)
            return false;
    }
    const QFileInfo info(path);
    return !info.exists() || info.isDir();
}

bool isFolderWritable(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return false;
    QTemporaryFile probe(path + QStringLiteral("/.write-probe-XXXXXX"));
    return probe.open();
}

void moveCenter(QWidget* widget)
{
    if (!widget)
        return;
    QWidget* window = widget->window();
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect screenArea = screen ? screen->availableGeometry() : QRect();

    QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QRect area = parent && parent->isVisible() ? parent->frameGeometry() : screenArea;
    if (area.isEmpty())
        return;

    const QSize size = window->frameGeometry().size();
    QPoint topLeft(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2);
    if (!screenArea.isEmpty()) {
        topLeft.setX(qBound(screenArea.left(), topLeft.x(),
                            qMax(screenArea.left(), screenArea.right() - size.width() + 1)));
        topLeft.setY(qBound(screenArea.top(), topLeft.y(),
                            qMax(screenArea.top(), screenArea.bottom() - size.height() + 1)));
    }
    window->move(topLeft);
}

} // namespace Vu
