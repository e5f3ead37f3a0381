#ifndef ZIPARCHIVE_H
#define ZIPARCHIVE_H

#include "leafbinder_export.h"
#include "ZipCompressor.h"
#include "ZipPlatform.h"

#include <QString>

#include <memory>

class CZipAbstractFile;
class CZipFileHeader;

namespace ZipArchiveLib {
class CFileFilter;
}

// The ZIP engine's public object: creates an archive, adds files and folders,
// and writes the central directory on close.
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
// appear in the archive in the order they are added. One thread at a time.
class LEAFBINDER_EXPORT CZipArchive {
public:
    enum OpenMode {
        zipOpen = 1,
        zipOpenReadOnly = 3,
        zipCreate = 4,
        zipCreateAppend = 12,     // a new archive after the existing content of a file
        zipModeSplit = 0x100,
        zipModeBinarySplit = 0x200,
        zipModeSpan = 0x400
    };
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
    };

    CZipArchive();
    // Writes nothing: an archive must be closed before. The file is released.
    virtual ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opens a new archive at path: zipCreate makes (or empties) the file,
    // zipCreateAppend writes after what the file holds. False when an archive
    // is already open or the mode is not one of these two.
    bool openArchive(const QString& path, int mode = zipCreate, quint64 volumeSize = 0);
    // The same on a file of the caller, such as a CZipMemFile (zipCreate only).
    bool openArchive(CZipAbstractFile& file, int mode = zipCreate);
    // Closes the archive (see CloseMode); with updateTimeStamp the archive file
    // gets the time of its newest entry. Returns the archive's path, empty when
    // nothing was open.
    QString closeArchive(int closeMode = closeNormal, bool updateTimeStamp = false);
    bool isClosed() const;

    // Adds a disk file (or an empty directory entry for a directory) under
    // nameInArchive (derived from the path when empty).
    bool addFileFromDisk(const QString& diskPath, const QString& nameInArchive, int level = levelDefault,
                         int smartness = smartDefault, quint32 bufferSize = defaultBufferSize);
    bool addFileWithFullPath(const QString& diskPath, bool fullPath = true, int level = levelDefault,
                             int smartness = smartDefault, quint32 bufferSize = defaultBufferSize);
    bool addFileCore(addFileInfo& info);
    // Adds what a walk of folder takes through the filter. With skipInitialPath
    // the names are relative to folder. A failing add ends the walk with false.
    bool addFolderFiles(const QString& folder, const ZipArchiveLib::CFileFilter& filter, bool recursive = true,
                        int level = levelDefault, bool skipInitialPath = true, int smartness = smartDefault,
                        quint32 bufferSize = defaultBufferSize);
    // addFolderFiles() with a case-insensitive name pattern that applies to
    // files only, so no directory entries are made.
    bool addFolderFilesWithMask(const QString& folder, const QString& mask = QStringLiteral("*"),
                                bool recursive = true, int level = levelDefault, bool skipInitialPath = true,
                                int smartness = smartDefault, quint32 bufferSize = defaultBufferSize);

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

protected:
    virtual CZipCompressor* createCompressor(int method);

private:
    friend class CAddFilesEnumerator;
    enum EntryState { entryNone = 0, entryWriting = 1 };

    // Whether path names the archive's own file, which is never added to itself.
    bool isArchiveFile(const QString& path) const;
    bool openNewFile(CZipFileHeader& header, int level, int replaceIndex);
    void closeNewFile(bool afterException);
    void prepareCompressor(quint16 method);
    void initArchive();
    bool isWritable() const;
    // Step of addFileCore: write the data of a file as one entry.
    bool addFileDirectly(CZipFileHeader& header, const addFileInfo& info, const QString& diskPath, int level);
    // Size of a file about to be added; -1 when it cannot be had.
    qint64 probeFileSize(const addFileInfo& info, const QString& diskPath) const;

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
};

#endif
