#include "DirEnumerator.h"

#include "FileFilter.h"
#include "ZipException.h"
#include "ZipPlatform.h"

#include <deque>

namespace ZipArchiveLib {

struct CDirEnumerator::CPending {
    QString path;
    // Null for the start directory.
    std::shared_ptr<const ZipPlatform::CDirectory> parent;
    QString name;
};

CDirEnumerator::CDirEnumerator(const QString& directory, bool recursive,
                               std::shared_ptr<const ZipPlatform::CDirectory> start)
    : m_directory(directory.isEmpty() ? QStringLiteral(".") : directory), m_recursive(recursive),
      m_start(std::move(start))
{
}

CDirEnumerator::~CDirEnumerator() = default;

namespace {

// "path/", as the walk names the directory it is in.
QString directoryName(const QString& path)
{
    QString directory = ZipPlatform::removeTrailingPathSeparators(path.isEmpty() ? QStringLiteral(".") : path);
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    return directory;
}

[[noreturn]] void throwOpenError(const QString& directory)
{
    const int error = ZipPlatform::lastError();
    CZipException::throwZipException(error > 0 ? error : CZipException::genericError, directory);
}

} // namespace

std::shared_ptr<const ZipPlatform::CDirectory> CDirEnumerator::openStartDirectory(const QString& directory)
{
    std::shared_ptr<const ZipPlatform::CDirectory> start = ZipPlatform::CDirectory::open(directory);
    if (!start)
        throwOpenError(directoryName(directory));
    return start;
}

std::shared_ptr<const ZipPlatform::CDirectory> CDirEnumerator::openPending(const CPending& pending) const
{
    if (!pending.parent)
        return m_start ? m_start : openStartDirectory(pending.path);
    std::shared_ptr<const ZipPlatform::CDirectory> child = pending.parent->openChild(pending.name);
    if (!child)
        throwOpenError(m_currentDirectory);
    return child;
}

bool CDirEnumerator::walkDirectory(const CFileFilter& filter)
{
    onEnumerationBegin();
    std::deque<CPending> queue{{m_directory, nullptr, QString()}};
    bool result = true;
    while (!queue.empty() && result) {
        const CPending pending = queue.front();
        queue.pop_front();
        m_currentDirectory = directoryName(pending.path);
        m_currentFolder = openPending(pending);
        enterDirectory();

        ZipPlatform::CDirectorySearch search(*m_currentFolder);
        if (!search.isOpen())
            CZipException::throwZipException(search.error() > 0 ? search.error() : CZipException::genericError,
                                             m_currentDirectory);
        QString name;
        CFileInfo info;
        while (search.next(name, info)) {
            if (info.isDirectory()) {
                if (!m_recursive || name == QLatin1String(".") || name == QLatin1String(".."))
                    continue;
                const QString path = m_currentDirectory + name;
                if (!filter.handlesItem(info)
                    || (filter.evaluate(m_currentDirectory, name, info) && process(path, info)))
                    queue.push_back({path, m_currentFolder, name});
            } else if (filter.handlesItem(info) && filter.evaluate(m_currentDirectory, name, info)) {
                if (!process(m_currentDirectory + name, info)) {
                    result = false;
                    break;
                }
            }
        }
        if (result && search.error() != 0)
            CZipException::throwZipException(search.error(), m_currentDirectory);
        exitDirectory();
    }
    onEnumerationEnd(result);
    return result;
}

} // namespace ZipArchiveLib
