#ifndef ZIPRECORDBUFFER_H
#define ZIPRECORDBUFFER_H

#include "ZipAutoBuffer.h"

#include <QtGlobal>

// One ZIP record (a header, a data descriptor, an end record) as its bytes.
// Numbers are little-endian. Every access is checked against the record's
// size: one that would run past its end is not done and clears ok(), which the
// caller checks once after building or reading the record. Used for every
// record the engine writes or reads, so no field is ever read past its record.
class CZipRecordBuffer {
public:
    // A zero-filled record of the given size to be written.
    explicit CZipRecordBuffer(int size);
    // A view of bytes to be read; the bytes must outlive the view.
    CZipRecordBuffer(const char* data, int size);

    void putUInt8(quint8 value) { putNumber(value, 1); }
    void putUInt16(quint16 value) { putNumber(value, 2); }
    void putUInt32(quint32 value) { putNumber(value, 4); }
    void putBytes(const char* bytes, int count);

    quint8 getUInt8() { return static_cast<quint8>(getNumber(1)); }
    quint16 getUInt16() { return static_cast<quint16>(getNumber(2)); }
    quint32 getUInt32() { return getNumber(4); }
    void getBytes(char* bytes, int count);

    // Moves the cursor; a position outside the record clears ok().
    void seek(int position);
    void skip(int count) { seek(m_position + count); }
    int position() const { return m_position; }
    int remaining() const { return m_size - m_position; }
    bool ok() const { return m_ok; }

    const char* data() const { return m_read; }
    int size() const { return m_size; }

private:
    bool reserve(int count);
    void putNumber(quint32 value, int width);
    quint32 getNumber(int width);

    CZipAutoBuffer m_own;
    char* m_write = nullptr;
    const char* m_read = nullptr;
    int m_size = 0;
    int m_position = 0;
    bool m_ok = true;
};

#endif
