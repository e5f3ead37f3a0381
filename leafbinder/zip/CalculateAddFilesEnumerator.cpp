#include "CalculateAddFilesEnumerator.h"

#include "ZipCallback.h"
#include "ZipException.h"

CCalculateAddFilesEnumerator::CCalculateAddFilesEnumerator(const QString& directory, bool recursive,
                                                           CZipActionCallback* callback, bool countDirectories,
                                                           std::shared_ptr<const ZipPlatform::CDirectory> start)
    : CDirEnumerator(directory, recursive, std::move(start)), m_callback(callback), m_countDirectories(countDirectories)
{
}

void CCalculateAddFilesEnumerator::onEnumerationBegin()
{
    if (m_callback)
        m_callback->init(getDirectory(), QString());
}

bool CCalculateAddFilesEnumerator::process(const QString&, const ZipArchiveLib::CFileInfo& info)
{
    if (info.isDirectory() && !m_countDirectories)
        return true;
    ++m_fileCount;
    if (!info.isDirectory())
        m_byteCount += info.m_size;
    if (m_callback && !m_callback->requestCallback()) {
        m_stopped = true;
        return false;
    }
    return true;
}

void CCalculateAddFilesEnumerator::onEnumerationEnd(bool result)
{
    if (!m_callback)
        return;
    if (result && !m_stopped && !m_callback->requestLastCallback())
        m_stopped = true;
    m_callback->callbackEnd();
    if (!result || m_stopped)
        CZipException::throwZipException(CZipException::stoppedSafely, getDirectory());
}
