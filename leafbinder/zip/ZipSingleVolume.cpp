// The central directory's conversion of a new segmented archive that still
// fits its first volume into an ordinary archive, and its undo.
#include "ZipCentralDir.h"

#include "ZipAbstractFile.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipRecordBuffer.h"
#include "ZipStorage.h"

#include <QByteArray>

#include <algorithm>

namespace {

constexpr quint32 kPieceSize = 65536;
constexpr int kHeaderFixedSize = 30;
constexpr int kDescriptorSize = 16;
constexpr int kMarkerSize = 4;

void readAt(CZipAbstractFile& file, quint64 offset, char* bytes, quint32 count, const QString& path)
{
    file.seek(static_cast<qint64>(offset), CZipAbstractFile::fromBegin);
    if (file.read(bytes, count) != count)
        CZipException::throwZipException(CZipException::badArchive, path);
}

void writeAt(CZipAbstractFile& file, quint64 offset, const QByteArray& bytes)
{
    file.seek(static_cast<qint64>(offset), CZipAbstractFile::fromBegin);
    file.write(bytes.constData(), static_cast<quint32>(bytes.size()));
}

} // namespace

// What the conversion changed, enough to change it back: each entry's bytes
// move down by its shift, front to back; the bytes they land on are either
// moved already, or the marker, a dropped descriptor or a patched local
// header, which are kept here.
struct CZipCentralDir::CJoinUndo {
    struct CEntry {
        quint32 offset = 0;       // of the local header before the conversion
        quint32 length = 0;       // bytes that move: header, data and a kept descriptor
        quint32 shift = 0;        // how far they move down
        quint32 moved = 0;        // how many have moved so far
        bool dropDescriptor = false;
        QByteArray header;        // the fixed part of the local header
        QByteArray descriptor;    // the dropped descriptor
        quint16 flags = 0;
        quint32 localCompressedSize = 0;
        quint32 localUncompressedSize = 0;
    };
    CZipStorage::CSegmentation segmentation;
    // Set once everything below is known; until then the file is unchanged.
    bool ready = false;
    quint64 fileEnd = 0;
    QByteArray marker;
    std::vector<CEntry> entries;
    // A piece read and not known to be written whole: its bytes as they were.
    quint64 pieceOffset = 0;
    QByteArray piece;
    bool pieceInFlight = false;
};

bool CZipCentralDir::canBeSingleVolume()
{
    if (!m_storage->isNewSegmented() || m_storage->getCurrentVolume() != 0)
        return false;
    quint64 saved = kMarkerSize;
    for (const auto& header : m_headers) {
        if ((header->m_flags & CZipFileHeader::flagDataDescriptor)
            && header->m_encryptionMethod != CZipFileHeader::encryptionTraditional)
            saved += kDescriptorSize;
    }
    const quint64 size = getSize();
    return size <= saved || size - saved <= m_storage->getFreeInVolume();
}

void CZipCentralDir::writeAsSingleVolume(CZipActionCallback* callback)
{
    CJoinUndo undo;
    try {
        convertToSingleVolume(undo);
        writeHeaders(callback);
        writeEndRecord();
    } catch (...) {
        // The first failure is the one to report, also when undoing fails.
        try {
            undoSingleVolume(undo);
        } catch (...) {
        }
        throw;
    }
    m_info->m_written = true;
}

