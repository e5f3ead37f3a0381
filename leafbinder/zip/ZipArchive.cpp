#include "ZipArchive.h"

#include "AddFilesEnumerator.h"
#include "CalculateAddFilesEnumerator.h"
#include "FileFilter.h"
#include "FileInfo.h"
#include "ZipAbstractFile.h"
#include "ZipCentralDir.h"
#include "ZipCompatibility.h"
#include "ZipCrc32Cryptograph.h"
#include "ZipException.h"
#include "ZipFile.h"
#include "ZipFileHeader.h"
#include "ZipMemFile.h"
#include "ZipPathComponent.h"
#include "ZipStorage.h"

#include <algorithm>
#include <map>

namespace {

// Every callback type, for registering a callback under each one a value includes.
const int callbackTypes[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800,
                             0x1001, 0x2000, 0x4000, 0x8000, 0x1C000};

bool isKnownMode(int mode)
{
    const int base = mode & 0xFF;
    const int segmented = mode & ~0xFF;
    const bool baseKnown = base == CZipArchive::zipOpen || base == CZipArchive::zipOpenReadOnly
        || base == CZipArchive::zipCreate || base == CZipArchive::zipCreateAppend;
    const bool segmentedKnown = segmented == 0 || segmented == CZipArchive::zipModeSplit
        || segmented == CZipArchive::zipModeBinarySplit || segmented == CZipArchive::zipModeSpan;
    return baseKnown && segmentedKnown && !(base == CZipArchive::zipCreateAppend && segmented != 0);
}

// The compression level that gives the same deflate flag bits.
int levelFromFlags(const CZipFileHeader& header)
{
    if (header.getMethod() == CZipCompressor::methodStore)
        return 0;
    switch (header.getFlags() & CZipFileHeader::flagLevelBits) {
    case 6:
        return 1;
    case 4:
        return 2;
    case 2:
        return 9;
    default:
        return -1;
    }
}

} // namespace

struct CZipArchive::CInternals {
    CZipStorage m_storage;
    CZipCentralDir m_centralDir;
    std::unique_ptr<CZipCompressor> m_compressor;
    std::unique_ptr<CZipCryptograph> m_cryptograph;
    std::map<int, std::unique_ptr<CZipCompressor::COptions>> m_compressorOptions;
    std::map<int, CZipActionCallback*> m_callbacks;
    CZipAutoBuffer m_moveBuffer;
    // While an entry replaces another: where its room ends.
    bool m_replacing = false;
    quint64 m_replaceEnd = 0;
};

// Keeps the password away from one entry and gives it back afterwards.
struct CZipArchive::CPasswordAside {
    QByteArray& password;
    QByteArray saved;
    bool active = false;

    void setAside()
    {
        if (active)
            return;
        saved = password;
        password.clear();
        active = true;
    }
    ~CPasswordAside()
    {
        if (active)
            password = saved;
    }
};

CZipArchive::CZipArchive()
    : m_d(std::make_unique<CInternals>())
{
    m_d->m_centralDir.init(this, &m_d->m_storage);
}

CZipArchive::~CZipArchive()
{
    // Writes nothing; only the file is released, and nothing escapes.
    if (!isClosed()) {
        try {
            closeArchive(closeAfterException);
        } catch (...) {
        }
    }
}

bool CZipArchive::isClosed() const
{
    return !m_d->m_storage.isOpen();
}

bool CZipArchive::isReadOnly() const
{
    return m_d->m_storage.isReadOnly();
}

bool CZipArchive::isSegmented() const
{
    return m_d->m_storage.isSegmented();
}

int CZipArchive::getCount() const
{
    return m_d->m_centralDir.getCount();
}

QString CZipArchive::archivePath() const
{
    return m_d->m_storage.getArchivePath();
}

// --- Opening and closing ----------------------------------------------------

