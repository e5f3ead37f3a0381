#include "epub_workfolder.h"

#include "ZipPlatform.h"
#include "platform/os/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace ns_epub {

namespace {

constexpr qint64 kCopyBufferSize = 65536;

// The names on the way to a path inside the work folder; empty when one is
// empty, "." or "..".
QStringList components(const QString& relative)
{
    const QStringList parts = relative.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return QStringList();
    }
    return parts;
}

bool writeAll(int descriptor, const char* bytes, qint64 count)
{
    return count == 0 || ZipPlatform::writeFile(descriptor, bytes, static_cast<quint32>(count)) == count;
}

} // namespace

std::unique_ptr<epubWorkFolder> epubWorkFolder::create(const QString& outputFolder, const QString& name)
{
    // The output folder and the book name joined as they stand: without a
    // trailing separator the folder lands beside the output folder.
    const QFileInfo joined(outputFolder + name);
    // Missing parents are made, as the template copy always did.
    QDir().mkpath(joined.absolutePath());
    std::unique_ptr<epubWorkFolder> work(new epubWorkFolder);
    work->m_output = ZipPlatform::CDirectory::open(joined.absolutePath(), true);
    if (!work->m_output)
        return nullptr;
    work->m_folder = work->m_output->createChild(QFile::encodeName(joined.fileName()));
    if (!work->m_folder)
        return nullptr;
    work->m_path = outputFolder + name;
    work->m_name = joined.fileName();
    return work;
}

epubWorkFolder::~epubWorkFolder() = default;

bool epubWorkFolder::relativePath(const QString& path, QString& relative) const
{
    if (path == m_path) {
        relative.clear();
        return true;
    }
    const QString prefix = m_path + QLatin1Char('/');
    if (!path.startsWith(prefix) || components(path.mid(prefix.size())).isEmpty())
        return false;
    relative = path.mid(prefix.size());
    return true;
}

std::unique_ptr<ZipPlatform::CDirectory> epubWorkFolder::folderOf(const QString& relative, QByteArray& leaf) const
{
    QStringList parts = components(relative);
    if (parts.isEmpty())
        return nullptr;
    leaf = QFile::encodeName(parts.takeLast());
    std::unique_ptr<ZipPlatform::CDirectory> folder = m_folder->duplicate();
    for (const QString& part : parts) {
        if (!folder)
            break;
        folder = folder->openChild(QFile::encodeName(part));
    }
    return folder;
}

bool epubWorkFolder::makeFolder(const QString& relative)
{
    if (relative.isEmpty())
        return true;
    const QStringList parts = components(relative);
    std::unique_ptr<ZipPlatform::CDirectory> folder = m_folder->duplicate();
    for (const QString& part : parts) {
        if (!folder)
            return false;
        const QByteArray name = QFile::encodeName(part);
        std::unique_ptr<ZipPlatform::CDirectory> child = folder->openChild(name);
        folder = child ? std::move(child) : folder->createChild(name);
    }
    return folder && !parts.isEmpty();
}

int epubWorkFolder::openNew(const ZipPlatform::CDirectory& folder, const QByteArray& leaf, bool replace)
{
    int descriptor = folder.createFile(leaf);
    // Everything in the folder is this book's own: what is replaced is a
    // file the book wrote before.
    if (descriptor < 0 && replace && ZipPlatform::lastError() == EEXIST && folder.removeFile(leaf)) {
        --m_fileCount;
        descriptor = folder.createFile(leaf);
    }
    if (descriptor >= 0)
        ++m_fileCount;
    return descriptor;
}

bool epubWorkFolder::writeNew(const QString& relative, bool replace, const std::function<bool(int)>& write)
{
    QByteArray leaf;
    const std::unique_ptr<ZipPlatform::CDirectory> folder = folderOf(relative, leaf);
    const int descriptor = folder ? openNew(*folder, leaf, replace) : -1;
    if (descriptor < 0)
        return false;
    const bool written = write(descriptor);
    if (ZipPlatform::closeFile(descriptor) && written)
        return true;
    // Half a file would go into the book as if it were whole.
    folder->removeFile(leaf);
    --m_fileCount;
    return false;
}

bool epubWorkFolder::writeFile(const QString& relative, const QByteArray& bytes, bool replace)
{
    return writeNew(relative, replace,
                    [&bytes](int descriptor) { return writeAll(descriptor, bytes.constData(), bytes.size()); });
}

bool epubWorkFolder::writeFile(const QString& relative, bool replace, const std::function<bool(QIODevice&)>& write)
{
    return writeNew(relative, replace, [&write](int descriptor) {
        QFile file;
        return file.open(descriptor, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) && write(file) && file.flush();
    });
}

bool epubWorkFolder::copyFile(const RegularFile& source, const QString& relative, bool replace)
{
    return writeNew(relative, replace, [&source](int descriptor) {
        char buffer[kCopyBufferSize];
        for (qint64 offset = 0;;) {
            const qint64 got = source.readAt(offset, buffer, kCopyBufferSize);
            if (got <= 0)
                return got == 0;
            if (!writeAll(descriptor, buffer, got))
                return false;
            offset += got;
        }
    });
}

bool epubWorkFolder::remove()
{
    bool removed = m_folder->removeContents();
    m_fileCount = 0;
    // Its name may lead to another folder by now: that one is left alone.
    const QByteArray name = QFile::encodeName(m_name);
    return m_output->holds(name, m_folder->identity()) && m_output->removeDirectory(name) && removed;
}

} // namespace ns_epub
