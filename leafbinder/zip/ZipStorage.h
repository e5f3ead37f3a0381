#ifndef ZIPSTORAGE_H
#define ZIPSTORAGE_H

#include "ZipAutoBuffer.h"
#include "ZipFile.h"

#include <QString>

#include <memory>
#include <vector>

class CZipSegmCallback;
class CZipSplitNamesHandler;

// The byte stream of an archive: owns (or borrows) the file that holds it,
// buffers what is written, reports positions relative to the archive's own
// start, finds the end record, and moves from volume to volume of a segmented
// archive: split (book.z01, book.z02, ..., book.zip), binary split
// (book.zip.001, book.zip.002, ...) or spanned over removable disks (the same
// name on every disk). Positions of an archive are 32-bit in its records, so
// a write that would bring a volume to 0xFFFFFFFF bytes or more is refused
// (221) instead of wrapping into a corrupt archive.
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
        stateSpanned = 0x90,
        stateSegmentedBits = 0xF0
    };
    static constexpr quint32 defaultWriteBufferSize = 65536;
    static constexpr quint32 defaultSearchBufferSize = 32768;
    // The largest position any record of a 32-bit archive can name.
    static constexpr quint64 maxArchiveSize = 0xFFFFFFFEu;
    // The marker at the start of the first volume of a segmented archive.
    static constexpr quint32 segmentedMarker = 0x08074B50;

    CZipStorage();
    virtual ~CZipStorage();
    CZipStorage(const CZipStorage&) = delete;
    CZipStorage& operator=(const CZipStorage&) = delete;

    // Opens the archive at path; mode is one of CZipArchive's open modes,
    // optionally with a segmented mode. Errors are raised.
    void open(const QString& path, int mode, quint64 volumeSize);
    // Uses a file of the caller (a memory file, say) for a new archive.
    void openMemory(CZipAbstractFile& file);
    // Ends the work with the file and forgets every state; returns the path of
    // the archive (empty for a caller's file without path, or when not
    // wanted). With the central directory written, the buffer reaches the
    // file and the last volume of a new split archive gets its final name.
    // The state is reset even when the file fails to close.
    QString close(bool writeCentralDirectoryDone, bool wantPath);

    // Appends bytes through the write buffer. In a segmented archive atOnce
    // keeps them in one volume (a record never straddles two).
    void write(const void* data, quint32 count, bool atOnce);
    // Reads count bytes, going on to the next volumes of a segmented archive;
    // with atOnce a read that would cross into another volume fails. Fewer
    // bytes than asked raise 201.
    void read(void* buffer, quint32 count, bool atOnce);
    // Writes the buffer to the file.
    void flush();
    // Makes the file durable (not for read-only or opened segmented archives).
    void flushFile();
    // Writes the buffer out and places the file at its end.
    void seekToEnd();
    // Where the next byte goes, counted from the start of the archive.
    quint64 getPosition() const;
    // Places the file at an offset of the archive's records on a volume
    // (bytes before the archive added on volume 0).
    void seekTo(quint16 disk, quint32 offset);
    // Cuts the archive at an offset of the last volume (the buffer is written
    // out first) and places the file at the new end.
    void truncate(quint32 offset);

    // Makes sure needed bytes fit into the current volume, moving to the
    // next one when they do not.
    void assureFree(quint32 needed);
    // Opens volume number (counted from 0) for reading.
    void changeVolume(quint16 volume);
    // Sets the volumes up from the end record's disk number.
    void setVolumeOnRead(quint16 thisDisk);
    // The position of the end record on the last volume (archive-wide for a
    // binary-split archive); 220 when there is none.
    quint32 findEndRecord();
    // The free bytes of the archive's drive; 0xFFFFFFFF when above 32 bits.
    quint32 getFreeVolumeSpace() const;
    quint32 getFreeInVolume() const { return m_freeInVolume; }
    // A new segmented archive whose data fits one volume becomes an ordinary
    // archive; at close its file takes the archive's name.
    void makeSingleVolume();
    // The segmented state as makeSingleVolume() finds it, for putting it back
    // when the conversion fails part-way; restoring drops whatever the write
    // buffer holds by then.
    struct CSegmentation {
        quint32 state = 0;
        bool madeSingleVolume = false;
        bool renameSingleVolume = false;
        std::vector<quint64> volumeSizes;
    };
    CSegmentation getSegmentation() const;
    void restoreSegmentation(const CSegmentation& saved);

    void setSegmCallback(CZipSegmCallback* callback, bool spanned);
    void setBytesBeforeArchive(quint32 bytes) { m_bytesBeforeArchive = bytes; }

    bool isOpen() const { return (m_state & stateOpened) != 0; }
    bool isReadOnly() const { return (m_state & stateReadOnly) != 0; }
    bool isExisting() const { return (m_state & stateExisting) != 0; }
    bool isSegmented() const { return (m_state & stateSegmented) != 0; }
    bool isSplit() const { return (m_state & stateSplit) == stateSplit; }
    bool isBinarySplit() const { return (m_state & stateBinarySplit) == stateBinarySplit; }
    bool isSpanned() const { return (m_state & stateSpanned) == stateSpanned; }
    // A segmented archive that is being created (and can still be written).
    bool isNewSegmented() const { return isSegmented() && !isExisting(); }
    bool ownsFile() const { return (m_state & stateAutoClose) != 0; }
    quint32 getState() const { return m_state; }
    // The volume the file holds, counted from 0.
    quint16 getCurrentVolume() const { return m_currentVolume < 0 ? 0 : static_cast<quint16>(m_currentVolume); }
    // The disk number records carry: the volume, or 0 in a binary-split
    // archive, which is one stream cut in pieces.
    quint16 getCurrentDisk() const { return isBinarySplit() ? 0 : getCurrentVolume(); }
    quint16 getLastVolume() const { return m_lastVolume; }
    quint32 getBytesBeforeArchive() const { return m_bytesBeforeArchive; }
    quint32 getBufferedBytes() const { return m_bytesInWriteBuffer; }
    CZipAbstractFile* getFile() const { return m_file; }
    QString getArchivePath() const { return m_archivePath; }
    QString getVolumePath() const { return m_volumePath; }

