#include "picturestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace conversion {

pictureStore::pictureStore(const QString& folder)
{
    if (folder.isEmpty()) {
        m_private = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/pagesift-XXXXXX"));
        if (m_private->isValid())
            m_folder = m_private->path();
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return;
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    m_folder = QFileInfo(folder).absoluteFilePath();
}

pictureStore::~pictureStore()
{
    removeAdded();
}

bool pictureStore::isReady() const
{
    return !m_folder.isEmpty();
}

QString pictureStore::folder() const
{
    return m_folder;
}

QString pictureStore::add(const QByteArray& bytes, const QString& suffix, int pageNumber)
{
    if (m_folder.isEmpty())
        return QString();
    // The serial makes names unique within the parse, the random part
    // unique within a folder that others may share.
    ++m_serial;
    QTemporaryFile file(QStringLiteral("%1/page%2-%3-XXXXXX.%4")
                            .arg(m_folder, QString::number(pageNumber), QString::number(m_serial), suffix));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    const QString path = file.fileName();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(path);
        return QString();
    }
    m_added << path;
    return path;
}

void pictureStore::removeAdded()
{
    for (const QString& path : m_added)
        QFile::remove(path);
    m_added.clear();
}

} // namespace conversion
