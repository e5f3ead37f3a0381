#include "epub_zip.h"

#include "convert/logwriter.h"
#include "epub_tools.h"
#include "platform/os/newfile.h"

#include "FileFilter.h"
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipPlatform.h"

#include <QFile>
#include <QFileInfo>

namespace ns_epub {
namespace {

const char kSource[] = "src\\epub_tools";
const char kRunZip[] = "ns_epub::epubZip::runZip";

// Only the work folder's own regular files go into the book: a symbolic
// link could carry any file of the machine into it.
class bookFileFilter : public ZipArchiveLib::CNameFileFilter {
public:
    bookFileFilter() : CNameFileFilter(QStringLiteral("*")) {}

    bool accept(const QString& parent, const QString& name, const ZipArchiveLib::CFileInfo& info) const override
    {
        return !info.m_isLink && CNameFileFilter::accept(parent, name, info);
    }
};

constexpr quint32 kBufferSize = 65536;
constexpr int kSmartness = CZipArchive::smartDefault;

// The folder at workPath, when it is still the one the book made. In a
// folder others may write to, it may have been swapped for a link or for a
// folder of someone else's since.
std::unique_ptr<ZipPlatform::CDirectory> openWorkFolder(const QString& workPath,
                                                        const ZipPlatform::CDirectory& made)
{
    std::unique_ptr<ZipPlatform::CDirectory> folder = ZipPlatform::CDirectory::open(workPath);
    if (folder && folder->isSame(made))
        return folder;
    writeLogSite(kSource, __LINE__, kRunZip);
    writeLogLine("the work folder is not the one this book made: %s", workPath.toUtf8().constData());
    return nullptr;
}

// Writes the archive at path from the open work folder; false when any step
// failed or refused.
bool packInto(const QString& path, const ZipPlatform::CDirectory& folder, const QString& workPath)
{
    CZipArchive zip;
    try {
        if (!zip.openArchive(path, CZipArchive::zipCreate, 0))
            return false;
        bool added = zip.addFileFromDisk(epubStdMgr::templateMimetype(), QStringLiteral("mimetype"),
                                         CZipArchive::levelStore, kSmartness, kBufferSize);
        const bookFileFilter filter;
        added = added
            && zip.addFolderFiles(folder, workPath, filter, true, CZipArchive::levelDefault, true, kSmartness,
                                  kBufferSize);
        if (!added) {
            zip.closeArchive(CZipArchive::closeAfterException);
            return false;
        }
        zip.closeArchive(CZipArchive::closeNormal, false);
        return true;
    } catch (const CZipException& error) {
        writeLogSite(kSource, 61, kRunZip);
        writeLogLine("%d %s", error.getCode(), error.getFileName().toUtf8().constData());
    } catch (...) {
        writeLogEntry(kSource, 64, kRunZip);
    }
    if (!zip.isClosed())
        zip.closeArchive(CZipArchive::closeAfterException);
    return false;
}

// Whether the book's file name fits in its folder; logged when it does not.
bool nameFits(const QString& bookPath)
{
    const QFileInfo book(bookPath);
    const int bytes = int(QFile::encodeName(book.fileName()).size());
    const int most = maxFileNameBytes(book.absolutePath());
    if (bytes <= most)
        return true;
    writeLogSite(kSource, __LINE__, kRunZip);
    writeLogLine("the book's file name has %d bytes, its folder allows %d: %s", bytes, most,
                 bookPath.toUtf8().constData());
    return false;
}

} // namespace

epubZip::~epubZip() = default;

bool epubZip::runZip(const QString& outputFolder, const QString& bookName, const ZipPlatform::CDirectory& workFolder)
{
    if (outputFolder.isNull()) {
        writeLogEntry(kSource, 46, kRunZip);
        return true;
    }
    const QString bookPath = outputFolder + bookName + QStringLiteral(".epub");
    if (!nameFits(bookPath))
        return false;
    // A name of its own, short whatever the book's name, so any book name
    // that fits its folder can be packed. The finished book keeps the mode
    // this file is made with, that of any new document.
    const QString partPath =
        createUniqueFile(QFileInfo(bookPath).absolutePath(), QStringLiteral(".lb-"), QStringLiteral(".part"));
    if (partPath.isEmpty()) {
        writeLogSite(kSource, 52, kRunZip);
        writeLogLine("%s", bookPath.toUtf8().constData());
        return false;
    }
    const QString workPath = outputFolder + bookName;
    const std::unique_ptr<ZipPlatform::CDirectory> folder = openWorkFolder(workPath, workFolder);
    if (!folder || !packInto(partPath, *folder, workPath)) {
        QFile::remove(partPath);
        return false;
    }
    // An existing book of that name is never replaced: the caller picks a
    // free name, and anything else there belongs to the user.
    if (!QFile::rename(partPath, bookPath)) {
        writeLogSite(kSource, __LINE__, kRunZip);
        writeLogLine("the finished book cannot take its name: %s", bookPath.toUtf8().constData());
        QFile::remove(partPath);
        return false;
    }
    return true;
}

} // namespace ns_epub