private:
    void openCreated(const QString& path, int mode, quint64 volumeSize);
    void openExisting(const QString& path, int mode);
    void createSplitNames(bool binary);
    void nextVolume(quint32 needed);
    // Creates the file of a new volume, asking the callback as needed.
    void createVolumeFile(quint32 needed);
    bool askCallback(quint64 needed, int reason, int volume, QString& path) const;
    QString volumeName(quint16 volume, bool forReading) const;
    // Binary split: sum of the sizes of the volumes before one.
    quint64 sizeBefore(int volume) const;
    void seekInBinary(quint64 offset);
    void bufferedWrite(const char* data, quint32 count);
    void checkWritable(quint64 count) const;
    [[noreturn]] void raise(int code) const;
    void reset();

    CZipAbstractFile* m_file = nullptr;
    quint32 m_volumeSize = 0;
    quint32 m_bytesInWriteBuffer = 0;
    quint32 m_freeInVolume = 0;
    CZipAutoBuffer m_writeBuffer;
    quint32 m_bytesInVolume = 0;
    int m_currentVolume = -1;
    quint32 m_bytesBeforeArchive = 0;
    quint32 m_writeBufferSize = defaultWriteBufferSize;
    quint32 m_searchBufferSize = defaultSearchBufferSize;
    CZipSegmCallback* m_spanCallback = nullptr;
    CZipSegmCallback* m_splitCallback = nullptr;
    quint32 m_state = 0;
    CZipSegmCallback* m_activeCallback = nullptr;
    QString m_archivePath;
    QString m_volumePath;
    CZipFile m_ownFile;
    std::unique_ptr<CZipSplitNamesHandler> m_splitNames;
    std::vector<quint64> m_volumeSizes;
    quint16 m_lastVolume = 0;
    bool m_madeSingleVolume = false;
    bool m_renameSingleVolume = false;
};

#endif
