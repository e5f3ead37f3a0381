#ifndef ZIPFILEHEADER_H
#define ZIPFILEHEADER_H

#include "leafbinder_export.h"
#include "ZipAutoBuffer.h"
#include "ZipExtraField.h"

#include <QString>

class CZipCentralDir;
class CZipStorage;

// One entry of an archive: what the ZIP format keeps about a file in its local
// header, central header and data descriptor, and the engine's bookkeeping.
//
// The name is held as text until a header is written; then it is encoded in
// the code page of the entry's host system (IBM 437 for DOS and NTFS, UTF-8 for
// Unix and Mac, Windows-1252 otherwise), with '\' written as '/'. A name the
// code page cannot hold is written as UTF-8 and marked by flag bit 11, as is a
// non-ASCII UTF-8 name, so readers never see substituted characters. A file
// name whose bytes are no UTF-8 (ZipPlatform::holdsNameBytes) is written as
// those bytes, unmarked, in an entry made on Unix (the archive makes every
// entry with such a name so).
class LEAFBINDER_EXPORT CZipFileHeader {
public:
    enum Flags : quint16 {
        flagEncrypted = 0x0001,
        flagLevelBits = 0x0006,
        flagDataDescriptor = 0x0008,
        flagUtf8 = 0x0800
    };
    enum EncryptionMethod : quint8 { encryptionTraditional = 0, encryptionNone = 255 };
    static constexpr quint32 localSignature = 0x04034B50;
    static constexpr quint32 centralSignature = 0x02014B50;
    static constexpr quint32 dataDescriptorSignature = 0x08074B50;
    static constexpr int localFixedSize = 30;
    static constexpr int centralFixedSize = 46;
    static constexpr int maxFieldSize = 0xFFFF;

    CZipFileHeader();
    virtual ~CZipFileHeader();

    // Sets the name: leading separators go (one separator alone stays for a
    // directory), and "." and ".." components never reach the archive: "."
    // is dropped and ".." takes back the component before it.
    void setFileName(const QString& name);
    // The name as text, with the separators it was given (or '\' for a name
    // read from bytes).
    QString getFileName() const;
    // The name's bytes as they are (or will be) written.
    QByteArray getFileNameBytes();
    // The entry's comment as text.
    QString getComment() const;

    bool isDirectory() const;
    // Attributes as a Windows attribute word, converted from the host's form.
    quint32 getSystemAttributes() const;
    // Stores Windows attributes in the host's form (219 for a host without a
    // converter): for Unix the mode in the high word, for the others the
    // converted word in the low and the Unix mode in the high word.
    void setSystemAttributes(quint32 attributes);
    // Changes the host system, keeping the attributes.
    void setSystemCompatibility(int host);
    int getSystemCompatibility() const { return m_hostSystem; }

    qint64 getTime() const;
    void setTime(qint64 time);

    quint8 getVersionMadeBy() const { return m_versionMadeBy; }
    quint16 getVersionNeeded() const { return m_versionNeeded; }
    quint16 getFlags() const { return m_flags; }
    quint16 getMethod() const { return m_method; }
    quint16 getModTime() const { return m_modTime; }
    quint16 getModDate() const { return m_modDate; }
    quint32 getCrc32() const { return m_crc32; }
    quint32 getCompressedSize() const { return m_compressedSize; }
    quint32 getUncompressedSize() const { return m_uncompressedSize; }
    quint16 getDiskStart() const { return m_diskStart; }
    quint16 getInternalAttributes() const { return m_internalAttributes; }
    quint32 getExternalAttributes() const { return m_externalAttributes; }
    quint32 getOffset() const { return m_offset; }
    quint32 getLocalHeaderSize() const { return m_localHeaderSize; }
    quint8 getEncryptionMethod() const { return m_encryptionMethod; }
    bool isEncrypted() const { return m_encryptionMethod != encryptionNone; }
    void setLocalCompressedSize(quint32 size) { m_localCompressedSize = size; }
    void setLocalUncompressedSize(quint32 size) { m_localUncompressedSize = size; }
    quint32 getLocalCompressedSize() const { return m_localCompressedSize; }
    quint32 getLocalUncompressedSize() const { return m_localUncompressedSize; }
    // The compressed size without the encryption header of traditional encryption.
    quint32 getDataSize() const;

    // Sets flags, versions and sizes of a new entry before its local header
    // is written.
    void prepareData(int level, bool segmented);
    // Writes the local header at the storage's position and records where.
    void writeLocalHeader(CZipStorage& storage);
    // Writes the central header; returns its size.
    quint32 writeCentralHeader(CZipStorage& storage);
    // Writes the data descriptor when flag bit 3 is set.
    void writeDataDescriptor(CZipStorage& storage);
    // Puts the CRC and sizes into the local header once the data is written,
    // for an entry without data descriptor in an archive of one volume.
    void updateLocalHeader(CZipStorage& storage);
    // Bytes of the data descriptor after the data: 0, 12 or 16.
    int getDataDescriptorSize(bool segmented) const;

    // Reads a central header at the storage's position; false when it is not
    // one. An extra field whose records run past it raises 201, an entry of
    // a Zip64 archive 221.
    bool readCentralHeader(CZipStorage& storage);
    // Reads the local header at the storage's position and checks it against
    // the central one; false when they disagree or it is not a local header.
    // An encrypted entry of method 99 raises 222.
    bool readLocalHeader(CZipStorage& storage);
    // Bytes the entry takes in the archive from its local header to the end
    // of its data descriptor, as far as known before the data is written.
    quint32 getLocalSpace(bool segmented);

private:
    friend class CZipArchive;
    friend class CZipCentralDir;
    friend class CZipCompressor;
    friend class CZipCrc32Cryptograph;

    // Makes the name's (and comment's) bytes when none are held yet, and sets
    // flag bit 11 from them.
    void encodeTexts();
    void checkFieldSizes() const;

    quint8 m_versionMadeBy = 20;
    quint16 m_versionNeeded = 20;
    quint16 m_flags = 0;
    quint16 m_method = 8;
    quint16 m_modTime = 0;
    quint16 m_modDate = 0;
    quint32 m_crc32 = 0;
    quint32 m_compressedSize = 0;
    quint32 m_uncompressedSize = 0;
    quint16 m_diskStart = 0;
    quint16 m_internalAttributes = 0;
    quint32 m_localCompressedSize = 0;
    quint32 m_localUncompressedSize = 0;
    quint32 m_offset = 0;
    CZipExtraField m_localExtra;
    CZipExtraField m_centralExtra;
    quint32 m_externalAttributes = 0;
    quint16 m_localNameLength = 0;
    quint8 m_encryptionMethod = encryptionNone;
    quint32 m_localHeaderSize = 0;
    CZipCentralDir* m_centralDir = nullptr;

    // Name and comment: the text and, once encoded, its bytes; m_utf8Texts
    // says the bytes are UTF-8 marked by flag bit 11.
    QString m_name;
    CZipAutoBuffer m_nameBytes;
    QString m_comment;
    CZipAutoBuffer m_commentBytes;
    bool m_textsEncoded = false;
    bool m_utf8Texts = false;

    quint8 m_hostSystem = 0;
};

#endif
