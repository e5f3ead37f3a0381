#include "zip_parser.h"

#include <QFile>

#include <zlib.h>

namespace ziptest {

namespace {

// Reads little-endian numbers from a byte array, noting any read past its end.
class Reader {
public:
    Reader(const QByteArray& bytes, qint64 position)
        : m_bytes(bytes), m_position(position)
    {
    }
    quint16 u16()
    {
        const quint16 low = u8();
        return static_cast<quint16>(low | (u8() << 8));
    }
    quint32 u32()
    {
        const quint32 low = u16();
        return low | (static_cast<quint32>(u16()) << 16);
    }
    QByteArray bytes(int count)
    {
        if (m_position < 0 || m_position + count > m_bytes.size()) {
            m_bad = true;
            return QByteArray();
        }
        const QByteArray part = m_bytes.mid(m_position, count);
        m_position += count;
        return part;
    }
    qint64 position() const { return m_position; }
    bool bad() const { return m_bad; }

private:
    quint8 u8()
    {
        if (m_position < 0 || m_position >= m_bytes.size()) {
            m_bad = true;
            return 0;
        }
        return static_cast<quint8>(m_bytes.at(m_position++));
    }

    const QByteArray& m_bytes;
    qint64 m_position;
    bool m_bad = false;
};

} // namespace

quint32 crcOf(const QByteArray& bytes)
{
    return static_cast<quint32>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(bytes.size())));
}

ZipImage::ZipImage(const QByteArray& bytes)
    : m_bytes(bytes)
{
    parse();
}

ZipImage ZipImage::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ZipImage(QByteArray());
    return ZipImage(file.readAll());
}

bool ZipImage::parse()
{
    // The end record: its signature, with a comment that reaches the end.
    for (qint64 at = m_bytes.size() - 22; at >= 0 && at >= m_bytes.size() - 22 - 0xFFFF; --at) {
        if (m_bytes.at(at) != 'P' || m_bytes.at(at + 1) != 'K' || m_bytes.at(at + 2) != 5 || m_bytes.at(at + 3) != 6)
            continue;
        Reader r(m_bytes, at + 4);
        EndRecord end;
        end.position = at;
        end.thisDisk = r.u16();
        end.centralDirDisk = r.u16();
        end.entriesOnDisk = r.u16();
        end.totalEntries = r.u16();
        end.size = r.u32();
        end.offset = r.u32();
        const quint16 commentLength = r.u16();
        end.comment = r.bytes(commentLength);
        if (!r.bad() && r.position() == m_bytes.size()) {
            m_end = end;
            break;
        }
    }
    if (m_end.position < 0) {
        m_error = QStringLiteral("no end record");
        return false;
    }
    if (qint64(m_end.offset) + m_end.size != m_end.position) {
        m_error = QStringLiteral("central directory does not end at the end record");
        return false;
    }

    Reader r(m_bytes, m_end.offset);
    for (int i = 0; i < m_end.totalEntries; ++i) {
        CentralRecord c;
        c.offset = r.position();
        if (r.u32() != 0x02014B50) {
            m_error = QStringLiteral("central header %1: bad signature").arg(i);
            return false;
        }
        c.versionMadeBy = r.u16();
        c.versionNeeded = r.u16();
        c.flags = r.u16();
        c.method = r.u16();
        c.time = r.u16();
        c.date = r.u16();
        c.crc = r.u32();
        c.compressedSize = r.u32();
        c.uncompressedSize = r.u32();
        const quint16 nameLength = r.u16();
        const quint16 extraLength = r.u16();
        const quint16 commentLength = r.u16();
        c.diskStart = r.u16();
        c.internalAttributes = r.u16();
        c.externalAttributes = r.u32();
        c.localOffset = r.u32();
        c.name = r.bytes(nameLength);
        c.extra = r.bytes(extraLength);
        c.comment = r.bytes(commentLength);
        if (r.bad()) {
            m_error = QStringLiteral("central header %1: truncated").arg(i);
            return false;
        }
        m_centrals << c;
    }
    if (r.position() != m_end.position) {
        m_error = QStringLiteral("central directory size does not add up");
        return false;
    }

    for (const CentralRecord& c : m_centrals) {
        Reader l(m_bytes, c.localOffset);
        LocalRecord local;
        local.offset = c.localOffset;
        if (l.u32() != 0x04034B50) {
            m_error = QStringLiteral("local header at %1: bad signature").arg(c.localOffset);
            return false;
        }
        local.versionNeeded = l.u16();
        local.flags = l.u16();
        local.method = l.u16();
        local.time = l.u16();
        local.date = l.u16();
        local.crc = l.u32();
        local.compressedSize = l.u32();
        local.uncompressedSize = l.u32();
        const quint16 nameLength = l.u16();
        const quint16 extraLength = l.u16();
        local.name = l.bytes(nameLength);
        local.extra = l.bytes(extraLength);
        local.dataOffset = l.position();
        if (l.bad() || local.dataOffset + c.compressedSize > m_end.offset) {
            m_error = QStringLiteral("local header at %1: truncated").arg(c.localOffset);
            return false;
        }
        m_locals << local;
    }
    return true;
}

QByteArray ZipImage::rawData(int i) const
{
    return m_bytes.mid(m_locals.at(i).dataOffset, m_centrals.at(i).compressedSize);
}

QByteArray ZipImage::content(int i, QString* error) const
{
    const CentralRecord& c = m_centrals.at(i);
    const QByteArray raw = rawData(i);
    QByteArray out;
    if (c.method == 0) {
        out = raw;
    } else if (c.method == 8) {
        out.resize(c.uncompressedSize);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
            *error = QStringLiteral("inflateInit2 failed");
            return QByteArray();
        }
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
        z.avail_in = static_cast<uInt>(raw.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        const int result = inflate(&z, Z_FINISH);
        const bool consumedAll = z.avail_in == 0;
        inflateEnd(&z);
        if (result != Z_STREAM_END || !consumedAll || z.avail_out != 0) {
            *error = QStringLiteral("entry %1: deflate stream does not match its sizes (%2)").arg(i).arg(result);
            return QByteArray();
        }
    } else {
        *error = QStringLiteral("entry %1: unknown method %2").arg(i).arg(c.method);
        return QByteArray();
    }
    if (static_cast<quint32>(out.size()) != c.uncompressedSize || crcOf(out) != c.crc) {
        *error = QStringLiteral("entry %1: size or CRC differs").arg(i);
        return QByteArray();
    }
    return out;
}

bool ZipImage::isContiguous() const
{
    qint64 expected = 0;
    QList<int> order;
    for (int i = 0; i < m_locals.size(); ++i)
        order << i;
    std::sort(order.begin(), order.end(), [this](int a, int b) { return m_locals.at(a).offset < m_locals.at(b).offset; });
    for (int i : order) {
        if (m_locals.at(i).offset != expected)
            return false;
        expected = m_locals.at(i).dataOffset + m_centrals.at(i).compressedSize;
    }
    return expected == m_end.offset;
}

int ZipImage::indexOf(const QByteArray& name) const
{
    for (int i = 0; i < m_centrals.size(); ++i) {
        if (m_centrals.at(i).name == name)
            return i;
    }
    return -1;
}

} // namespace ziptest
