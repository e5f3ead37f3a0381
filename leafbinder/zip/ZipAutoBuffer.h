#ifndef ZIPAUTOBUFFER_H
#define ZIPAUTOBUFFER_H

#include "leafbinder_export.h"

// An owned block of bytes whose size is remembered with it.
class LEAFBINDER_EXPORT CZipAutoBuffer {
public:
    CZipAutoBuffer() = default;
    explicit CZipAutoBuffer(int size, bool zeroFill = false);
    CZipAutoBuffer(const CZipAutoBuffer& other);
    CZipAutoBuffer& operator=(const CZipAutoBuffer& other);
    ~CZipAutoBuffer();

    // Replaces the block only when the size differs (0 leaves none) and
    // zero-fills it when asked, also when the size did not change.
    char* allocate(int size, bool zeroFill = false);
    void release();

    char* data() { return m_data; }
    const char* data() const { return m_data; }
    int size() const { return m_size; }
    bool isAllocated() const { return m_data != nullptr; }

private:
    char* m_data = nullptr;
    int m_size = 0;
};

#endif
