#include "AddFilesEnumerator.h"

#include "ZipArchive.h"
#include "ZipCallback.h"
#include "ZipException.h"
#include "ZipFile.h"

CAddFilesEnumerator::CAddFilesEnumerator(const QString& directory, bool recursive, CZipArchive& archive,
                                         int level, int smartness, quint32 bufferSize,
                                         CZipActionCallback* multiCallback,
                                         std::shared_ptr<const ZipPlatform::CDirectory> start)
    : CDirEnumerator(directory, recursive, std::move(start)),
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
    CZipArchive::addFileInfo request;
    request.m_diskPath = path;
    request.m_sourceInfo = &info;
    request.m_fullPath = m_archive.getRootPath().isEmpty();
    request.m_level = m_level;
    request.m_smartness = m_smartness;
    request.m_bufferSize = m_bufferSize;
    CZipFile file;
    if (!info.isDirectory()) {
        file.openInFolder(getCurrentFolder(), getCurrentItemName(), path, info.m_isLink, true);
        request.m_sourceFile = &file;
    }
    const bool added = m_archive.addFileCore(request);
    if (added && m_multiCallback && !m_multiCallback->multiActionsNext())
        CZipException::throwZipException(CZipException::stoppedSafely, path);
    return added;
}
