#include "epub_tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ns_epub {

epubStdMgr* epubStdMgr::instance()
{
    // Never destroyed while the library is loaded.
    static epubStdMgr* const manager = new epubStdMgr;
    return manager;
}

epubStdMgr::~epubStdMgr() = default;

bool epubStdMgr::setWorkFolder(const QString& folder)
{
    m_workFolder = folder;
    copyFolder(QStringLiteral("epubTemplate"), folder, {QStringLiteral("mimetype")});
    return false;
}

void epubStdMgr::copyFolder(const QString& source, const QString& target, const QStringList& exclusions)
{
    // The target comes first: a file that sorts before the first sub-folder
    // would otherwise have nowhere to go.
    QDir().mkpath(target);
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (exclusions.contains(entry.fileName()))
            continue;
        const QString destination = target + QLatin1Char('/') + entry.fileName();
        if (entry.isFile()) {
            if (!QFileInfo::exists(destination))
                QFile::copy(entry.absoluteFilePath(), destination);
        } else {
            copyFolder(entry.absoluteFilePath(), destination, exclusions);
        }
    }
}

} // namespace ns_epub
