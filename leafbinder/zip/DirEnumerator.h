#ifndef DIRENUMERATOR_H
#define DIRENUMERATOR_H

#include "leafbinder_export.h"
#include "FileInfo.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>
#include <utility>

namespace ZipPlatform {
class CDirectory;
}

namespace ZipArchiveLib {

class CFileFilter;

// Walks a directory tree breadth first: every item of a directory is offered
// before anything of its subdirectories, subdirectories in the order they were
// found, items in the order the file system lists them. Subclasses say what to
// do with each item the filter takes.
//
// The start directory is opened once, without following a link at its name,
// and every subdirectory is opened from its parent the same way: the walk
// never leaves the tree it started in, and a directory swapped for a link or
// for another directory while it waits in the queue makes the walk throw.
// Whatever the tree's shape, the walk holds only a few directories open at a
// time: one waiting in the queue is reopened through its ancestors when its
// turn comes, each by the name it was listed under.
class LEAFBINDER_EXPORT CDirEnumerator {
public:
    // An empty directory means the current one. With start, the walk begins
    // in that open directory, and directory only names it in the paths.
    explicit CDirEnumerator(const QString& directory, bool recursive = true,
                            std::shared_ptr<const ZipPlatform::CDirectory> start = nullptr);
    CDirEnumerator(const CDirEnumerator&) = delete;
    CDirEnumerator& operator=(const CDirEnumerator&) = delete;

    // Offers every item the filter takes to process(); false when a process()
    // of a file said false, which ends the walk. A directory that cannot be
    // opened or listed throws CZipException with the system's error and its
    // path, since quietly leaving its files out would lose them.
    bool walkDirectory(const CFileFilter& filter);

    const QString& getDirectory() const { return m_directory; }
    // Opens a start directory as a walk does (empty: the current one); throws
    // CZipException with the system's error and the path when it cannot.
    static std::shared_ptr<const ZipPlatform::CDirectory> openStartDirectory(const QString& directory);
    // The directory being listed, ending in '/'.
    const QString& getCurrentDirectory() const { return m_currentDirectory; }
    // The same, open: files offered to process() are opened through it.
    const ZipPlatform::CDirectory& getCurrentFolder() const { return *m_currentFolder; }
    // The name of the item offered to process(), as the file system holds it:
    // the item is opened by these bytes, whatever its name in the path.
    const QByteArray& getCurrentItemName() const { return m_currentItemName; }
    bool isRecursive() const { return m_recursive; }

protected:
    // path is the current directory followed by the item's name. For a
    // directory, true lets the walk enter it.
    virtual bool process(const QString& path, const CFileInfo& info) = 0;
    virtual void onEnumerationBegin() {}
    virtual void onEnumerationEnd(bool result) { Q_UNUSED(result); }
    virtual void enterDirectory() {}
    virtual void exitDirectory() {}

public:
    virtual ~CDirEnumerator();

private:
    // A directory of the tree, known by its parent and the name it was
    // listed under there.
    struct CNode;
    // The directories last opened, the most recent first.
    using CFolderCache = std::deque<std::pair<std::shared_ptr<const CNode>,
                                              std::shared_ptr<const ZipPlatform::CDirectory>>>;
    std::shared_ptr<const ZipPlatform::CDirectory> openNode(const std::shared_ptr<const CNode>& node,
                                                            const std::shared_ptr<const ZipPlatform::CDirectory>& start,
                                                            CFolderCache& cache) const;

    QString m_directory;
    bool m_recursive;
    std::shared_ptr<const ZipPlatform::CDirectory> m_start;
    QString m_currentDirectory;
    std::shared_ptr<const ZipPlatform::CDirectory> m_currentFolder;
    QByteArray m_currentItemName;
};

} // namespace ZipArchiveLib

#endif
