#include "DirEnumerator.h"

#include "FileFilter.h"
#include "ZipException.h"
#include "ZipPlatform.h"

#include <deque>

namespace ZipArchiveLib {

CDirEnumerator::CDirEnumerator(const QString& directory, bool recursive)
    : m_directory(directory.isEmpty() ? QStringLiteral(".") : directory), m_recursive(recursive)
{
}

CDirEnumerator::~CDirEnumerator() = default;

bool CDirEnumerator::walkDirectory(const CFileFilter& filter)
{
    onEnumerationBegin();
    std::deque<QString> queue{m_directory};
    bool result = true;
    while (!queue.empty() && result) {
        QString directory = ZipPlatform::removeTrailingPathSeparators(queue.front());
        queue.pop_front();
        if (!directory.endsWith(QLatin1Char('/')))
            directory += QLatin1Char('/');
        m_currentDirectory = directory;
        enterDirectory();

        ZipPlatform::CDirectorySearch search(m_currentDirectory);
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
                if (!filter.handlesItem(info))
                    queue.push_back(path);
                else if (filter.evaluate(m_currentDirectory, name, info) && process(path, info))
                    queue.push_back(path);
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
