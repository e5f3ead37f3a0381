#ifndef ZIPARCHIVE_H
#define ZIPARCHIVE_H

#include "leafbinder_export.h"
#include "ZipCallback.h"
#include "ZipCompressor.h"
#include "ZipPlatform.h"

#include <QString>

#include <memory>

class CZipAbstractFile;
class CZipCryptograph;
class CZipFileHeader;

namespace ZipArchiveLib {
class CFileFilter;
struct CFileInfo;
}

// The ZIP engine's public object: creates an archive or opens an existing one
// and reads its central directory, adds files and folders (optionally
// encrypted with the traditional ZIP encryption), copies entries from other
// archives, replaces entries, and writes the central directory on close.
// Archives may be split into volume files or spanned over removable disks.
//
//   CZipArchive zip;
//   zip.openArchive(path, CZipArchive::zipCreate);
//   zip.addFileFromDisk(disk, name, level, smartness, bufferSize);
//   zip.addFolderFilesWithMask(folder, "*", ...);
//   zip.closeArchive();
//
// Refusals (not open, already open, an entry open, 65,535 entries, a bad
// request) return false; every failure throws CZipException, which leaves the
// archive open: closeArchive(closeAfterException) then releases it. Entries
// of an opened archive are listed in the order of their data; added entries
// follow in the order they are added. One thread at a time.
class LEAFBINDER_EXPORT CZipArchive {
public:
    enum OpenMode {
        zipOpen = 1,              // an existing archive, to read and add to
        zipOpenReadOnly = 3,
        zipCreate = 4,
        zipCreateAppend = 12,     // a new archive after the existing content of a file
        zipModeSplit = 0x100,         // volumes book.z01, book.z02, ..., book.zip
        zipModeBinarySplit = 0x200,   // volumes book.zip.001, book.zip.002, ...
        zipModeSpan = 0x400           // one volume per removable disk
    };
    enum EncryptionMethod { encryptionTraditional = 0, encryptionNone = 255 };
    enum CloseMode {
        closeNormal = 0,
        closeAfterException = 1,          // writes nothing more
        closeAfterExceptionWrite = 2      // writes the central directory all the same
    };
    // Smartness bits, the choices made while adding a file.
    enum Smartness {
        smartDirectoriesPlain = 0x01,     // directories without encryption
        smartEmptyFilesPlain = 0x02,      // empty files without encryption
        smartStoreSmallFiles = 0x04,      // files below 5 bytes are stored
        smartCheckCompression = 0x08,     // store a file that deflates worse
        smartCheckInMemory = 0x10,
        smartSkipDirectories = 0x20,      // no directory entries when adding a folder
        smartSecondPass = 0xF000,         // internal
        smartDefault = smartDirectoriesPlain | smartEmptyFilesPlain | smartStoreSmallFiles
    };
    enum Level { levelDefault = -1, levelStore = 0, levelBest = 9 };
    static constexpr quint32 defaultBufferSize = 65536;

    // One request to add a file.
    struct addFileInfo {
        // When set, data is read from this file instead of a disk file.
        CZipAbstractFile* m_sourceFile = nullptr;
        QString m_diskPath;
        // Empty: derived from the disk path.
        QString m_nameInArchive;
        bool m_fullPath = true;
        int m_level = levelDefault;
        int m_smartness = smartDefault;
        int m_replaceIndex = -1;
        quint32 m_bufferSize = defaultBufferSize;
        // When set, the attributes and time of the entry, as a folder walk
        // found them; otherwise they are read from the disk path (a source
        // file without them counts as a plain file of the current time).
        // Last, so requests written in the order of the fields above still
        // compile.
        const ZipArchiveLib::CFileInfo* m_sourceInfo = nullptr;
    };

