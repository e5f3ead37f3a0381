#include "ZipArchive.h"

#include "AddFilesEnumerator.h"
#include "FileFilter.h"
#include "ZipAbstractFile.h"
#include "ZipCentralDir.h"
#include "ZipCompatibility.h"
#include "ZipException.h"
#include "ZipFile.h"
#include "ZipFileHeader.h"
#include "ZipPathComponent.h"
#include "ZipStorage.h"

#include <map>

struct CZipArchive::CInternals {
    CZipStorage m_storage;
    CZipCentralDir m_centralDir;
    std::unique_ptr<CZipCompressor> m_compressor;
    std::map<int, std::unique_ptr<CZipCompressor::COptions>> m_compressorOptions;
};

CZipArchive::CZipArchive()
    : m_d(std::make_unique<CInternals>())
{
    m_d->m_centralDir.init(this, &m_d->m_storage);
}

CZipArchive::~CZipArchive() = default;

bool CZipArchive::isClosed() const
{
    return !m_d->m_storage.isOpen();
}

int CZipArchive::getCount() const
{
    return m_d->m_centralDir.getCount();
}

// --- Opening and closing ----------------------------------------------------

bool CZipArchive::openArchive(const QString& path, int mode, quint64 volumeSize)
{
    if (!isClosed())
        return false;
    // Reading existing archives and segmented archives are not handled yet.
    if (mode != zipCreate && mode != zipCreateAppend)
        return false;
    m_d->m_storage.open(path, mode, volumeSize);
    initArchive();
    return true;
}

bool CZipArchive::openArchive(CZipAbstractFile& file, int mode)
{
    if (!isClosed() || mode != zipCreate)
        return false;
    m_d->m_storage.openMemory(file);
    initArchive();
    return true;
}

void CZipArchive::initArchive()
{
    m_entryState = entryNone;
    m_rootPath.clear();
    m_d->m_centralDir.reset();
    m_hostSystem = ZipCompatibility::hostDos;
}

bool CZipArchive::isWritable() const
{
    const CZipStorage& storage = m_d->m_storage;
    if (!storage.isOpen() || storage.isReadOnly() || (storage.isExisting() && storage.isSegmented()))
        return false;
    // A caller's file stays the caller's: a memory file counts as closed until
    // it holds its first byte, and an empty archive still needs its end record.
    return storage.getFile() && (!storage.ownsFile() || !storage.getFile()->isClosed());
}

QString CZipArchive::closeArchive(int closeMode, bool updateTimeStamp)
{
    if (!m_d->m_storage.isOpen())
        return QString();
    if (m_entryState == entryWriting)
        closeNewFile(closeMode != closeNormal);
    if (closeMode != closeAfterException && isWritable())
        m_d->m_centralDir.writeCentralDirectory();

    qint64 newest = 0;
    if (updateTimeStamp) {
        for (int i = 0; i < getCount(); ++i) {
            const qint64 time = m_d->m_centralDir.getAt(i)->getTime();
            if (time > newest)
                newest = time;
        }
    }
    const bool written = closeMode != closeAfterException && m_d->m_centralDir.isWritten();
    m_d->m_centralDir.close();

    QString path;
    if (closeMode == closeAfterException) {
        // Already failing: release the file whatever else goes wrong.
        try {
            path = m_d->m_storage.close(false, true);
        } catch (const CZipException&) {
        }
    } else {
        path = m_d->m_storage.close(written, true);
    }
    if (updateTimeStamp && newest > 0 && !path.isEmpty())
        ZipPlatform::setFileModTime(path, newest);
    return path;
}

// --- Settings ----------------------------------------------------------------

void CZipArchive::setRootPath(const QString& path)
{
    if (isClosed() || m_entryState != entryNone)
        return;
    m_rootPath = path.isEmpty() ? QString() : ZipPlatform::removeTrailingPathSeparators(path);
}

bool CZipArchive::setSystemCompatibility(int host)
{
    if (isClosed() || m_entryState != entryNone || !ZipCompatibility::isSupportedHost(host))
        return false;
    m_hostSystem = host;
    return true;
}

bool CZipArchive::setCompressionMethod(quint16 method)
{
    if (m_entryState != entryNone || (method != CZipCompressor::methodStore && method != CZipCompressor::methodDeflate))
        return false;
    m_compressionMethod = method;
    return true;
}

void CZipArchive::setCompressionOptions(const CZipCompressor::COptions& options)
{
    m_d->m_compressorOptions[options.getType()].reset(options.clone());
    if (m_d->m_compressor && m_entryState == entryNone && m_d->m_compressor->getOptions()
        && m_d->m_compressor->getOptions()->getType() == options.getType())
        m_d->m_compressor->updateOptions(options);
}

const CZipFileHeader* CZipArchive::getFileInfo(int index) const
{
    if (index < 0 || index >= getCount())
        return nullptr;
    return m_d->m_centralDir.getAt(index);
}