void CZipCentralDir::convertToSingleVolume(CJoinUndo& undo)
{
    undo.segmentation = m_storage->getSegmentation();
    m_storage->flush();
    CZipAbstractFile& file = *m_storage->getFile();
    const QString path = m_storage->getArchivePath();
    undo.fileEnd = file.getLength();

    // Everything the moves will overwrite is read before the first write.
    undo.marker.resize(kMarkerSize);
    readAt(file, 0, undo.marker.data(), kMarkerSize, path);
    quint32 removed = kMarkerSize;
    for (const auto& header : m_headers) {
        CJoinUndo::CEntry entry;
        const quint32 descriptor = static_cast<quint32>(header->getDataDescriptorSize(true));
        entry.offset = header->m_offset;
        entry.dropDescriptor = descriptor > 0 && header->m_encryptionMethod != CZipFileHeader::encryptionTraditional;
        entry.length = header->m_localHeaderSize + header->m_compressedSize + (entry.dropDescriptor ? 0 : descriptor);
        entry.shift = removed;
        entry.flags = header->m_flags;
        entry.localCompressedSize = header->m_localCompressedSize;
        entry.localUncompressedSize = header->m_localUncompressedSize;
        entry.header.resize(kHeaderFixedSize);
        readAt(file, entry.offset, entry.header.data(), kHeaderFixedSize, path);
        if (entry.dropDescriptor) {
            entry.descriptor.resize(kDescriptorSize);
            readAt(file, quint64(entry.offset) + entry.length, entry.descriptor.data(), kDescriptorSize, path);
            removed += kDescriptorSize;
        }
        undo.entries.push_back(entry);
    }
    undo.ready = true;

    for (size_t i = 0; i < m_headers.size(); ++i) {
        CZipFileHeader& header = *m_headers.at(i);
        CJoinUndo::CEntry& entry = undo.entries.at(i);
        if (entry.dropDescriptor) {
            // The local header gets the flags, CRC and sizes it lacked.
            header.m_flags &= ~CZipFileHeader::flagDataDescriptor;
            header.m_localCompressedSize = header.m_compressedSize;
            header.m_localUncompressedSize = header.m_uncompressedSize;
            CZipRecordBuffer flags(2);
            flags.putUInt16(header.m_flags);
            writeAt(file, entry.offset + 6, QByteArray(flags.data(), 2));
            CZipRecordBuffer sizes(12);
            sizes.putUInt32(header.m_crc32);
            sizes.putUInt32(header.m_compressedSize);
            sizes.putUInt32(header.m_uncompressedSize);
            writeAt(file, entry.offset + 14, QByteArray(sizes.data(), 12));
        }
        // Moved down front to back, which never overwrites what is still to move.
        while (entry.moved < entry.length) {
            const quint32 count = std::min(entry.length - entry.moved, kPieceSize);
            const quint64 from = quint64(entry.offset) + entry.moved;
            undo.piece.resize(static_cast<qsizetype>(count));
            readAt(file, from, undo.piece.data(), count, path);
            undo.pieceOffset = from;
            undo.pieceInFlight = true;
            writeAt(file, from - entry.shift, undo.piece);
            undo.pieceInFlight = false;
            entry.moved += count;
        }
        header.m_offset = entry.offset - entry.shift;
    }
    file.setLength(undo.fileEnd - removed);
    file.seekToEnd();
    m_storage->makeSingleVolume();
}

void CZipCentralDir::undoSingleVolume(const CJoinUndo& undo)
{
    // A directory written in part goes with the buffer.
    m_storage->restoreSegmentation(undo.segmentation);
    if (!undo.ready)
        return;
    CZipAbstractFile& file = *m_storage->getFile();
    const QString path = m_storage->getArchivePath();
    if (file.getLength() != undo.fileEnd)
        file.setLength(undo.fileEnd);
    if (undo.pieceInFlight)
        writeAt(file, undo.pieceOffset, undo.piece);
    // Back up, last entry first and back to front, the mirror of the moves.
    QByteArray buffer;
    for (auto entry = undo.entries.rbegin(); entry != undo.entries.rend(); ++entry) {
        quint32 left = entry->moved;
        while (left > 0) {
            const quint32 count = std::min(left, kPieceSize);
            left -= count;
            buffer.resize(static_cast<qsizetype>(count));
            readAt(file, quint64(entry->offset) - entry->shift + left, buffer.data(), count, path);
            writeAt(file, quint64(entry->offset) + left, buffer);
        }
    }
    for (size_t i = 0; i < undo.entries.size(); ++i) {
        const CJoinUndo::CEntry& entry = undo.entries.at(i);
        writeAt(file, entry.offset, entry.header);
        if (entry.dropDescriptor)
            writeAt(file, quint64(entry.offset) + entry.length, entry.descriptor);
        CZipFileHeader& header = *m_headers.at(i);
        header.m_offset = entry.offset;
        header.m_flags = entry.flags;
        header.m_localCompressedSize = entry.localCompressedSize;
        header.m_localUncompressedSize = entry.localUncompressedSize;
    }
    writeAt(file, 0, undo.marker);
    file.seekToEnd();
}