    CZipArchive();
    // Writes nothing: an archive must be closed before. The file is released.
    virtual ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opens an archive at path. zipCreate makes (or empties) the file,
    // zipCreateAppend writes a new archive after what the file holds, zipOpen
    // and zipOpenReadOnly read the central directory of an existing archive.
    // A segmented mode may be added: to create a split archive (volumeSize
    // is the largest volume), to open a binary-split one by its last volume,
    // or for a spanned one. False when an archive is already open or the mode
    // is unknown; a failure throws and leaves the object closed.
    bool openArchive(const QString& path, int mode = zipCreate, quint64 volumeSize = 0);
    // A new archive on a file of the caller, such as a CZipMemFile (zipCreate only).
    bool openArchive(CZipAbstractFile& file, int mode = zipCreate);
    // Closes the archive (see CloseMode); with updateTimeStamp the archive file
    // gets the time of its newest entry. Returns the archive's path, empty when
    // nothing was open.
    QString closeArchive(int closeMode = closeNormal, bool updateTimeStamp = false);
    bool isClosed() const;
    bool isReadOnly() const;
    // Whether the archive is split or spanned over volumes.
    bool isSegmented() const;
    // Writes the central directory (of an archive of one volume) and makes the
    // file durable, so the archive is complete even if the program stops.
    void flush();
    // With auto-flush the central directory is written after every change.
    // Segmented archives are written at close only.
    void setAutoFlush(bool autoFlush = true);
    bool getAutoFlush() const { return m_autoFlush; }

    // Adds a disk file (or an empty directory entry for a directory) under
    // nameInArchive (derived from the path when empty).
    bool addFileFromDisk(const QString& diskPath, const QString& nameInArchive, int level = levelDefault,
                         int smartness = smartDefault, quint32 bufferSize = defaultBufferSize);
    bool addFileWithFullPath(const QString& diskPath, bool fullPath = true, int level = levelDefault,
                             int smartness = smartDefault, quint32 bufferSize = defaultBufferSize);
    // Adds as the request says; with m_replaceIndex the entry at that position
    // is replaced and the data behind it moved.
    bool addFileCore(addFileInfo& info);
    // Copies the entry at sourceIndex of another open archive without
    // recompressing it (encrypting it on the way when this archive has a
    // password and the entry is plain). With replaceIndex the entry at that
    // position is replaced. callback, when given, is told the progress in
    // place of the one registered for cbAddFromArchive.
    bool getFromArchive(CZipArchive& source, int replaceIndex = -1, CZipActionCallback* callback = nullptr,
                        int sourceIndex = 0);
    // Adds what a walk of folder takes through the filter. With skipInitialPath
    // the names are relative to folder. A failing add ends the walk with false.
    // The folder is opened once, without following a link at its name, and
    // walked from there (see CDirEnumerator).
    bool addFolderFiles(const QString& folder, const ZipArchiveLib::CFileFilter& filter, bool recursive = true,
                        int level = levelDefault, bool skipInitialPath = true, int smartness = smartDefault,
                        quint32 bufferSize = defaultBufferSize);
    // The same for a folder the caller holds open already; path names it.
    bool addFolderFiles(const ZipPlatform::CDirectory& folder, const QString& path,
                        const ZipArchiveLib::CFileFilter& filter, bool recursive = true, int level = levelDefault,
                        bool skipInitialPath = true, int smartness = smartDefault,
                        quint32 bufferSize = defaultBufferSize);
    // addFolderFiles() with a case-insensitive name pattern that applies to
    // files only, so no directory entries are made.
    bool addFolderFilesWithMask(const QString& folder, const QString& mask = QStringLiteral("*"),
                                bool recursive = true, int level = levelDefault, bool skipInitialPath = true,
                                int smartness = smartDefault, quint32 bufferSize = defaultBufferSize);

    // Entries added from now on are encrypted with it; empty clears it. Held
    // as UTF-8 for the Unix and Mac hosts, Windows-1252 otherwise (UTF-8 for
    // a password that code page cannot hold). Not while an entry is written.
    bool setPassword(const QString& password = QString());
    QString getPassword() const;
    // encryptionTraditional, or encryptionNone to add plain entries even with
    // a password set.
    bool setEncryptionMethod(int method);
    int getEncryptionMethod() const { return m_encryptionMethod; }

    // Registers a callback under every type the value includes (see
    // CZipActionCallback::CallbackType); null removes them.
    void setCallback(CZipActionCallback* callback, int types = CZipActionCallback::cbAll);
    CZipActionCallback* getCallback(int type) const;
    // The callback asked for volumes: mode zipModeSpan, zipModeSplit (which
    // serves binary split too) or both.
    void setSegmCallback(CZipSegmCallback* callback, int mode = zipModeSpan);
    // Where work archives are made when an entry is first compressed apart;
    // empty means the system's temporary folder.
    void setTempPath(const QString& path) { m_tempPath = path; }
    QString getTempPath() const { return m_tempPath; }
    // Buffer for moving data inside the archive and copying entries.
    void setMoveBufferSize(quint32 size) { m_moveBufferSize = size; }

