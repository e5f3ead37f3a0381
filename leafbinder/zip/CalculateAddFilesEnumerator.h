#ifndef CALCULATEADDFILESENUMERATOR_H
#define CALCULATEADDFILESENUMERATOR_H

#include "DirEnumerator.h"

class CZipActionCallback;

// Counts the files and bytes a folder add will take, telling a callback one
// step per item; a callback that asks to stop ends the walk with 207.
class CCalculateAddFilesEnumerator : public ZipArchiveLib::CDirEnumerator {
public:
    CCalculateAddFilesEnumerator(const QString& directory, bool recursive, CZipActionCallback* callback,
                                 bool countDirectories,
                                 std::shared_ptr<const ZipPlatform::CDirectory> start = nullptr);

    quint32 getFileCount() const { return m_fileCount; }
    quint64 getByteCount() const { return m_byteCount; }

protected:
    bool process(const QString& path, const ZipArchiveLib::CFileInfo& info) override;
    void onEnumerationBegin() override;
    void onEnumerationEnd(bool result) override;

private:
    CZipActionCallback* m_callback;
    bool m_countDirectories;
    bool m_stopped = false;
    quint32 m_fileCount = 0;
    quint64 m_byteCount = 0;
};

#endif
