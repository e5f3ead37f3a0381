#ifndef ZIPCENTRALDIR_H
#define ZIPCENTRALDIR_H

#include "ZipAutoBuffer.h"

#include <QtGlobal>

#include <memory>
#include <vector>

class CZipActionCallback;
class CZipArchive;
class CZipFileHeader;
class CZipStorage;

// The entries of an open archive in archive order, and the central directory
// and end record: read from an existing archive, written at close. Entries
// are reached by position.
class CZipCentralDir {
public:
    // What the end record says. Archive objects that show the same directory
    // share one record.
    struct CInfo {
        quint32 m_endRecordPosition = 0;
        quint16 m_thisDisk = 0;
        quint16 m_centralDirDisk = 0;
        quint16 m_entriesOnDisk = 0;
        quint16 m_totalEntries = 0;
        quint32 m_size = 0;
        quint32 m_offset = 0;
        CZipAutoBuffer m_comment;
        int m_lastAddedIndex = -1;
        // The directory is on the storage: written, or read and not changed.
        bool m_written = false;
    };
    static constexpr quint32 endRecordSignature = 0x06054B50;
    static constexpr quint32 zip64LocatorSignature = 0x07064B50;
    static constexpr int endRecordFixedSize = 22;
    static constexpr int maxEntries = 0xFFFF;

    CZipCentralDir();
    virtual ~CZipCentralDir();
    CZipCentralDir(const CZipCentralDir&) = delete;
    CZipCentralDir& operator=(const CZipCentralDir&) = delete;

    void init(CZipArchive* archive, CZipStorage* storage);
    // Drops every entry and starts a new information record.
    void reset();
    // Drops every entry (on close).
    void close();

    // Reads the end record and the central directory of an opened archive.
    void readCentralDirectory();
    // Makes a new entry owned by this directory from a template. Appended, it
    // goes to the end of the archive; at a valid replace position it takes
    // the old entry's place in the list and its offset (the caller makes room
    // there). It becomes the entry being written.
    CZipFileHeader* addNewFile(const CZipFileHeader& header, int replaceIndex, int level, bool keepCrcAndSizes);
    // Deletes the entry at a position.
    void removeFile(int index);
    // Deletes the last entry and cuts the archive at its local header.
    void removeLastFile();
    // Before the archive changes: a directory that is on the storage is cut
    // off, so new data goes where it began and close writes a new one.
    void removeFromDisk();
    // Writes the central directory and the end record, once. The save
    // callback may stop it (207, or 206 in a segmented archive).
    void writeCentralDirectory(CZipActionCallback* callback);
    // Bytes of the central directory and end record as they would be written.
    quint32 getSize();

    int getCount() const { return static_cast<int>(m_headers.size()); }
    CZipFileHeader* getAt(int index) const { return m_headers.at(static_cast<size_t>(index)).get(); }
    CZipFileHeader* getOpenedFile() const { return m_openedFile; }
    void closeOpenedFile() { m_openedFile = nullptr; }
    const CInfo& getInfo() const { return *m_info; }
    bool isWritten() const { return m_info->m_written; }
    // Shares the information record of another directory.
    void shareInfo(const CZipCentralDir& other) { m_info = other.m_info; }

private:
    void readEndRecord();
    void readHeaders();
    void writeHeaders(CZipActionCallback* callback);
    void writeEndRecord();
    // A new segmented archive that still fits its first volume becomes an
    // ordinary archive: descriptors and the leading marker are dropped, then
    // the directory is written. When any step of that throws, the volume,
    // the entries and the storage are put back as they were and the
    // exception passes on: the archive is the segmented one it was.
    bool canBeSingleVolume();
    void writeAsSingleVolume(CZipActionCallback* callback);
    struct CJoinUndo;
    void convertToSingleVolume(CJoinUndo& undo);
    void undoSingleVolume(const CJoinUndo& undo);

    CZipArchive* m_archive = nullptr;
    CZipStorage* m_storage = nullptr;
    CZipFileHeader* m_openedFile = nullptr;
    std::vector<std::unique_ptr<CZipFileHeader>> m_headers;
    std::shared_ptr<CInfo> m_info;
};

#endif
