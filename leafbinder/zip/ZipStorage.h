#ifndef ZIPSTORAGE_H
#define ZIPSTORAGE_H

#include "ZipAutoBuffer.h"
#include "ZipFile.h"

#include <QString>

// The byte stream of an archive: owns (or borrows) the file that holds it,
// buffers what is written, and reports positions relative to the archive's own
// start. Positions of an archive are 32-bit in its records, so a write that
// would bring the archive to 0xFFFFFFFF bytes or more is refused (221) instead
// of wrapping into a corrupt archive.
class CZipStorage {
public:
    // The state bits.
    enum State : quint32 {
        stateOpened = 0x01,
        stateReadOnly = 0x02,
        stateAutoClose = 0x04,
        stateExisting = 0x08,
        stateSegmented = 0x10,
        stateSplit = 0x30,
        stateBinarySplit = 0x70,
        stateSpanned = 0x90
    };
    static constexpr quint32 defaultWriteBufferSize = 65536;
    static constexpr quint32 defaultSearchBufferSize = 32768;
    // The largest position any record of a 32-bit archive can name.
    static constexpr quint64 maxArchiveSize = 0xFFFFFFFEu;

    CZipStorage();
    virtual ~CZipStorage();
    CZipStorage(const CZipStorage&) = delete;
    CZipStorage& operator=(const CZipStorage&) = delete;

    // Opens the archive file at path; mode is one of CZipArchive's open modes.
    // Only creating (4) and creating after existing data (12) are handled here.
    void open(const QString& path, int mode, quint64 volumeSize);
    // Uses a file of the caller (a memory file, say) for a new archive.
    void openMemory(CZipAbstractFile& file);
    // Ends the work with the file and forgets every state; returns the path of
    // the archive (empty for a caller's file without path, or when not
    // wanted). The buffer reaches the file only when the central directory was
    // written; the state is reset even when the file fails to close.
    QString close(bool writeCentralDirectoryDone, bool wantPath);

    // Appends bytes through the write buffer.
    void write(const void* data, quint32 count, bool atOnce);
    // Writes the buffer to the file.
    void flush();
    // Makes the file durable (not for read-only or opened segmented archives).
    void flushFile();
    // Writes the buffer out and places the file at its end.
    void seekToEnd();
    // Where the next byte goes, counted from the start of the archive.
    quint64 getPosition() const;

    bool isOpen() const { return (m_state & stateOpened) != 0; }
    bool isReadOnly() const { return (m_state & stateReadOnly) != 0; }
    bool isExisting() const { return (m_state & stateExisting) != 0; }
    bool isSegmented() const { return (m_state & stateSegmented) != 0; }
    bool isBinarySplit() const { return (m_state & stateBinarySplit) == stateBinarySplit; }
    bool ownsFile() const { return (m_state & stateAutoClose) != 0; }
    quint32 getState() const { return m_state; }
    quint16 getCurrentVolume() const { return m_currentVolume < 0 ? 0 : static_cast<quint16>(m_currentVolume); }
    quint32 getBytesBeforeArchive() const { return m_bytesBeforeArchive; }
    quint32 getBufferedBytes() const { return m_bytesInWriteBuffer; }
    CZipAbstractFile* getFile() const { return m_file; }
    QString getArchivePath() const { return m_archivePath; }

private:
    void checkWritable(quint64 count) const;
    void writeToFile(const void* data, quint32 count);
    void reset();

    CZipAbstractFile* m_file = nullptr;
    quint32 m_volumeSize = 0;
    quint32 m_bytesInWriteBuffer = 0;
    CZipAutoBuffer m_writeBuffer;
    int m_currentVolume = -1;
    quint32 m_bytesBeforeArchive = 0;
    quint32 m_writeBufferSize = defaultWriteBufferSize;
    quint32 m_searchBufferSize = defaultSearchBufferSize;
    quint32 m_state = 0;
    QString m_archivePath;
    CZipFile m_ownFile;
};

#endif
