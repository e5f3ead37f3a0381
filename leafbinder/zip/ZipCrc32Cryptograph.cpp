#include "ZipCrc32Cryptograph.h"

#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipPlatform.h"
#include "ZipStorage.h"

#include <zlib.h>

namespace {

quint32 crcStep(quint32 crc, quint8 byte)
{
    static const z_crc_t* const table = get_crc_table();
    return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

} // namespace

void CZipCrc32Cryptograph::initKeys(const QByteArray& password)
{
    m_keys[0] = 0x12345678;
    m_keys[1] = 0x23456789;
    m_keys[2] = 0x34567890;
    for (char c : password)
        updateKeys(static_cast<quint8>(c));
}

void CZipCrc32Cryptograph::updateKeys(quint8 plain)
{
    m_keys[0] = crcStep(m_keys[0], plain);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
    m_keys[2] = crcStep(m_keys[2], static_cast<quint8>(m_keys[1] >> 24));
}

quint8 CZipCrc32Cryptograph::keyByte() const
{
    const quint32 t = (m_keys[2] | 2) & 0xFFFF;
    return static_cast<quint8>((t * (t ^ 1)) >> 8);
}

void CZipCrc32Cryptograph::encode(char* buffer, quint32 count)
{
    for (quint32 i = 0; i < count; ++i) {
        const quint8 plain = static_cast<quint8>(buffer[i]);
        buffer[i] = static_cast<char>(plain ^ keyByte());
        updateKeys(plain);
    }
}

void CZipCrc32Cryptograph::decode(char* buffer, quint32 count)
{
    for (quint32 i = 0; i < count; ++i) {
        const quint8 plain = static_cast<quint8>(static_cast<quint8>(buffer[i]) ^ keyByte());
        buffer[i] = static_cast<char>(plain);
        updateKeys(plain);
    }
}

quint8 CZipCrc32Cryptograph::checkByte(const CZipFileHeader& header)
{
    if (header.getFlags() & CZipFileHeader::flagDataDescriptor)
        return static_cast<quint8>(header.getModTime() >> 8);
    return static_cast<quint8>(header.getCrc32() >> 24);
}

void CZipCrc32Cryptograph::initEncode(const QByteArray& password, CZipFileHeader& header, CZipStorage& storage)
{
    initKeys(password);
    // Every entry gets bytes of its own from the system's random source; a
    // generator seeded from the clock would repeat them within a second.
    quint16 random[headerSize - 2];
    if (!ZipPlatform::getRandomBytes(random, sizeof random))
        CZipException::throwZipException(CZipException::genericError, storage.getArchivePath());
    char block[headerSize];
    for (int i = 0; i < headerSize - 2; ++i) {
        const quint16 r = random[i];
        block[i] = static_cast<char>((r & 0x3FC0) ? (r >> 6) : r);
    }
    block[headerSize - 2] = static_cast<char>(header.getModTime() & 0xFF);
    block[headerSize - 1] = static_cast<char>(header.getModTime() >> 8);
    encode(block, headerSize);
    storage.write(block, headerSize, false);
    header.m_compressedSize += headerSize;
}

bool CZipCrc32Cryptograph::initDecode(const QByteArray& password, CZipFileHeader& header, CZipStorage& storage)
{
    initKeys(password);
    char block[headerSize];
    storage.read(block, headerSize, false);
    decode(block, headerSize);
    return static_cast<quint8>(block[headerSize - 1]) == checkByte(header);
}
