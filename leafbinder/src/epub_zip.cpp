#include "epub_zip.h"

#include "convert/logwriter.h"
#include "epub_tools.h"
#include "epub_workfolder.h"

#include "FileFilter.h"
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipFile.h"
#include "ZipPlatform.h"

#include <QFile>
#include <QFileInfo>

namespace ns_epub {
namespace {

const char kSource[] = "src\\epub_tools";
const char kRunZip[] = "ns_epub::epubZip::runZip";

std::function<void()>& reservedHook()
{
    static std::function<void()> hook;
    return hook;
}

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

// Writes the archive into file from the open work folder; false when any
// step failed or refused, or when the book did not get every file the work
// folder was given: one left out (swapped for a link, say) would make a book
// that looks whole without being so.
bool packInto(CZipFile& file, const epubWorkFolder& work)
{
    CZipArchive zip;
    try {
        if (!zip.openArchive(file, CZipArchive::zipCreate))
            return false;
        bool added = zip.addFileFromDisk(epubStdMgr::templateMimetype(), QStringLiteral("mimetype"),
                                         CZipArchive::levelStore, kSmartness, kBufferSize);
        const bookFileFilter filter;
        added = added
            && zip.addFolderFiles(work.folder(), work.path(), filter, true, CZipArchive::levelDefault, true,
                                  kSmartness, kBufferSize);
        const int packed = zip.getCount() - 1;
        if (!added) {
            zip.closeArchive(CZipArchive::closeAfterException);
            return false;
        }
        zip.closeArchive(CZipArchive::closeNormal, false);
        if (packed == work.fileCount())
            return true;
        writeLogSite(kSource, __LINE__, kRunZip);
        writeLogLine("the book made %d files in its work folder, %d were packed: %s", work.fileCount(), packed,
                     work.path().toUtf8().constData());
        return false;
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
bool nameFits(const QByteArray& fileName, const ZipPlatform::CDirectory& folder, const QString& bookPath)
{
    const int most = folder.maxNameLength();
    if (fileName.size() <= most)
        return true;
    writeLogSite(kSource, __LINE__, kRunZip);
    writeLogLine("the book's file name has %d bytes, its folder allows %d: %s", int(fileName.size()), most,
                 bookPath.toUtf8().constData());
    return false;
}

// Leaves nothing of the book behind: the reserved file is emptied through
// its descriptor, wherever it has been moved, and its name removed while it
// still leads to it.
void discard(CZipFile& file, int descriptor, const QByteArray& name, const ZipPlatform::CDirectory& folder)
{
    try {
        file.setLength(0);
    } catch (const CZipException&) {
        // Removing the name below is all that is left to do.
    }
    if (folder.holds(name, ZipPlatform::CDirectory::identityOf(descriptor)))
        folder.removeFile(name);
}

} // namespace

epubZip::~epubZip() = default;

void epubZip::setReservedHook(std::function<void()> hook)
{
    reservedHook() = std::move(hook);
}

bool epubZip::runZip(const QString& outputFolder, const QString& bookName, const epubWorkFolder& workFolder)
{
    if (outputFolder.isNull()) {
        writeLogEntry(kSource, 46, kRunZip);
        return true;
    }
    const QString bookPath = outputFolder + bookName + QStringLiteral(".epub");
    // The book lies beside its work folder, named after it.
    const QByteArray bookFile = QFile::encodeName(workFolder.name() + QStringLiteral(".epub"));
    const ZipPlatform::CDirectory& folder = workFolder.outputFolder();
    if (!nameFits(bookFile, folder, bookPath))
        return false;
    // A name of its own, short whatever the book's name, so any book name
    // that fits its folder can be packed. The finished book keeps the mode
    // this file is made with, that of any new document.
    QByteArray partName;
    const int descriptor = folder.createUniqueFile(QStringLiteral(".lb-"), QStringLiteral(".part"), partName);
    if (descriptor < 0) {
        writeLogSite(kSource, 52, kRunZip);
        writeLogLine("%s", bookPath.toUtf8().constData());
        return false;
    }
    CZipFile file;
    file.attach(descriptor, QFileInfo(bookPath).absolutePath() + QLatin1Char('/') + QFile::decodeName(partName));
    if (reservedHook())
        reservedHook()();
    if (!packInto(file, workFolder)) {
        discard(file, descriptor, partName, folder);
        return false;
    }
    // Never over anything: the caller picks a free name, and anything else
    // there now belongs to someone else.
    if (!folder.moveFile(partName, descriptor, folder, bookFile)) {
        writeLogSite(kSource, __LINE__, kRunZip);
        writeLogLine("the finished book cannot take its name: %s", bookPath.toUtf8().constData());
        discard(file, descriptor, partName, folder);
        return false;
    }
    return true;
}

} // namespace ns_epub
