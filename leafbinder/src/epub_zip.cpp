#include "epub_zip.h"

#include "convert/logwriter.h"
#include "epub_tools.h"

#include "FileFilter.h"
#include "ZipArchive.h"
#include "ZipException.h"

#include <QFile>
#include <QTemporaryFile>

namespace ns_epub {
namespace {

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

// Writes the archive at path; false when any step failed or refused.
bool packInto(const QString& path, const QString& workFolder)
{
    CZipArchive zip;
    try {
        if (!zip.openArchive(path, CZipArchive::zipCreate, 0))
            return false;
        bool added = zip.addFileFromDisk(epubStdMgr::templateMimetype(), QStringLiteral("mimetype"),
                                         CZipArchive::levelStore, kSmartness, kBufferSize);
        const bookFileFilter filter;
        added = added
            && zip.addFolderFiles(workFolder, filter, true, CZipArchive::levelDefault, true, kSmartness, kBufferSize);
        if (!added) {
            zip.closeArchive(CZipArchive::closeAfterException);
            return false;
        }
        zip.closeArchive(CZipArchive::closeNormal, false);
        return true;
    } catch (const CZipException& error) {
        writeLogEntry("src\\epub_tools", 61, "ns_epub::epubZip::runZip");
        writeLogLine("%d %s", error.getCode(), error.getFileName().toUtf8().constData());
    } catch (...) {
        writeLogEntry("src\\epub_tools", 64, "ns_epub::epubZip::runZip");
    }
    if (!zip.isClosed())
        zip.closeArchive(CZipArchive::closeAfterException);
    return false;
}

// Reserves a name of its own beside the book; empty when the folder is not writable.
QString reservePartName(const QString& bookPath)
{
    QTemporaryFile part(bookPath + QStringLiteral(".XXXXXX.part"));
    part.setAutoRemove(false);
    return part.open() ? part.fileName() : QString();
}

} // namespace

epubZip::~epubZip() = default;

bool epubZip::runZip(const QString& outputFolder, const QString& bookName)
{
    if (outputFolder.isNull()) {
        writeLogEntry("src\\epub_tools", 46, "ns_epub::epubZip::runZip");
        return true;
    }
    const QString bookPath = outputFolder + bookName + QStringLiteral(".epub");
    const QString partPath = reservePartName(bookPath);
    if (partPath.isEmpty()) {
        writeLogEntry("src\\epub_tools", 52, "ns_epub::epubZip::runZip");
        writeLogLine("%s", bookPath.toUtf8().constData());
        return false;
    }
    // An existing book of that name is never replaced: the caller picks a
    // free name, and anything else there belongs to the user.
    // The reserved name is private to the user; the finished book is an
    // ordinary document.
    const bool packed = packInto(partPath, outputFolder + bookName)
        && QFile::setPermissions(partPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
                                               | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    if (!packed || !QFile::rename(partPath, bookPath)) {
        QFile::remove(partPath);
        return false;
    }
    return true;
}

} // namespace ns_epub
