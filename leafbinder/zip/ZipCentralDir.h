#ifndef ZIPCENTRALDIR_H
#define ZIPCENTRALDIR_H

#include "ZipAutoBuffer.h"

#include <QtGlobal>

#include <memory>
#include <vector>

class CZipArchive;
class CZipFileHeader;
class CZipStorage;

// The entries of an open archive in archive order, and the central directory
// and end record written for them at close. Entries are reached by position.
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
        bool m_written = false;
    };
    static constexpr quint32 endRecordSignature = 0x06054B50;
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

    // Makes a new entry owned by this directory from a template and appends
    // it; it becomes the entry being written.
    CZipFileHeader* addNewFile(const CZipFileHeader& header, int level, bool keepCrcAndSizes);
    // Deletes the entry at a position.
    void removeFile(int index);
    // Writes the central directory and the end record, once.
    void writeCentralDirectory();
    // Bytes of the central directory and end record as they would be written.
    quint32 getSize();

    int getCount() const { return static_cast<int>(m_headers.size()); }
    CZipFileHeader* getAt(int index) const { return m_headers.at(static_cast<size_t>(index)).get(); }
    CZipFileHeader* getOpenedFile() const { return m_openedFile; }
    void closeOpenedFile() { m_openedFile = nullptr; }
    const CInfo& getInfo() const { return *m_info; }
    bool isWritten() const { return m_info->m_written; }

private:
    void writeEndRecord();

    CZipArchive* m_archive = nullptr;
    CZipStorage* m_storage = nullptr;
    CZipFileHeader* m_openedFile = nullptr;
    std::vector<std::unique_ptr<CZipFileHeader>> m_headers;
    std::shared_ptr<CInfo> m_info;
};

#endif