    // Names of added files are made relative to this path; empty clears it.
    // Only while open and no entry is being written.
    void setRootPath(const QString& path = QString());
    QString getRootPath() const { return m_rootPath; }
    // The host system written into new entries: 0, 3, 6, 7, 11, 15 or 20.
    bool setSystemCompatibility(int host);
    int getSystemCompatibility() const { return m_hostSystem; }
    // 8 deflates, 0 stores every entry.
    bool setCompressionMethod(quint16 method);
    quint16 getCompressionMethod() const { return m_compressionMethod; }
    // Kept by type and given to every new compressor of that type.
    void setCompressionOptions(const CZipCompressor::COptions& options);

    // The name a disk path gets in the archive.
    QString predictFileNameInZip(const QString& diskPath, bool fullPath, bool isDirectory) const;

    int getCount() const;
    // The entry at a position; null outside the list.
    const CZipFileHeader* getFileInfo(int index) const;
    // The archive's comment, as its bytes.
    QByteArray getGlobalComment() const;
    // Where the archive begins in its file (a program stub before it, say).
    quint32 getBytesBeforeArchive() const;

protected:
    virtual CZipCryptograph* createCryptograph(int encryptionMethod);
    virtual CZipCompressor* createCompressor(int method);

private:
    friend class CAddFilesEnumerator;
    enum EntryState { entryNone = 0, entryWriting = 1 };
    struct CPasswordAside;

    // Whether path names the archive's own file, which is never added to itself.
    bool isArchiveFile(const QString& path) const;
    bool openNewFile(CZipFileHeader& header, int level, int replaceIndex);
    void closeNewFile(bool afterException);
    void prepareCompressor(quint16 method);
    void prepareCryptograph(quint8 encryptionMethod);
    void initArchive();
    bool isWritable() const;
    // Whether entries may be added: open, writable, not an opened segmented
    // archive, no entry being written.
    bool canChange() const;
    // Checks a replace position as adding does: -1 stays, the last entry is
    // removed (giving -1), others stay; false when it is refused.
    bool checkReplaceIndex(int& replaceIndex);
    // Makes room of newSize bytes at the entry being replaced, moving what
    // lies behind it, and places the storage at its local header.
    void makeSpaceForReplace(int replaceIndex, quint32 newSize);
    void moveData(quint64 from, quint64 to, quint64 count, quint64 fileEnd, CZipActionCallback* callback);
    // Writes the central directory after a change when auto-flush is on.
    void autoFlush();
    // Both addFolderFiles: the walk begins in start, or opens folder when null.
    bool addFolderFilesFrom(std::shared_ptr<const ZipPlatform::CDirectory> start, const QString& folder,
                            const ZipArchiveLib::CFileFilter& filter, bool recursive, int level,
                            bool skipInitialPath, int smartness, quint32 bufferSize);
    // Step of addFileCore: write the data of a file as one entry.
    bool addFileDirectly(CZipFileHeader& header, const addFileInfo& info, const QString& diskPath, int level,
                         int replaceIndex);
    // Step of addFileCore: the entry is first made in a work archive.
    bool addThroughWorkArchive(const addFileInfo& info, const QString& name, int level, bool check,
                               bool inMemory, const QString& tempName, int replaceIndex);
    // Whether the compressed data of an entry came out larger than the data.
    static bool compressionDidNotPay(const CZipFileHeader& header);
    // Size of a file about to be added; -1 when it cannot be had.
    qint64 probeFileSize(const addFileInfo& info, const QString& diskPath) const;
    // Abandons the entry being written after a stop; in an ordinary archive
    // without replacing it is removed and 207 raised, otherwise 206.
    [[noreturn]] void abandonEntry(bool removable);
    QString archivePath() const;
    QByteArray encodePassword(const QString& password) const;

    // The storage, the central directory, the compressor and its options:
    // library-internal classes, kept out of this exported header.
    struct CInternals;

    bool m_removeDriveFromFullPaths = true;
    ZipPlatform::NameCompareFunction m_compareNames = &ZipPlatform::compareNamesCaseInsensitive;
    std::unique_ptr<CInternals> m_d;
    int m_entryState = entryNone;
    QString m_rootPath;
    int m_hostSystem = 0;
    quint16 m_compressionMethod = CZipCompressor::methodDeflate;
    bool m_autoFlush = false;
    QString m_tempPath;
    QByteArray m_password;
    bool m_passwordUtf8 = false;
    int m_encryptionMethod = encryptionTraditional;
    quint32 m_moveBufferSize = defaultBufferSize;
};

#endif
