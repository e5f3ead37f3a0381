#ifndef ZIPMEMFILE_H
#define ZIPMEMFILE_H

#include "ZipAbstractFile.h"

#include <QtGlobal>

// A growable block of memory used as a file: for archives built in memory and
// as a source of data to add. Positions are limited to 32 bits. It has no path
// and counts as closed while it holds no block.
class LEAFBINDER_EXPORT CZipMemFile : public CZipAbstractFile {
public:
    explicit CZipMemFile(quint32 growIncrement = 1024);
    ~CZipMemFile() override;

    void close() override;
    void flush() override {}
    quint64 getPosition() const override { return m_position; }
    // A target before the start or beyond 32 bits throws 505; one beyond the
    // block grows it without changing the length.
    quint64 seek(qint64 offset, int origin) override;
    quint64 getLength() const override { return m_length; }
    // Bytes added by growing read as zeros; a position past the new end moves
    // back to it.
    void setLength(quint64 length) override;
    QString getFilePath() const override { return QString(); }
    bool hasFilePath() const override { return false; }
    quint32 read(void* buffer, quint32 count) override;
    void write(const void* buffer, quint32 count) override;
    bool isClosed() const override { return m_data == nullptr; }

    quint32 getGrowIncrement() const { return m_growIncrement; }
    void setGrowIncrement(quint32 increment) { m_growIncrement = increment; }
    const char* data() const { return m_data; }

private:
    // Raises the capacity by whole grow increments until it holds size bytes;
    // 505 when that is impossible.
    void grow(quint64 size);

    quint32 m_growIncrement;
    quint32 m_position = 0;
    quint32 m_capacity = 0;
    quint32 m_length = 0;
    char* m_data = nullptr;
    bool m_ownsData = true;
};

#endif