bool CZipArchive::isArchiveFile(const QString& path) const
{
    const QString archivePath = m_d->m_storage.getArchivePath();
    return !archivePath.isEmpty() && ZipPlatform::isSameFile(path, archivePath);
}

// --- Names -------------------------------------------------------------------

QString CZipArchive::predictFileNameInZip(const QString& diskPath, bool fullPath, bool isDirectory) const
{
    const QString path = ZipPlatform::removeTrailingPathSeparators(diskPath);
    QString name;
    if (fullPath) {
        name = m_removeDriveFromFullPaths ? CZipPathComponent(path).getNoDrive() : path;
    } else {
        const qsizetype rootLength = m_rootPath.size();
        const bool underRoot = rootLength > 0 && path.size() >= rootLength
            && m_compareNames(path.left(rootLength), m_rootPath) == 0
            && (path.size() == rootLength || ZipPlatform::isPathSeparator(path.at(rootLength))
                || m_rootPath.endsWith(QLatin1Char('/')));
        if (underRoot)
            name = ZipPlatform::removeLeadingSeparators(path.mid(rootLength));
        else
            name = CZipPathComponent(path).getFileName();
    }
    if (isDirectory)
        name = ZipPlatform::setTrailingSeparator(name);
    return name;
}

// --- Compressor --------------------------------------------------------------

CZipCompressor* CZipArchive::createCompressor(int method)
{
    return CZipCompressor::createCompressor(method, &m_d->m_storage);
}

void CZipArchive::prepareCompressor(quint16 method)
{
    if (m_d->m_compressor && m_d->m_compressor->canProcess(method))
        return;
    m_d->m_compressor.reset(createCompressor(method));
    if (!m_d->m_compressor)
        CZipException::throwZipException(CZipException::genericError, m_d->m_storage.getArchivePath());
    if (const CZipCompressor::COptions* current = m_d->m_compressor->getOptions()) {
        const auto it = m_d->m_compressorOptions.find(current->getType());
        if (it != m_d->m_compressorOptions.end())
            m_d->m_compressor->updateOptions(*it->second);
    }
}

// --- Entries -------------------------------------------------------------------

bool CZipArchive::openNewFile(CZipFileHeader& header, int level, int replaceIndex)
{
    if (isClosed() || m_d->m_storage.isReadOnly() || (m_d->m_storage.isExisting() && m_d->m_storage.isSegmented())
        || m_entryState != entryNone || getCount() >= CZipCentralDir::maxEntries || replaceIndex != -1)
        return false;

    header.setSystemCompatibility(m_hostSystem);
    if (header.m_modTime == 0 && header.m_modDate == 0)
        header.setTime(ZipPlatform::currentTime());
    const bool directory = header.isDirectory();
    if (directory) {
        const QString name = header.getFileName();
        if (name.isEmpty() || !ZipPlatform::isNameSeparator(name.back()))
            header.setFileName(name + QLatin1Char('\\'));
    }
    if (header.getFileName().isEmpty())
        header.setFileName(QStringLiteral("file%1").arg(getCount()));
    header.m_encryptionMethod = CZipFileHeader::encryptionNone;

    if (level < -1 || level > 9)
        level = -1;
    quint16 method = m_compressionMethod;
    if (method == CZipCompressor::methodStore)
        level = 0;
    if (level == 0 || directory) {
        level = 0;
        method = CZipCompressor::methodStore;
    }
    header.m_method = method;
    prepareCompressor(method);

    CZipFileHeader* entry = m_d->m_centralDir.addNewFile(header, level, false);
    try {
        entry->writeLocalHeader(m_d->m_storage);
    } catch (...) {
        // Without its local header the entry must not reach the directory.
        m_d->m_centralDir.removeFile(getCount() - 1);
        throw;
    }
    m_d->m_compressor->initCompression(level, entry, nullptr);
    m_entryState = entryWriting;
    return true;
}

void CZipArchive::closeNewFile(bool afterException)
{
    if (m_entryState != entryWriting)
        return;
    CZipFileHeader* entry = m_d->m_centralDir.getOpenedFile();
    m_d->m_compressor->finishCompression(afterException);
    if (!afterException && entry) {
        entry->updateLocalHeader(m_d->m_storage);
        entry->writeDataDescriptor(m_d->m_storage);
        m_d->m_storage.flush();
    }
    m_entryState = entryNone;
    m_d->m_centralDir.closeOpenedFile();
}

// --- Adding files ---------------------------------------------------------------

bool CZipArchive::addFileFromDisk(const QString& diskPath, const QString& nameInArchive, int level, int smartness,
                                  quint32 bufferSize)
{
    addFileInfo info;
    info.m_diskPath = diskPath;
    info.m_nameInArchive = nameInArchive;
    info.m_level = level;
    info.m_smartness = smartness;
    info.m_bufferSize = bufferSize;
    return addFileCore(info);
}

bool CZipArchive::addFileWithFullPath(const QString& diskPath, bool fullPath, int level, int smartness,
                                      quint32 bufferSize)
{
    addFileInfo info;
    info.m_diskPath = diskPath;
    info.m_fullPath = fullPath;
    info.m_level = level;
    info.m_smartness = smartness;
    info.m_bufferSize = bufferSize;
    return addFileCore(info);
}

