#include "AddFilesEnumerator.h"

#include "ZipArchive.h"
#include "ZipCallback.h"
#include "ZipException.h"

CAddFilesEnumerator::CAddFilesEnumerator(const QString& directory, bool recursive, CZipArchive& archive,
                                         int level, int smartness, quint32 bufferSize,
                                         CZipActionCallback* multiCallback)
    : CDirEnumerator(directory, recursive),
      m_archive(archive),
      m_level(level),
      m_smartness(smartness),
      m_bufferSize(bufferSize),
      m_multiCallback(multiCallback)
{
}

bool CAddFilesEnumerator::process(const QString& path, const ZipArchiveLib::CFileInfo& info)
{
    if (info.isDirectory() && (m_smartness & CZipArchive::smartSkipDirectories))
        return true;
    // Adding the archive to itself would read it while it grows.
    if (!info.isDirectory() && m_archive.isArchiveFile(path))
        return true;
    const bool added = m_archive.addFileWithFullPath(path, m_archive.getRootPath().isEmpty(), m_level, m_smartness,
                                                     m_bufferSize);
    if (added && m_multiCallback && !m_multiCallback->multiActionsNext())
        CZipException::throwZipException(CZipException::stoppedSafely, path);
    return added;
}
