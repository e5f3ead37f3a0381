#include "DirEnumerator.h"

#include "FileFilter.h"
#include "ZipException.h"
#include "ZipPlatform.h"

#include <cerrno>
#include <deque>
#include <vector>

namespace ZipArchiveLib {

struct CDirEnumerator::CNode {
    std::shared_ptr<const CNode> parent;   // null for the start directory
    QByteArray name;
    ZipPlatform::CDirectory::CIdentity identity;
};

CDirEnumerator::CDirEnumerator(const QString& directory, bool recursive,
                               std::shared_ptr<const ZipPlatform::CDirectory> start)
    : m_directory(directory.isEmpty() ? QStringLiteral(".") : directory), m_recursive(recursive),
      m_start(std::move(start))
{
}

CDirEnumerator::~CDirEnumerator() = default;

namespace {

// Enough for every walk to reopen a directory's parent cheaply, whatever
// the tree's shape, and far below any limit on open files.
constexpr size_t kHeldFolders = 8;

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

std::shared_ptr<const ZipPlatform::CDirectory>
CDirEnumerator::openNode(const std::shared_ptr<const CNode>& node,
                         const std::shared_ptr<const ZipPlatform::CDirectory>& start, CFolderCache& cache) const
{
    // The nearest of its directories still open (the start always is), then
    // down from there.
    std::vector<std::shared_ptr<const CNode>> chain;
    std::shared_ptr<const ZipPlatform::CDirectory> folder;
    for (std::shared_ptr<const CNode> at = node; at->parent && !folder; at = at->parent) {
        for (auto held = cache.begin(); held != cache.end(); ++held) {
            if (held->first == at) {
                folder = held->second;
                cache.erase(held);
                cache.emplace_front(at, folder);
                break;
            }
        }
        if (!folder)
            chain.push_back(at);
    }
    if (!folder)
        folder = start;
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        std::shared_ptr<const ZipPlatform::CDirectory> child = folder->openChild((*at)->name);
        if (child && child->identity() != (*at)->identity) {
            child.reset();
            ZipPlatform::setLastError(ESTALE);
        }
        if (!child)
            throwOpenError(m_currentDirectory);
        cache.emplace_front(*at, child);
        if (cache.size() > kHeldFolders)
            cache.pop_back();
        folder = child;
    }
    return folder;
}

bool CDirEnumerator::walkDirectory(const CFileFilter& filter)
{
    onEnumerationBegin();
    const std::shared_ptr<const ZipPlatform::CDirectory> start = m_start ? m_start : openStartDirectory(m_directory);
    CFolderCache cache;
    // Each waiting directory with its path; a directory's path is not kept
    // once it has been walked, as its subdirectories keep it as a parent.
    std::deque<std::pair<std::shared_ptr<const CNode>, QString>> queue{
        {std::make_shared<const CNode>(CNode{nullptr, {}, {}}), m_directory}};
    bool result = true;
    while (!queue.empty() && result) {
        const std::shared_ptr<const CNode> node = queue.front().first;
        m_currentDirectory = directoryName(queue.front().second);
        queue.pop_front();
        m_currentFolder = node->parent ? openNode(node, start, cache) : start;
        enterDirectory();

        ZipPlatform::CDirectorySearch search(*m_currentFolder);
        if (!search.isOpen())
            CZipException::throwZipException(search.error() > 0 ? search.error() : CZipException::genericError,
                                             m_currentDirectory);
        QString name;
        CFileInfo info;
        while (search.next(name, info)) {
            m_currentItemName = search.nativeName();
            if (info.isDirectory()) {
                if (!m_recursive || name == QLatin1String(".") || name == QLatin1String(".."))
                    continue;
                const QString path = m_currentDirectory + name;
                if (!filter.handlesItem(info)
                    || (filter.evaluate(m_currentDirectory, name, info) && process(path, info)))
                    queue.emplace_back(std::make_shared<const CNode>(CNode{node, m_currentItemName, search.identity()}),
                                       path);
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
