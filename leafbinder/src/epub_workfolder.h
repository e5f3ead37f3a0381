#ifndef EPUB_WORKFOLDER_H
#define EPUB_WORKFOLDER_H

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class RegularFile;

namespace ZipPlatform {
class CDirectory;
}

namespace ns_epub {

// A book's work folder and the output folder it lies in, both held open from
// the book's create until the book is given up. The book's files are made,
// written, packed and removed only through them: once made, neither folder
// is looked up by its path again, so renaming either, or putting a link or
// another folder at its name, cannot lead the book anywhere else.
//
// The work folder is made new with an exclusive mkdir, open to this user
// only; everything in it is this book's. Paths inside it are relative, with
// "/" between the folders.
class epubWorkFolder {
public:
    // Opens outputFolder (a link on its way is followed: the user chose
    // that path) and makes the folder name in it. Null when anything at all
    // is at that name already, even a dangling link; errno says why.
    static std::unique_ptr<epubWorkFolder> create(const QString& outputFolder, const QString& name);
    ~epubWorkFolder();
    epubWorkFolder(const epubWorkFolder&) = delete;
    epubWorkFolder& operator=(const epubWorkFolder&) = delete;

    // outputFolder followed by the name: how the book's paths begin.
    QString path() const { return m_path; }
    const QString& name() const { return m_name; }
    const ZipPlatform::CDirectory& folder() const { return *m_folder; }
    const ZipPlatform::CDirectory& outputFolder() const { return *m_output; }

    // The path relative to the work folder; false when path does not lie
    // inside it, or names "." or ".." on the way.
    bool relativePath(const QString& path, QString& relative) const;

    // Makes the sub-folder relative and those on its way; true when it is
    // there afterwards.
    bool makeFolder(const QString& relative);
    // Writes relative as a new file of bytes. Its folder must be there. A
    // file of the book of that name is replaced only with replace, and
    // otherwise kept (false). A file that could not be written whole is
    // removed again.
    bool writeFile(const QString& relative, const QByteArray& bytes, bool replace);
    // The same with the bytes write puts into the device, piece by piece.
    bool writeFile(const QString& relative, bool replace, const std::function<bool(QIODevice&)>& write);
    // The same with the bytes of the opened file source.
    bool copyFile(const RegularFile& source, const QString& relative, bool replace);

    // How many files the book has made in the folder and not removed.
    int fileCount() const { return m_fileCount; }

    // Removes everything in the folder, then the folder itself when its name
    // in the output folder still leads to it. False when anything stays.
    bool remove();

private:
    epubWorkFolder() = default;
    // The sub-folder holding relative's last component, and that component;
    // null when the way is missing or not a folder.
    std::unique_ptr<ZipPlatform::CDirectory> folderOf(const QString& relative, QByteArray& leaf) const;
    // Opens a new file leaf in folder (see writeFile); -1 when it cannot be made.
    int openNew(const ZipPlatform::CDirectory& folder, const QByteArray& leaf, bool replace);
    // Makes relative anew and has write fill it through its descriptor.
    bool writeNew(const QString& relative, bool replace, const std::function<bool(int)>& write);

    std::unique_ptr<ZipPlatform::CDirectory> m_output;
    std::unique_ptr<ZipPlatform::CDirectory> m_folder;
    QString m_path;
    QString m_name;
    int m_fileCount = 0;
};

} // namespace ns_epub

#endif
