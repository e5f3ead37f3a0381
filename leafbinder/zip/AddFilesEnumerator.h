#ifndef ADDFILESENUMERATOR_H
#define ADDFILESENUMERATOR_H

#include "DirEnumerator.h"

class CZipActionCallback;
class CZipArchive;

// Adds every item a folder walk takes to an archive.
class CAddFilesEnumerator : public ZipArchiveLib::CDirEnumerator {
public:
    // multiCallback, when set, is told one more file after each add.
    CAddFilesEnumerator(const QString& directory, bool recursive, CZipArchive& archive, int level, int smartness,
                        quint32 bufferSize, CZipActionCallback* multiCallback = nullptr,
                        std::shared_ptr<const ZipPlatform::CDirectory> start = nullptr);

protected:
    // Directories are passed over with smartness bit 0x20, and so is the
    // archive's own file; anything else is added, and a failed add ends the walk.
    // A file is read through the directory being walked, never by its path.
    bool process(const QString& path, const ZipArchiveLib::CFileInfo& info) override;

private:
    CZipArchive& m_archive;
    int m_level;
    int m_smartness;
    quint32 m_bufferSize;
    CZipActionCallback* m_multiCallback;
};

#endif
