#ifndef ZIPCRC32CRYPTOGRAPH_H
#define ZIPCRC32CRYPTOGRAPH_H

#include "ZipCryptograph.h"

// The traditional encryption of the ZIP format: a stream cipher of three
// 32-bit keys moved on through CRC-32 by every plain byte. An encrypted
// entry's data starts with a 12-byte header of random bytes whose last byte
// lets a reader tell a wrong password (with a chance of 1 in 256 to miss).
class CZipCrc32Cryptograph : public CZipCryptograph {
public:
    static constexpr int headerSize = 12;

    bool initDecode(const QByteArray& password, CZipFileHeader& header, CZipStorage& storage) override;
    void initEncode(const QByteArray& password, CZipFileHeader& header, CZipStorage& storage) override;
    void decode(char* buffer, quint32 count) override;
    void encode(char* buffer, quint32 count) override;
    void finishEncode(CZipFileHeader&, CZipStorage&) override {}
    void finishDecode(CZipFileHeader&, CZipStorage&) override {}
    bool canHandle(int encryptionMethod) const override { return encryptionMethod == 0; }

    // The byte a reader compares with the last decoded header byte: the high
    // byte of the DOS time for an entry with a data descriptor, else the high
    // byte of the CRC-32.
    static quint8 checkByte(const CZipFileHeader& header);

private:
    void initKeys(const QByteArray& password);
    void updateKeys(quint8 plain);
    quint8 keyByte() const;

    quint32 m_keys[3] = {0, 0, 0};
};

#endif
