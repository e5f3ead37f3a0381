#include "ZipFileHeader.h"

#include "ZipAbstractFile.h"
#include "ZipCompatibility.h"
#include "ZipDosTime.h"
#include "ZipException.h"
#include "ZipPlatform.h"
#include "ZipRecordBuffer.h"
#include "ZipStorage.h"

#include <cstring>
#include <vector>

namespace {

bool endsWithSeparator(const QString& name)
{
    return !name.isEmpty() && ZipPlatform::isNameSeparator(name.back());
}

bool isDotComponent(QStringView component)
{
    return component == QLatin1String(".") || component == QLatin1String("..");
}

// Removes "." components and resolves ".." against the component before it
// (dropping it at the start), keeping every other separator as it was.
QString withoutDotComponents(const QString& name)
{
    struct Piece {
        QStringView component;
        QStringView separator;
    };
    std::vector<Piece> pieces;
    bool anyDots = false;
    qsizetype start = 0;
    while (start <= name.size()) {
        qsizetype end = start;
        while (end < name.size() && !ZipPlatform::isNameSeparator(name.at(end)))
            ++end;
        const QStringView component = QStringView(name).mid(start, end - start);
        const QStringView separator = end < name.size() ? QStringView(name).mid(end, 1) : QStringView();
        anyDots = anyDots || isDotComponent(component);
        pieces.push_back({component, separator});
        if (end >= name.size())
            break;
        start = end + 1;
    }
    if (!anyDots)
        return name;

    std::vector<Piece> kept;
    for (const Piece& piece : pieces) {
        if (piece.component == QLatin1String("."))
            continue;
        if (piece.component == QLatin1String("..")) {
            while (!kept.empty() && kept.back().component.isEmpty())
                kept.pop_back();
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(piece);
    }
    QString result;
    for (const Piece& piece : kept) {
        result += piece.component;
        result += piece.separator;
    }
    return result;
}

} // namespace

CZipFileHeader::CZipFileHeader() = default;

CZipFileHeader::~CZipFileHeader() = default;

void CZipFileHeader::setFileName(const QString& name)
{
    QString clean = name;
    const bool lonelySeparator = clean.size() == 1 && ZipPlatform::isNameSeparator(clean.at(0)) && isDirectory();
    if (!lonelySeparator) {
        clean = ZipPlatform::removeLeadingSeparators(clean);
        clean = ZipPlatform::removeLeadingSeparators(withoutDotComponents(clean));
    }
    m_name = clean;
    m_nameBytes.release();
    m_commentBytes.release();
    m_textsEncoded = false;
    m_utf8Texts = false;
}

QString CZipFileHeader::getFileName() const
{
    if (!m_name.isEmpty() || m_nameBytes.size() == 0)
        return m_name;
    const quint32 codePage = (m_flags & flagUtf8) ? quint32(ZipPlatform::codePageUtf8)
                                                  : ZipCompatibility::nameCodePage(m_hostSystem);
    QString decoded;
    if (ZipPlatform::codePageToWide(m_nameBytes, decoded, codePage) < 0)
        ZipPlatform::codePageToWide(m_nameBytes, decoded, ZipPlatform::codePageAnsi);
    ZipPlatform::replaceChar(decoded, QLatin1Char('/'), QLatin1Char('\\'));
    return decoded;
}

QString CZipFileHeader::getComment() const
{
    if (!m_comment.isEmpty() || m_commentBytes.size() == 0)
        return m_comment;
    const quint32 codePage = (m_flags & flagUtf8) ? quint32(ZipPlatform::codePageUtf8)
                                                  : ZipCompatibility::commentCodePage(m_hostSystem);
    QString decoded;
    if (ZipPlatform::codePageToWide(m_commentBytes, decoded, codePage) < 0)
        ZipPlatform::codePageToWide(m_commentBytes, decoded, ZipPlatform::codePageAnsi);
    return decoded;
}

quint32 CZipFileHeader::getDataSize() const
{
    if (m_encryptionMethod == encryptionTraditional && m_compressedSize >= 12)
        return m_compressedSize - 12;
    return m_compressedSize;
}

QByteArray CZipFileHeader::getFileNameBytes()
{
    encodeTexts();
    return QByteArray(m_nameBytes.data(), m_nameBytes.size());
}

void CZipFileHeader::encodeTexts()
{
    if (!m_textsEncoded) {
        QString name = m_name;
        ZipPlatform::replaceChar(name, QLatin1Char('\\'), QLatin1Char('/'));
        const quint32 codePage = ZipCompatibility::nameCodePage(m_hostSystem);
        m_utf8Texts = false;
        if (m_hostSystem == ZipCompatibility::hostUnix && ZipPlatform::holdsNameBytes(name)) {
            // A file name that is no UTF-8 is stored as its own bytes,
            // unmarked, as Unix archivers store it: as text it would merge
            // with every name that differs from it only in those bytes.
            // Only an entry made on Unix tells readers to take them so.
            const QByteArray bytes = ZipPlatform::fileNameToBytes(name);
            m_nameBytes.allocate(static_cast<int>(bytes.size()));
            std::memcpy(m_nameBytes.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
        } else if (ZipPlatform::wideToCodePage(m_nameBytes, name, codePage) < 0
                   || (codePage == ZipPlatform::codePageUtf8 && !ZipPlatform::isAscii(name))) {
            ZipPlatform::wideToCodePage(m_nameBytes, name, ZipPlatform::codePageUtf8);
            m_utf8Texts = !ZipPlatform::isAscii(name);
        }
        const quint32 commentPage = m_utf8Texts ? quint32(ZipPlatform::codePageUtf8)
                                                : ZipCompatibility::commentCodePage(m_hostSystem);
        if (ZipPlatform::wideToCodePage(m_commentBytes, m_comment, commentPage) < 0)
            ZipPlatform::wideToCodePage(m_commentBytes, m_comment, ZipPlatform::codePageUtf8);
        m_textsEncoded = true;
    }
    if (m_utf8Texts)
        m_flags |= flagUtf8;
    else
        m_flags &= ~flagUtf8;
}

void CZipFileHeader::checkFieldSizes() const
{
    if (m_nameBytes.size() > maxFieldSize || m_commentBytes.size() > maxFieldSize
        || m_localExtra.getTotalSize() > maxFieldSize || m_centralExtra.getTotalSize() > maxFieldSize)
        CZipException::throwZipException(CZipException::fieldTooLong);
}

bool CZipFileHeader::isDirectory() const
{
    return ZipPlatform::isDirectoryAttribute(getSystemAttributes());
}

quint32 CZipFileHeader::getSystemAttributes() const
{
    quint32 attributes;
    if (m_hostSystem == ZipCompatibility::hostUnix) {
        attributes = ZipCompatibility::hostToWindows(m_externalAttributes >> 16, m_hostSystem);
    } else if (ZipCompatibility::isSupportedHost(m_hostSystem)) {
        attributes = ZipCompatibility::hostToWindows(m_externalAttributes & 0xFFFF, m_hostSystem);
    } else {
        attributes = endsWithSeparator(getFileName()) ? 0x10 : 0x20;
    }
    if (!ZipPlatform::isDirectoryAttribute(attributes) && m_compressedSize == 0
        && endsWithSeparator(getFileName()))
        attributes |= 0x10;
    return attributes;
}

void CZipFileHeader::setSystemAttributes(quint32 attributes)
{
    const quint32 converted = ZipCompatibility::windowsToHost(attributes, m_hostSystem);
    if (m_hostSystem == ZipCompatibility::hostUnix)
        m_externalAttributes = (converted << 16) | (attributes & 0x10);
    else
        m_externalAttributes = converted | (ZipCompatibility::windowsToUnixMode(attributes) << 16);
}

void CZipFileHeader::setSystemCompatibility(int host)
{
    if (host == m_hostSystem)
        return;
    const quint32 attributes = getSystemAttributes();
    // The code page of the name may change with the host: keep the texts,
    // not the bytes, of a header read from an archive.
    if (m_name.isEmpty())
        m_name = getFileName();
    if (m_comment.isEmpty())
        m_comment = getComment();
    m_hostSystem = static_cast<quint8>(host);
    setSystemAttributes(attributes);
    m_nameBytes.release();
    m_commentBytes.release();
    m_textsEncoded = false;
}

qint64 CZipFileHeader::getTime() const
{
    return ZipArchiveLib::dosToTime(m_modTime, m_modDate);
}

void CZipFileHeader::setTime(qint64 time)
{
    ZipArchiveLib::timeToDos(time, m_modTime, m_modDate);
}

void CZipFileHeader::prepareData(int level, bool segmented)
{
    m_flags = 0;
    m_internalAttributes = 0;
    m_crc32 = 0;
    m_compressedSize = 0;
    m_uncompressedSize = 0;
    m_versionMadeBy = 20;
    if (m_method == 8) {
        switch (level) {
        case 1:
            m_flags |= 6;
            break;
        case 2:
            m_flags |= 4;
            break;
        case 8:
        case 9:
            m_flags |= 2;
            break;
        default:
            break;
        }
    }
    if (segmented || m_encryptionMethod == encryptionTraditional)
        m_flags |= flagDataDescriptor;
    if (m_encryptionMethod != encryptionNone)
        m_flags |= flagEncrypted;
    if (m_encryptionMethod == encryptionTraditional)
        m_localCompressedSize += 12;
    m_versionNeeded = isDirectory() ? 10 : 20;
}

void CZipFileHeader::writeLocalHeader(CZipStorage& storage)
{
    m_localExtra.removeInternalHeaders(false);
    encodeTexts();
    checkFieldSizes();
    const int nameSize = m_nameBytes.size();
    const int extraSize = m_localExtra.getTotalSize();
    const int size = localFixedSize + nameSize + extraSize;
    const bool descriptor = (m_flags & flagDataDescriptor) != 0;
    const bool sizesInDescriptorOnly = descriptor && (m_encryptionMethod < 1 || m_encryptionMethod > 3);

    CZipRecordBuffer record(size);
    record.putUInt32(localSignature);
    record.putUInt16(m_versionNeeded);
    record.putUInt16(m_flags);
    record.putUInt16(m_method);
    record.putUInt16(m_modTime);
    record.putUInt16(m_modDate);
    record.putUInt32(m_crc32);
    record.putUInt32(descriptor ? 0 : m_localCompressedSize);
    record.putUInt32(sizesInDescriptorOnly ? 0 : m_localUncompressedSize);
    record.putUInt16(static_cast<quint16>(nameSize));
    record.putUInt16(static_cast<quint16>(extraSize));
    record.putBytes(m_nameBytes.data(), nameSize);
    m_localExtra.write(record);
    if (!record.ok() || record.remaining() != 0)
        CZipException::throwZipException(CZipException::internalError);

    storage.write(record.data(), static_cast<quint32>(size), true);
    m_diskStart = storage.getCurrentDisk();
    m_localNameLength = static_cast<quint16>(nameSize);
    m_localHeaderSize = static_cast<quint32>(size);
    m_offset = static_cast<quint32>(storage.getPosition() - static_cast<quint64>(size));
}

quint32 CZipFileHeader::writeCentralHeader(CZipStorage& storage)
{
    m_centralExtra.removeInternalHeaders(true);
    encodeTexts();
    checkFieldSizes();
    const int nameSize = m_nameBytes.size();
    const int extraSize = m_centralExtra.getTotalSize();
    const int commentSize = m_commentBytes.size();
    const int size = centralFixedSize + nameSize + extraSize + commentSize;

    CZipRecordBuffer record(size);
    record.putUInt32(centralSignature);
    record.putUInt16(static_cast<quint16>((m_hostSystem << 8) | m_versionMadeBy));
    record.putUInt16(m_versionNeeded);
    record.putUInt16(m_flags);
    record.putUInt16(m_method);
    record.putUInt16(m_modTime);
    record.putUInt16(m_modDate);
    record.putUInt32(m_crc32);
    record.putUInt32(m_compressedSize);
    record.putUInt32(m_uncompressedSize);
    record.putUInt16(static_cast<quint16>(nameSize));
    record.putUInt16(static_cast<quint16>(extraSize));
    record.putUInt16(static_cast<quint16>(commentSize));
    record.putUInt16(m_diskStart);
    record.putUInt16(m_internalAttributes);
    record.putUInt32(m_externalAttributes);
    record.putUInt32(m_offset);
    record.putBytes(m_nameBytes.data(), nameSize);
    m_centralExtra.write(record);
    record.putBytes(m_commentBytes.data(), commentSize);
    if (!record.ok() || record.remaining() != 0)
        CZipException::throwZipException(CZipException::internalError);

    storage.write(record.data(), static_cast<quint32>(size), true);
    return static_cast<quint32>(size);
}

int CZipFileHeader::getDataDescriptorSize(bool segmented) const
{
    if (!(m_flags & flagDataDescriptor))
        return 0;
    return (segmented || isEncrypted()) ? 16 : 12;
}

void CZipFileHeader::writeDataDescriptor(CZipStorage& storage)
{
    const int size = getDataDescriptorSize(storage.isSegmented());
    if (size == 0)
        return;
    CZipRecordBuffer record(size);
    if (size == 16)
        record.putUInt32(dataDescriptorSignature);
    record.putUInt32(m_crc32);
    record.putUInt32(m_compressedSize);
    record.putUInt32(m_uncompressedSize);
    if (!record.ok() || record.remaining() != 0)
        CZipException::throwZipException(CZipException::internalError);
    storage.write(record.data(), static_cast<quint32>(size), true);
}

void CZipFileHeader::updateLocalHeader(CZipStorage& storage)
{
    if (storage.isSegmented() || (m_flags & flagDataDescriptor))
        return;
    m_localCompressedSize = m_compressedSize;
    m_localUncompressedSize = m_uncompressedSize;

    CZipRecordBuffer record(12);
    record.putUInt32(m_crc32);
    record.putUInt32(m_compressedSize);
    record.putUInt32(m_uncompressedSize);
    if (!record.ok())
        CZipException::throwZipException(CZipException::internalError);

    storage.flush();
    CZipAbstractFile& file = *storage.getFile();
    const quint64 position = file.getPosition();
    file.seek(static_cast<qint64>(m_offset) + 14 + storage.getBytesBeforeArchive(), CZipAbstractFile::fromBegin);
    file.write(record.data(), 12);
    file.seek(static_cast<qint64>(position), CZipAbstractFile::fromBegin);
}

quint32 CZipFileHeader::getLocalSpace(bool segmented)
{
    m_localExtra.removeInternalHeaders(false);
    encodeTexts();
    return localFixedSize + static_cast<quint32>(m_nameBytes.size() + m_localExtra.getTotalSize())
        + m_localCompressedSize + static_cast<quint32>(getDataDescriptorSize(segmented));
}

bool CZipFileHeader::readCentralHeader(CZipStorage& storage)
{
    char fixed[centralFixedSize];
    storage.read(fixed, centralFixedSize, false);
    CZipRecordBuffer record(fixed, centralFixedSize);
    if (record.getUInt32() != centralSignature)
        return false;
    const quint16 madeBy = record.getUInt16();
    m_versionMadeBy = static_cast<quint8>(madeBy & 0xFF);
    m_hostSystem = static_cast<quint8>(madeBy >> 8);
    m_versionNeeded = record.getUInt16();
    m_flags = record.getUInt16();
    m_method = record.getUInt16();
    m_modTime = record.getUInt16();
    m_modDate = record.getUInt16();
    m_crc32 = record.getUInt32();
    m_compressedSize = record.getUInt32();
    m_uncompressedSize = record.getUInt32();
    const quint16 nameSize = record.getUInt16();
    const quint16 extraSize = record.getUInt16();
    const quint16 commentSize = record.getUInt16();
    m_diskStart = record.getUInt16();
    m_internalAttributes = record.getUInt16();
    m_externalAttributes = record.getUInt32();
    m_offset = record.getUInt32();
    if (!record.ok())
        return false;

    CZipAutoBuffer variable(nameSize + extraSize + commentSize);
    storage.read(variable.data(), static_cast<quint32>(variable.size()), false);
    m_nameBytes.allocate(nameSize);
    if (nameSize)
        std::memcpy(m_nameBytes.data(), variable.data(), nameSize);
    if (!m_centralExtra.read(variable.data() + nameSize, extraSize))
        CZipException::throwZipException(CZipException::badArchive, storage.getArchivePath());
    m_commentBytes.allocate(commentSize);
    if (commentSize)
        std::memcpy(m_commentBytes.data(), variable.data() + nameSize + extraSize, commentSize);
    m_name.clear();
    m_comment.clear();
    m_textsEncoded = true;
    m_utf8Texts = (m_flags & flagUtf8) != 0;

    // Sizes or an offset that only a Zip64 record can tell.
    const bool beyond32Bits = m_compressedSize == 0xFFFFFFFFu || m_uncompressedSize == 0xFFFFFFFFu
        || m_offset == 0xFFFFFFFFu || m_diskStart == 0xFFFF;
    if (beyond32Bits && m_centralExtra.has(0x0001))
        CZipException::throwZipException(CZipException::needsZip64, storage.getArchivePath());

    m_encryptionMethod = (m_flags & flagEncrypted) ? encryptionTraditional : encryptionNone;
    m_localCompressedSize = m_compressedSize;
    m_localUncompressedSize = m_uncompressedSize;
    m_localNameLength = nameSize;
    m_localHeaderSize = 0;
    return true;
}

bool CZipFileHeader::readLocalHeader(CZipStorage& storage)
{
    char fixed[localFixedSize];
    storage.read(fixed, localFixedSize, true);
    CZipRecordBuffer record(fixed, localFixedSize);
    if (record.getUInt32() != localSignature)
        return false;
    record.getUInt16(); // version needed
    const quint16 flags = record.getUInt16();
    const quint16 method = record.getUInt16();
    record.getUInt16(); // time
    record.getUInt16(); // date
    const quint32 crc = record.getUInt32();
    const quint32 compressedSize = record.getUInt32();
    const quint32 uncompressedSize = record.getUInt32();
    const quint16 nameSize = record.getUInt16();
    const quint16 extraSize = record.getUInt16();
    if (!record.ok())
        return false;
    if (method == 99 && isEncrypted())
        CZipException::throwZipException(CZipException::unsupportedEncryption, storage.getArchivePath());
    if ((flags & 0x0F) != (m_flags & 0x0F) || method != m_method)
        return false;
    if (!(flags & flagDataDescriptor)
        && (crc != m_crc32 || (compressedSize != 0 && compressedSize != m_compressedSize)
            || uncompressedSize != m_uncompressedSize))
        return false;

    CZipAutoBuffer variable(nameSize + extraSize);
    storage.read(variable.data(), static_cast<quint32>(variable.size()), true);
    if (!m_localExtra.read(variable.data() + nameSize, extraSize))
        CZipException::throwZipException(CZipException::badArchive, storage.getArchivePath());
    m_localNameLength = nameSize;
    m_localHeaderSize = localFixedSize + quint32(nameSize) + extraSize;
    m_localCompressedSize = compressedSize;
    m_localUncompressedSize = uncompressedSize;
    return true;
}