bool CZipArchive::addFileCore(addFileInfo& info)
{
    if (isClosed() || m_entryState != entryNone)
        return false;
    QString diskPath;
    if (info.m_sourceFile) {
        diskPath = info.m_sourceFile->getFilePath();
    } else {
        diskPath = ZipPlatform::removeTrailingPathSeparators(info.m_diskPath);
        if (diskPath.isEmpty())
            return false;
        if (isArchiveFile(diskPath))
            return false;
    }
    // Replacing entries is not supported yet.
    if (info.m_replaceIndex != -1)
        return false;

    quint32 attributes = 0x20;
    qint64 time = 0;
    if (info.m_sourceFile) {
        time = ZipPlatform::currentTime();
    } else {
        if (!ZipPlatform::getFileAttributes(diskPath, attributes))
            CZipException::throwZipException(CZipException::noAttributes, diskPath);
        ZipPlatform::getFileModTime(diskPath, time);
    }

    CZipFileHeader header;
    header.m_hostSystem = static_cast<quint8>(m_hostSystem);
    header.setSystemAttributes(attributes);
    const bool directory = ZipPlatform::isDirectoryAttribute(attributes);
    header.setFileName(info.m_nameInArchive.isEmpty() ? predictFileNameInZip(diskPath, info.m_fullPath, directory)
                                                      : info.m_nameInArchive);
    header.setTime(time);

    if (directory) {
        if (!openNewFile(header, levelStore, -1))
            return false;
        closeNewFile(false);
        return true;
    }

    int level = info.m_level;
    if (m_compressionMethod == CZipCompressor::methodStore)
        level = levelStore;
    if ((info.m_smartness & smartStoreSmallFiles) && level != levelStore) {
        const qint64 size = probeFileSize(info, diskPath);
        if (size >= 0 && size < 5)
            level = levelStore;
    }
    return addFileDirectly(header, info, diskPath, level);
}

qint64 CZipArchive::probeFileSize(const addFileInfo& info, const QString& diskPath) const
{
    quint64 size;
    if (info.m_sourceFile) {
        size = info.m_sourceFile->getLength();
    } else {
        CZipFile file;
        if (!file.open(diskPath, CZipFile::modeRead | CZipFile::shareDenyWrite, false))
            return -1;
        size = file.getLength();
    }
    return size > CZipCompressor::maxEntrySize ? -1 : static_cast<qint64>(size);
}

bool CZipArchive::addFileDirectly(CZipFileHeader& header, const addFileInfo& info, const QString& diskPath, int level)
{
    CZipFile diskFile;
    CZipAbstractFile* source = info.m_sourceFile;
    if (source) {
        source->seekToBegin();
    } else {
        diskFile.open(diskPath, CZipFile::modeRead | CZipFile::shareDenyNone, true);
        source = &diskFile;
    }
    const quint64 length = source->getLength();
    if (length > CZipCompressor::maxEntrySize)
        CZipException::throwZipException(CZipException::needsZip64, diskPath);
    header.setLocalUncompressedSize(static_cast<quint32>(length));
    if (level == levelStore)
        header.setLocalCompressedSize(static_cast<quint32>(length));

    if (!openNewFile(header, level, -1))
        return false;
    const quint32 pieceSize = info.m_bufferSize ? info.m_bufferSize : defaultBufferSize;
    CZipAutoBuffer buffer(static_cast<int>(pieceSize));
    for (;;) {
        const quint32 got = source->read(buffer.data(), pieceSize);
        m_d->m_compressor->compress(buffer.data(), got);
        if (got < pieceSize)
            break;
    }
    closeNewFile(false);
    return true;
}

bool CZipArchive::addFolderFiles(const QString& folder, const ZipArchiveLib::CFileFilter& filter, bool recursive,
                                 int level, bool skipInitialPath, int smartness, quint32 bufferSize)
{
    if (isClosed())
        return false;
    // The root path serves this call only, also when it throws.
    struct RootPathRestorer {
        QString& rootPath;
        QString previous;
        ~RootPathRestorer() { rootPath = previous; }
    } restorer{m_rootPath, m_rootPath};
    if (skipInitialPath)
        m_rootPath = folder.isEmpty() ? QStringLiteral(".") : ZipPlatform::removeTrailingPathSeparators(folder);

    CAddFilesEnumerator enumerator(folder, recursive, *this, level, smartness, bufferSize);
    return enumerator.walkDirectory(filter);
}

bool CZipArchive::addFolderFilesWithMask(const QString& folder, const QString& mask, bool recursive, int level,
                                         bool skipInitialPath, int smartness, quint32 bufferSize)
{
    const ZipArchiveLib::CNameFileFilter filter(mask, false, ZipArchiveLib::CNameFileFilter::toFile, false);
    return addFolderFiles(folder, filter, recursive, level, skipInitialPath, smartness, bufferSize);
}
