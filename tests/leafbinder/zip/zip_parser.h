#ifndef ZIP_PARSER_H
#define ZIP_PARSER_H

// A small reader of ZIP archives for the tests, written from the published
// format and independent of the engine: it finds the end record, reads the
// central and local headers field by field, and inflates entries with zlib.

#include <QByteArray>
#include <QList>
#include <QString>

namespace ziptest {

struct LocalRecord {
    qint64 offset = 0;
    quint16 versionNeeded = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 time = 0;
    quint16 date = 0;
    quint32 crc = 0;
    quint32 compressedSize = 0;
    quint32 uncompressedSize = 0;
    QByteArray name;
    QByteArray extra;
    qint64 dataOffset = 0;
};

struct CentralRecord {
    qint64 offset = 0;
    quint16 versionMadeBy = 0;
    quint16 versionNeeded = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 time = 0;
    quint16 date = 0;
    quint32 crc = 0;
    quint32 compressedSize = 0;
    quint32 uncompressedSize = 0;
    quint16 diskStart = 0;
    quint16 internalAttributes = 0;
    quint32 externalAttributes = 0;
    quint32 localOffset = 0;
    QByteArray name;
    QByteArray extra;
    QByteArray comment;
};

struct EndRecord {
    qint64 position = -1;
    quint16 thisDisk = 0;
    quint16 centralDirDisk = 0;
    quint16 entriesOnDisk = 0;
    quint16 totalEntries = 0;
    quint32 size = 0;
    quint32 offset = 0;
    QByteArray comment;
};

class ZipImage {
public:
    explicit ZipImage(const QByteArray& bytes);
    static ZipImage fromFile(const QString& path);

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    const EndRecord& end() const { return m_end; }
    const QList<CentralRecord>& centrals() const { return m_centrals; }
    // The local header each central header points to, in the same order.
    const QList<LocalRecord>& locals() const { return m_locals; }
    // Bytes of entry i's data as stored.
    QByteArray rawData(int i) const;
    // Entry i's content: copied or inflated, its length and CRC checked;
    // empty with *error set on failure.
    QByteArray content(int i, QString* error) const;
    // Whether the local records follow each other without gaps or data
    // descriptors from offset 0 to the central directory.
    bool isContiguous() const;
    int indexOf(const QByteArray& name) const;

private:
    bool parse();

    QByteArray m_bytes;
    QString m_error;
    EndRecord m_end;
    QList<CentralRecord> m_centrals;
    QList<LocalRecord> m_locals;
};

quint32 crcOf(const QByteArray& bytes);

} // namespace ziptest

#endif