bool CZipArchive::openArchive(const QString& path, int mode, quint64 volumeSize)
{
    if (!isClosed() || !isKnownMode(mode))
        return false;
    try {
        m_d->m_storage.open(path, mode, volumeSize);
        initArchive();
        const int base = mode & 0xFF;
        if (base == zipOpen || base == zipOpenReadOnly) {
            m_d->m_centralDir.readCentralDirectory();
            if (getCount() > 0) {
                const int host = m_d->m_centralDir.getAt(0)->getSystemCompatibility();
                if (ZipCompatibility::isSupportedHost(host))
                    m_hostSystem = host;
            }
        }
    } catch (...) {
        // A failed open leaves the object closed, so it can be opened again.
        m_d->m_centralDir.reset();
        try {
            m_d->m_storage.close(false, false);
        } catch (...) {
        }
        throw;
    }
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
    m_password.clear();
    m_passwordUtf8 = false;
    m_entryState = entryNone;
    m_rootPath.clear();
    m_d->m_centralDir.reset();
    m_d->m_replacing = false;
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

bool CZipArchive::canChange() const
{
    const CZipStorage& storage = m_d->m_storage;
    return storage.isOpen() && !storage.isReadOnly() && !(storage.isExisting() && storage.isSegmented())
        && m_entryState == entryNone;
}

QString CZipArchive::closeArchive(int closeMode, bool updateTimeStamp)
{
    if (!m_d->m_storage.isOpen())
        return QString();
    if (m_entryState == entryWriting)
        closeNewFile(closeMode != closeNormal);
    if (closeMode != closeAfterException && isWritable())
        m_d->m_centralDir.writeCentralDirectory(getCallback(CZipActionCallback::cbSave));

    qint64 newest = 0;
    if (updateTimeStamp) {
        for (int i = 0; i < getCount(); ++i)
            newest = std::max(newest, m_d->m_centralDir.getAt(i)->getTime());
    }
    const bool written = closeMode != closeAfterException && m_d->m_centralDir.isWritten();
    m_d->m_centralDir.close();
    m_d->m_cryptograph.reset();
    m_password.clear();
    m_d->m_replacing = false;

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

void CZipArchive::flush()
{
    if (!isWritable() || m_entryState != entryNone || m_d->m_storage.isSegmented())
        return;
    m_d->m_centralDir.writeCentralDirectory(getCallback(CZipActionCallback::cbSave));
    m_d->m_storage.flush();
    m_d->m_storage.flushFile();
}

void CZipArchive::setAutoFlush(bool autoFlush)
{
    m_autoFlush = autoFlush;
}

void CZipArchive::autoFlush()
{
    if (m_autoFlush)
        flush();
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

QByteArray CZipArchive::encodePassword(const QString& password) const
{
    CZipAutoBuffer bytes;
    const quint32 codePage = ZipCompatibility::commentCodePage(m_hostSystem);
    // A password the code page cannot hold is kept whole as UTF-8.
    if (ZipPlatform::wideToCodePage(bytes, password, codePage) < 0)
        ZipPlatform::wideToCodePage(bytes, password, ZipPlatform::codePageUtf8);
    return QByteArray(bytes.data(), bytes.size());
}

bool CZipArchive::setPassword(const QString& password)
{
    if (m_entryState != entryNone)
        return false;
    m_password = encodePassword(password);
    CZipAutoBuffer probe;
    m_passwordUtf8 = ZipCompatibility::commentCodePage(m_hostSystem) == ZipPlatform::codePageUtf8
        || ZipPlatform::wideToCodePage(probe, password, ZipCompatibility::commentCodePage(m_hostSystem)) < 0;
    return true;
}

QString CZipArchive::getPassword() const
{
    CZipAutoBuffer bytes(static_cast<int>(m_password.size()));
    if (!m_password.isEmpty())
        std::copy(m_password.begin(), m_password.end(), bytes.data());
    QString text;
    ZipPlatform::codePageToWide(bytes, text, m_passwordUtf8 ? quint32(ZipPlatform::codePageUtf8)
                                                            : quint32(ZipPlatform::codePageAnsi));
    return text;
}

bool CZipArchive::setEncryptionMethod(int method)
{
    if (m_entryState != entryNone || (method != encryptionTraditional && method != encryptionNone))
        return false;
    m_encryptionMethod = method;
    return true;
}

void CZipArchive::setCallback(CZipActionCallback* callback, int types)
{
    for (int type : callbackTypes) {
        if ((types & type) != type)
            continue;
        if (callback)
            m_d->m_callbacks[type] = callback;
        else
            m_d->m_callbacks.erase(type);
    }
}

CZipActionCallback* CZipArchive::getCallback(int type) const
{
    const auto it = m_d->m_callbacks.find(type);
    if (it == m_d->m_callbacks.end())
        return nullptr;
    it->second->setType(type);
    return it->second;
}

void CZipArchive::setSegmCallback(CZipSegmCallback* callback, int mode)
{
    if (mode & zipModeSpan)
        m_d->m_storage.setSegmCallback(callback, true);
    if (mode & (zipModeSplit | zipModeBinarySplit))
        m_d->m_storage.setSegmCallback(callback, false);
}

const CZipFileHeader* CZipArchive::getFileInfo(int index) const
{
    if (index < 0 || index >= getCount())
        return nullptr;
    return m_d->m_centralDir.getAt(index);
}

QByteArray CZipArchive::getGlobalComment() const
{
    const CZipAutoBuffer& comment = m_d->m_centralDir.getInfo().m_comment;
    return QByteArray(comment.data(), comment.size());
}

quint32 CZipArchive::getBytesBeforeArchive() const
{
    return m_d->m_storage.getBytesBeforeArchive();
}

bool CZipArchive::isArchiveFile(const QString& path) const
{
    const QString archive = m_d->m_storage.getVolumePath();
    return !archive.isEmpty() && ZipPlatform::isSameFile(path, archive);
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

// --- Compressor and cryptograph ------------------------------------------------

CZipCompressor* CZipArchive::createCompressor(int method)
{
    return CZipCompressor::createCompressor(method, &m_d->m_storage);
}

CZipCryptograph* CZipArchive::createCryptograph(int encryptionMethod)
{
    if (encryptionMethod == encryptionNone)
        return nullptr;
    return new CZipCrc32Cryptograph;
}

void CZipArchive::prepareCompressor(quint16 method)
{
    if (m_d->m_compressor && m_d->m_compressor->canProcess(method))
        return;
    m_d->m_compressor.reset(createCompressor(method));
    if (!m_d->m_compressor)
        CZipException::throwZipException(CZipException::genericError, archivePath());
    if (const CZipCompressor::COptions* current = m_d->m_compressor->getOptions()) {
        const auto it = m_d->m_compressorOptions.find(current->getType());
        if (it != m_d->m_compressorOptions.end())
            m_d->m_compressor->updateOptions(*it->second);
    }
}

void CZipArchive::prepareCryptograph(quint8 encryptionMethod)
{
    if (encryptionMethod == encryptionNone) {
        m_d->m_cryptograph.reset();
        return;
    }
    if (m_d->m_cryptograph && m_d->m_cryptograph->canHandle(encryptionMethod))
        return;
    m_d->m_cryptograph.reset(createCryptograph(encryptionMethod));
    if (!m_d->m_cryptograph)
        CZipException::throwZipException(CZipException::unsupportedEncryption, archivePath());
}

// --- Entries -------------------------------------------------------------------

bool CZipArchive::checkReplaceIndex(int& replaceIndex)
{
    if (replaceIndex == -1)
        return true;
    if (replaceIndex < 0 || m_d->m_storage.isSegmented() || replaceIndex >= getCount())
        return false;
    if (replaceIndex == getCount() - 1) {
        // The last entry is simply cut off; the new one is appended.
        m_d->m_centralDir.removeFromDisk();
        m_d->m_centralDir.removeLastFile();
        replaceIndex = -1;
    }
    return true;
}

bool CZipArchive::openNewFile(CZipFileHeader& header, int level, int replaceIndex)
{
    if (!canChange())
        return false;
    if (replaceIndex == -1 ? getCount() >= CZipCentralDir::maxEntries
                           : (replaceIndex < 0 || replaceIndex >= getCount() || m_d->m_storage.isSegmented()))
        return false;
    m_d->m_centralDir.removeFromDisk();

    // A file name that is no UTF-8 is written as its own bytes, and only an
    // entry made on Unix tells readers to take such bytes as they are.
    header.setSystemCompatibility(ZipPlatform::holdsNameBytes(header.getFileName()) ? int(ZipCompatibility::hostUnix)
                                                                                     : m_hostSystem);
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
    const bool encrypt = !m_password.isEmpty() && m_encryptionMethod != encryptionNone;
    header.m_encryptionMethod = encrypt ? static_cast<quint8>(m_encryptionMethod) : quint8(encryptionNone);

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
    prepareCryptograph(header.m_encryptionMethod);

    CZipFileHeader* entry = m_d->m_centralDir.addNewFile(header, replaceIndex, level, false);
    try {
        if (replaceIndex >= 0) {
            const quint32 space = entry->getLocalSpace(false);
            makeSpaceForReplace(replaceIndex, space);
            m_d->m_replacing = true;
            m_d->m_replaceEnd = quint64(entry->getOffset()) + space;
        }
        entry->writeLocalHeader(m_d->m_storage);
        if (m_d->m_cryptograph)
            m_d->m_cryptograph->initEncode(m_password, *entry, m_d->m_storage);
    } catch (...) {
        // Without its local header an appended entry must not reach the directory.
        if (replaceIndex < 0)
            m_d->m_centralDir.removeFile(getCount() - 1);
        m_d->m_centralDir.closeOpenedFile();
        m_d->m_cryptograph.reset();
        m_d->m_replacing = false;
        throw;
    }
    m_d->m_compressor->initCompression(level, entry, m_d->m_cryptograph.get());
    m_entryState = entryWriting;
    return true;
}

void CZipArchive::closeNewFile(bool afterException)
{
    if (m_entryState != entryWriting)
        return;
    CZipFileHeader* entry = m_d->m_centralDir.getOpenedFile();
    // The state ends with this call whatever happens in it.
    struct EntryEnd {
        CZipArchive& archive;
        ~EntryEnd()
        {
            archive.m_entryState = entryNone;
            archive.m_d->m_cryptograph.reset();
            archive.m_d->m_centralDir.closeOpenedFile();
            archive.m_d->m_replacing = false;
        }
    } end{*this};
    m_d->m_compressor->finishCompression(afterException);
    if (afterException || !entry)
        return;
    if (m_d->m_cryptograph)
        m_d->m_cryptograph->finishEncode(*entry, m_d->m_storage);
    entry->updateLocalHeader(m_d->m_storage);
    entry->writeDataDescriptor(m_d->m_storage);
    m_d->m_storage.flush();
    // A replacing entry must fill exactly the room made for it.
    if (m_d->m_replacing && m_d->m_storage.getPosition() != m_d->m_replaceEnd)
        CZipException::throwZipException(CZipException::stoppedUnsafely, archivePath());
    m_entryState = entryNone;
    autoFlush();
}

void CZipArchive::abandonEntry(bool removable)
{
    closeNewFile(true);
    if (removable) {
        m_d->m_centralDir.removeLastFile();
        CZipException::throwZipException(CZipException::stoppedSafely, archivePath());
    }
    CZipException::throwZipException(CZipException::stoppedUnsafely, archivePath());
}

// --- Replacing ---------------------------------------------------------------

void CZipArchive::makeSpaceForReplace(int replaceIndex, quint32 newSize)
{
    CZipStorage& storage = m_d->m_storage;
    storage.flush();
    CZipAbstractFile& file = *storage.getFile();
    const quint64 base = storage.getBytesBeforeArchive();
    const quint64 fileEnd = file.getLength();
    const quint32 oldOffset = m_d->m_centralDir.getAt(replaceIndex)->getOffset();
    // The old room ends at the nearest local header behind it.
    quint64 next = fileEnd - base;
    for (int i = 0; i < getCount(); ++i) {
        const quint32 offset = m_d->m_centralDir.getAt(i)->getOffset();
        if (i != replaceIndex && offset > oldOffset)
            next = std::min<quint64>(next, offset);
    }
    const qint64 difference = static_cast<qint64>(oldOffset) + newSize - static_cast<qint64>(next);
    if (difference != 0) {
        if (difference > 0 && fileEnd - base + quint64(difference) > CZipStorage::maxArchiveSize)
            CZipException::throwZipException(CZipException::needsZip64, archivePath());
        moveData(base + next, static_cast<quint64>(static_cast<qint64>(base + next) + difference),
                 fileEnd - base - next, fileEnd, getCallback(CZipActionCallback::cbMoveData));
        for (int i = 0; i < getCount(); ++i) {
            CZipFileHeader* header = m_d->m_centralDir.getAt(i);
            if (i != replaceIndex && header->m_offset > oldOffset)
                header->m_offset = static_cast<quint32>(static_cast<qint64>(header->m_offset) + difference);
        }
    }
    file.seek(static_cast<qint64>(base + oldOffset), CZipAbstractFile::fromBegin);
}

void CZipArchive::moveData(quint64 from, quint64 to, quint64 count, quint64 fileEnd, CZipActionCallback* callback)
{
    CZipAbstractFile& file = *m_d->m_storage.getFile();
    const quint32 bufferSize = m_moveBufferSize ? m_moveBufferSize : defaultBufferSize;
    m_d->m_moveBuffer.allocate(static_cast<int>(bufferSize));
    char* buffer = m_d->m_moveBuffer.data();
    if (callback) {
        callback->init(archivePath(), QString());
        callback->setTotal(count);
    }
    auto movePiece = [&](quint64 offset, quint32 piece) {
        file.seek(static_cast<qint64>(from + offset), CZipAbstractFile::fromBegin);
        if (file.read(buffer, piece) != piece)
            CZipException::throwZipException(CZipException::cannotContinue, archivePath());
        file.seek(static_cast<qint64>(to + offset), CZipAbstractFile::fromBegin);
        file.write(buffer, piece);
        if (callback && !callback->requestCallback(piece)) {
            callback->callbackEnd();
            CZipException::throwZipException(CZipException::stoppedUnsafely, archivePath());
        }
    };
    if (to > from) {
        // Growing: the file is lengthened first and the data moved from its end.
        file.setLength(fileEnd + (to - from));
        quint64 left = count;
        while (left > 0) {
            const quint32 piece = static_cast<quint32>(std::min<quint64>(left, bufferSize));
            left -= piece;
            movePiece(left, piece);
        }
    } else {
        quint64 done = 0;
        while (done < count) {
            const quint32 piece = static_cast<quint32>(std::min<quint64>(count - done, bufferSize));
            movePiece(done, piece);
            done += piece;
        }
        file.setLength(fileEnd - (from - to));
    }
    if (callback) {
        callback->requestLastCallback();
        callback->callbackEnd();
    }
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

bool CZipArchive::compressionDidNotPay(const CZipFileHeader& header)
{
    return header.getDataSize() > header.getUncompressedSize();
}

bool CZipArchive::addFileCore(addFileInfo& info)
{
    if (m_moveBufferSize == 0 || !canChange())
        return false;
    QString diskPath;
    if (info.m_sourceFile) {
        diskPath = info.m_sourceFile->getFilePath();
    } else {
        diskPath = ZipPlatform::removeTrailingPathSeparators(info.m_diskPath);
        if (diskPath.isEmpty() || isArchiveFile(diskPath))
            return false;
    }
    int replaceIndex = info.m_replaceIndex;
    if (!checkReplaceIndex(replaceIndex))
        return false;

    quint32 attributes = 0x20;
    qint64 time = 0;
    if (info.m_sourceInfo) {
        attributes = info.m_sourceInfo->m_attributes;
        time = info.m_sourceInfo->m_modificationTime > 0 ? info.m_sourceInfo->m_modificationTime
                                                          : ZipPlatform::currentTime();
    } else if (info.m_sourceFile) {
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

    CPasswordAside aside{m_password, {}, false};
    const int smartness = info.m_smartness;
    if (directory) {
        if (smartness & smartDirectoriesPlain)
            aside.setAside();
        if (!openNewFile(header, levelStore, replaceIndex))
            return false;
        closeNewFile(false);
        return true;
    }

    int level = (info.m_level < -1 || info.m_level > 9) ? levelDefault : info.m_level;
    if (m_compressionMethod == CZipCompressor::methodStore)
        level = levelStore;
    const bool encrypting = !m_password.isEmpty() && m_encryptionMethod != encryptionNone;
    bool check = (smartness & smartCheckCompression) && level != levelStore;
    bool emptyPlain = (smartness & smartEmptyFilesPlain) && encrypting;
    bool small = (smartness & smartStoreSmallFiles) && level != levelStore;
    const bool segmented = m_d->m_storage.isSegmented();
    bool work = (check && segmented) || (replaceIndex >= 0 && level != levelStore);
    qint64 size = -1;
    if (small || emptyPlain || work) {
        size = probeFileSize(info, diskPath);
        if (size < 0)
            check = emptyPlain = small = false;
        if (emptyPlain && size == 0)
            aside.setAside();
        if (small && size < 5)
            level = levelStore;
    }
    check = check && level != levelStore;
    work = (check && segmented) || (replaceIndex >= 0 && level != levelStore);
    const bool inMemory = check && (smartness & smartCheckInMemory);
    const QString name = header.getFileName();

    if (work) {
        const QString tempName = inMemory ? QString()
                                          : ZipPlatform::getTemporaryFileName(m_tempPath, size > 0 ? quint64(size) : 0);
        if (inMemory || !tempName.isEmpty())
            return addThroughWorkArchive(info, name, level, check, inMemory, tempName, replaceIndex);
    }

    // A direct replacement stores the data, whose size is then known in advance.
    if (replaceIndex >= 0)
        level = levelStore;
    if (!addFileDirectly(header, info, diskPath, level, replaceIndex))
        return false;
    if (check && !segmented && replaceIndex < 0 && compressionDidNotPay(*m_d->m_centralDir.getAt(getCount() - 1))) {
        m_d->m_centralDir.removeFromDisk();
        m_d->m_centralDir.removeLastFile();
        addFileInfo again = info;
        again.m_nameInArchive = name;
        again.m_level = levelStore;
        again.m_smartness = smartSecondPass;
        again.m_replaceIndex = -1;
        return addFileCore(again);
    }
    return true;
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

bool CZipArchive::addFileDirectly(CZipFileHeader& header, const addFileInfo& info, const QString& diskPath, int level,
                                  int replaceIndex)
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

    if (!openNewFile(header, level, replaceIndex))
        return false;
    const bool secondPass = (info.m_smartness & smartSecondPass) == smartSecondPass;
    CZipActionCallback* callback = getCallback(secondPass ? CZipActionCallback::cbAddStore : CZipActionCallback::cbAdd);
    if (callback) {
        callback->init(diskPath, header.getFileName());
        callback->setTotal(length);
    }
    // A replacement must fill exactly the room made for the size measured.
    const bool limited = replaceIndex >= 0;
    quint64 left = length;
    const quint32 pieceSize = info.m_bufferSize ? info.m_bufferSize : defaultBufferSize;
    CZipAutoBuffer buffer(static_cast<int>(pieceSize));
    for (;;) {
        const quint32 wanted = limited ? static_cast<quint32>(std::min<quint64>(left, pieceSize)) : pieceSize;
        const quint32 got = wanted ? source->read(buffer.data(), wanted) : 0;
        m_d->m_compressor->compress(buffer.data(), got);
        left -= std::min<quint64>(left, got);
        const bool last = got < pieceSize || (limited && left == 0);
        if (callback && !callback->requestCallback(got)) {
            const bool nothingLeft = last || source->getPosition() >= source->getLength();
            if (!nothingLeft) {
                callback->callbackEnd();
                abandonEntry(!m_d->m_storage.isSegmented() && replaceIndex < 0);
            }
            try {
                closeNewFile(false);
            } catch (...) {
                callback->callbackEnd();
                abandonEntry(false);
            }
            callback->callbackEnd();
            CZipException::throwZipException(CZipException::stoppedSafely, archivePath());
        }
        if (last)
            break;
    }
    closeNewFile(false);
    if (callback) {
        const bool goOn = callback->requestLastCallback();
        callback->callbackEnd();
        if (!goOn)
            CZipException::throwZipException(CZipException::stoppedSafely, archivePath());
    }
    return true;
}

bool CZipArchive::addThroughWorkArchive(const addFileInfo& info, const QString& name, int level, bool check,
                                        bool inMemory, const QString& tempName, int replaceIndex)
{
    CZipMemFile memory(1024);
    CZipArchive work;
    // The work archive goes in every case, its temporary file with it.
    struct Cleanup {
        CZipArchive& work;
        QString tempName;
        ~Cleanup()
        {
            try {
                work.closeArchive(closeAfterException);
            } catch (...) {
            }
            if (!tempName.isEmpty())
                ZipPlatform::removeFile(tempName, false);
        }
    } cleanup{work, tempName};
    if (inMemory)
        work.openArchive(memory, zipCreate);
    else
        work.openArchive(tempName, zipCreate);
    work.m_rootPath = m_rootPath;
    work.m_password = m_password;
    work.m_passwordUtf8 = m_passwordUtf8;
    work.m_encryptionMethod = (m_encryptionMethod == encryptionNone || m_encryptionMethod == encryptionTraditional)
        ? m_encryptionMethod
        : int(encryptionTraditional);
    work.m_hostSystem = m_hostSystem;
    work.m_compressionMethod = m_compressionMethod;
    for (const auto& options : m_d->m_compressorOptions)
        work.setCompressionOptions(*options.second);
    if (CZipActionCallback* callback = getCallback(CZipActionCallback::cbAdd))
        work.setCallback(callback, CZipActionCallback::cbMultiAdd);

    addFileInfo first = info;
    first.m_nameInArchive = name;
    first.m_level = level;
    first.m_smartness = 0;
    first.m_replaceIndex = -1;
    if (!work.addFileCore(first) || work.getCount() != 1)
        return false;
    if (check && compressionDidNotPay(*work.getFileInfo(0))) {
        work.closeArchive(closeAfterException);
        addFileInfo again = info;
        again.m_nameInArchive = name;
        again.m_level = levelStore;
        again.m_smartness = smartSecondPass;
        again.m_replaceIndex = replaceIndex;
        return addFileCore(again);
    }
    return getFromArchive(work, replaceIndex);
}

// --- Copying from another archive ------------------------------------------------

bool CZipArchive::getFromArchive(CZipArchive& source, int replaceIndex, CZipActionCallback* callback, int sourceIndex)
{
    if (!canChange() || &source == this || source.isClosed() || source.m_entryState != entryNone
        || sourceIndex < 0 || sourceIndex >= source.getCount())
        return false;
    if (replaceIndex == -1 && getCount() >= CZipCentralDir::maxEntries)
        return false;

    CZipStorage& from = source.m_d->m_storage;
    const CZipFileHeader& original = *source.m_d->m_centralDir.getAt(sourceIndex);
    CZipFileHeader header(original);
    header.m_centralDir = nullptr;
    from.seekTo(header.m_diskStart, header.m_offset);
    if (!header.readLocalHeader(from))
        CZipException::throwZipException(CZipException::badArchive, from.getArchivePath());
    const bool sourceDescriptor = (header.m_flags & CZipFileHeader::flagDataDescriptor) != 0;
    if (sourceDescriptor) {
        if (header.m_localCompressedSize == 0)
            header.m_localCompressedSize = header.m_compressedSize;
        if (header.m_localUncompressedSize == 0)
            header.m_localUncompressedSize = header.m_uncompressedSize;
    }
    const bool sourceTraditional = header.m_encryptionMethod == CZipFileHeader::encryptionTraditional;
    if (sourceTraditional)
        header.m_localCompressedSize -= std::min<quint32>(header.m_localCompressedSize, 12);
    header.setSystemCompatibility(m_hostSystem);

    if (!checkReplaceIndex(replaceIndex))
        return false;
    m_d->m_centralDir.removeFromDisk();

    // An encrypted entry is copied as it is; a plain one is encrypted on the
    // way when this archive has a password.
    bool encryptNow = false;
    if (!header.isEncrypted()) {
        encryptNow = !m_password.isEmpty() && m_encryptionMethod != encryptionNone;
        header.m_encryptionMethod = encryptNow ? static_cast<quint8>(m_encryptionMethod) : quint8(encryptionNone);
    }
    prepareCryptograph(encryptNow ? header.m_encryptionMethod : quint8(encryptionNone));

    CZipFileHeader* entry = m_d->m_centralDir.addNewFile(header, replaceIndex, levelFromFlags(original), true);
    if (sourceTraditional && !sourceDescriptor)
        entry->m_flags &= ~CZipFileHeader::flagDataDescriptor;
    if (!(entry->m_flags & CZipFileHeader::flagDataDescriptor)) {
        entry->m_localCompressedSize = entry->m_compressedSize;
        entry->m_localUncompressedSize = entry->m_uncompressedSize;
    }
    CZipStorage& storage = m_d->m_storage;
    quint64 replaceEnd = 0;
    try {
        if (replaceIndex >= 0) {
            const quint32 space = entry->getLocalSpace(false);
            makeSpaceForReplace(replaceIndex, space);
            replaceEnd = quint64(entry->getOffset()) + space;
        }
        entry->writeLocalHeader(storage);
        if (encryptNow)
            m_d->m_cryptograph->initEncode(m_password, *entry, storage);
    } catch (...) {
        if (replaceIndex < 0)
            m_d->m_centralDir.removeFile(getCount() - 1);
        m_d->m_centralDir.closeOpenedFile();
        m_d->m_cryptograph.reset();
        throw;
    }

    if (!callback)
        callback = getCallback(CZipActionCallback::cbAddFromArchive);
    quint64 left = original.getCompressedSize();
    if (callback) {
        callback->init(from.getArchivePath(), entry->getFileName());
        callback->setTotal(left);
    }
    const quint32 bufferSize = m_moveBufferSize ? m_moveBufferSize : defaultBufferSize;
    m_d->m_moveBuffer.allocate(static_cast<int>(bufferSize));
    char* buffer = m_d->m_moveBuffer.data();
    const bool removable = !storage.isSegmented() && replaceIndex < 0;
    bool stopped = false;
    while (left > 0) {
        const quint32 piece = static_cast<quint32>(std::min<quint64>(left, bufferSize));
        from.read(buffer, piece, false);
        if (encryptNow)
            m_d->m_cryptograph->encode(buffer, piece);
        storage.write(buffer, piece, false);
        left -= piece;
        if (callback && !callback->requestCallback(piece)) {
            stopped = true;
            if (left == 0)
                break;
            // Stopped with data left: the partial entry goes where it can.
            callback->callbackEnd();
            m_d->m_cryptograph.reset();
            m_d->m_centralDir.closeOpenedFile();
            if (removable) {
                m_d->m_centralDir.removeLastFile();
                CZipException::throwZipException(CZipException::stoppedSafely, archivePath());
            }
            CZipException::throwZipException(CZipException::stoppedUnsafely, archivePath());
        }
    }
    if (encryptNow)
        m_d->m_cryptograph->finishEncode(*entry, storage);
    entry->writeDataDescriptor(storage);
    storage.flush();
    m_d->m_cryptograph.reset();
    m_d->m_centralDir.closeOpenedFile();
    if (replaceIndex >= 0 && storage.getPosition() != replaceEnd)
        CZipException::throwZipException(CZipException::stoppedUnsafely, archivePath());
    bool goOn = !stopped;
    if (callback) {
        if (goOn)
            goOn = callback->requestLastCallback();
        callback->callbackEnd();
    }
    autoFlush();
    if (!goOn)
        CZipException::throwZipException(CZipException::stoppedSafely, archivePath());
    return true;
}

// --- Folders -------------------------------------------------------------------

bool CZipArchive::addFolderFiles(const QString& folder, const ZipArchiveLib::CFileFilter& filter, bool recursive,
                                 int level, bool skipInitialPath, int smartness, quint32 bufferSize)
{
    return addFolderFilesFrom(nullptr, folder, filter, recursive, level, skipInitialPath, smartness, bufferSize);
}

bool CZipArchive::addFolderFiles(const ZipPlatform::CDirectory& folder, const QString& path,
                                 const ZipArchiveLib::CFileFilter& filter, bool recursive, int level,
                                 bool skipInitialPath, int smartness, quint32 bufferSize)
{
    std::shared_ptr<const ZipPlatform::CDirectory> start = folder.duplicate();
    if (!start) {
        const int error = ZipPlatform::lastError();
        CZipException::throwZipException(error > 0 ? error : CZipException::genericError, path);
    }
    return addFolderFilesFrom(std::move(start), path, filter, recursive, level, skipInitialPath, smartness,
                              bufferSize);
}

bool CZipArchive::addFolderFilesFrom(std::shared_ptr<const ZipPlatform::CDirectory> start, const QString& folder,
                                     const ZipArchiveLib::CFileFilter& filter, bool recursive, int level,
                                     bool skipInitialPath, int smartness, quint32 bufferSize)
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

    // Counting and adding walk the same open folder.
    if (!start)
        start = ZipArchiveLib::CDirEnumerator::openStartDirectory(folder);
    CZipActionCallback* multi = getCallback(CZipActionCallback::cbMultiAdd);
    if (multi) {
        CCalculateAddFilesEnumerator counter(folder, recursive, getCallback(CZipActionCallback::cbCalculateForMulti),
                                             !(smartness & smartSkipDirectories), start);
        if (!counter.walkDirectory(filter))
            return false;
        multi->multiActionsInit(counter.getFileCount(), counter.getByteCount());
    }
    CAddFilesEnumerator enumerator(folder, recursive, *this, level, smartness, bufferSize, multi, start);
    const bool result = enumerator.walkDirectory(filter);
    if (multi)
        multi->multiActionsEnd();
    return result;
}

bool CZipArchive::addFolderFilesWithMask(const QString& folder, const QString& mask, bool recursive, int level,
                                         bool skipInitialPath, int smartness, quint32 bufferSize)
{
    const ZipArchiveLib::CNameFileFilter filter(mask, false, ZipArchiveLib::CNameFileFilter::toFile, false);
    return addFolderFiles(folder, filter, recursive, level, skipInitialPath, smartness, bufferSize);
}
