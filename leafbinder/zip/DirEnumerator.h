#ifndef DIRENUMERATOR_H
#define DIRENUMERATOR_H

#include "leafbinder_export.h"
#include "FileInfo.h"

#include <QString>

namespace ZipArchiveLib {

class CFileFilter;

// Walks a directory tree breadth first: every item of a directory is offered
// before anything of its subdirectories, subdirectories in the order they were
// found, items in the order the file system lists them. Subclasses say what to
// do with each item the filter takes.
class LEAFBINDER_EXPORT CDirEnumerator {
public:
    // An empty directory means the current one.
    explicit CDirEnumerator(const QString& directory, bool recursive = true);
    CDirEnumerator(const CDirEnumerator&) = delete;
    CDirEnumerator& operator=(const CDirEnumerator&) = delete;

    // Offers every item the filter takes to process(); false when a process()
    // of a file said false, which ends the walk. A directory that cannot be
    // listed throws CZipException with the system's error and its path, since
    // quietly leaving its files out would lose them.
    bool walkDirectory(const CFileFilter& filter);

    const QString& getDirectory() const { return m_directory; }
    // The directory being listed, ending in '/'.
    const QString& getCurrentDirectory() const { return m_currentDirectory; }
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
    QString m_directory;
    bool m_recursive;
    QString m_currentDirectory;
};

} // namespace ZipArchiveLib

#endif
