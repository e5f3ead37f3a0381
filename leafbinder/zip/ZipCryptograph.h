#ifndef ZIPCRYPTOGRAPH_H
#define ZIPCRYPTOGRAPH_H

#include <QtGlobal>

class CZipFileHeader;
class CZipStorage;

// Encryption of an entry's data as it passes between the compressor and the
// storage. The archive holds at most one; none is made while no password is set.
class CZipCryptograph {
public:
    virtual bool initDecode(const QByteArray& password, CZipFileHeader& header, CZipStorage& storage) = 0;
    virtual void initEncode(const QByteArray& password, CZipFileHeader& header, CZipStorage& storage) = 0;
    virtual void decode(char* buffer, quint32 count) = 0;
    virtual void encode(char* buffer, quint32 count) = 0;
    virtual void finishEncode(CZipFileHeader& header, CZipStorage& storage) = 0;
    virtual void finishDecode(CZipFileHeader& header, CZipStorage& storage) = 0;
    virtual bool canHandle(int encryptionMethod) const = 0;
    virtual ~CZipCryptograph() = default;
};

#endif
