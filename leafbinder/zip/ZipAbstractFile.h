#ifndef ZIPABSTRACTFILE_H
#define ZIPABSTRACTFILE_H

#include "leafbinder_export.h"

#include <QString>

// The file interface the engine reads and writes archives and sources through:
// a disk file (CZipFile) or a block of memory (CZipMemFile). Failures throw
// CZipException.
class LEAFBINDER_EXPORT CZipAbstractFile {
public:
    enum SeekOrigin { fromBegin = 0, fromCurrent = 1, fromEnd = 2 };

    CZipAbstractFile() = default;
    CZipAbstractFile(const CZipAbstractFile&) = delete;
    CZipAbstractFile& operator=(const CZipAbstractFile&) = delete;

    virtual bool open(const QString& path, int openFlags, bool throwOnError);
    virtual void close() = 0;
    virtual void flush() = 0;
    virtual quint64 getPosition() const = 0;
    virtual quint64 seek(qint64 offset, int origin) = 0;
    virtual quint64 getLength() const = 0;
    virtual void setLength(quint64 length) = 0;
    quint64 seekToBegin() { return seek(0, fromBegin); }
    quint64 seekToEnd() { return seek(0, fromEnd); }
    virtual QString getFilePath() const = 0;
    virtual bool hasFilePath() const = 0;
    // Reads up to count bytes; fewer only at the end of the data.
    virtual quint32 read(void* buffer, quint32 count) = 0;
    virtual void write(const void* buffer, quint32 count) = 0;
    virtual bool isClosed() const = 0;
    virtual ~CZipAbstractFile();
};

#endif
