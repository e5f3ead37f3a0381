#include "ZipFile.h"

#include "ZipException.h"
#include "ZipPlatform.h"

#include <cerrno>

CZipFile::CZipFile(const QString& path, int openFlags)
{
    open(path, openFlags, true);
}

CZipFile::~CZipFile()
{
    if (m_descriptor != -1)
        ZipPlatform::closeFile(m_descriptor);
}

void CZipFile::throwError() const
{
    const int error = ZipPlatform::lastError();
    CZipException::throwZipException(error > 0 ? error : CZipException::genericError, m_path);
}

bool CZipFile::open(const QString& path, int openFlags, bool throwOnError)
{
    if (!isClosed())
        close();
    return adopt(ZipPlatform::openFile(path, openFlags), path, throwOnError);
}

bool CZipFile::openInFolder(const ZipPlatform::CDirectory& folder, const QByteArray& name, const QString& path,
                            bool followLink, bool throwOnError)
{
    if (!isClosed())
        close();
    return adopt(folder.openFile(name, followLink), path, throwOnError);
}

void CZipFile::attach(int descriptor, const QString& path)
{
    if (!isClosed())
        close();
    adopt(descriptor, path, true);
}

bool CZipFile::adopt(int descriptor, const QString& path, bool throwOnError)
{
    if (descriptor == -1) {
        if (!throwOnError)
            return false;
        const int error = ZipPlatform::lastError();
        CZipException::throwZipException(error > 0 ? error : CZipException::genericError, path);
    }
    m_descriptor = descriptor;
    m_path = path;
    return true;
}

void CZipFile::close()
{
    if (isClosed())
        return;
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    const bool closed = ZipPlatform::closeFile(descriptor);
    const QString path = m_path;
    m_path.clear();
    if (!closed) {
        const int error = ZipPlatform::lastError();
        CZipException::throwZipException(error > 0 ? error : CZipException::genericError, path);
    }
}

void CZipFile::flush()
{
    if (!ZipPlatform::flushFile(m_descriptor))
        throwError();
}

quint64 CZipFile::getPosition() const
{
    const qint64 position = ZipPlatform::seekFile(m_descriptor, 0, fromCurrent);
    if (position < 0)
        throwError();
    return static_cast<quint64>(position);
}

quint64 CZipFile::seek(qint64 offset, int origin)
{
    const qint64 position = ZipPlatform::seekFile(m_descriptor, offset, origin);
    if (position < 0)
        throwError();
    return static_cast<quint64>(position);
}

quint64 CZipFile::getLength() const
{
    const qint64 length = ZipPlatform::fileLength(m_descriptor);
    if (length < 0)
        throwError();
    return static_cast<quint64>(length);
}

void CZipFile::setLength(quint64 length)
{
    if (!ZipPlatform::setFileLength(m_descriptor, length))
        throwError();
}

quint32 CZipFile::read(void* buffer, quint32 count)
{
    if (count == 0)
        return 0;
    const qint64 got = ZipPlatform::readFile(m_descriptor, buffer, count);
    if (got < 0)
        throwError();
    return static_cast<quint32>(got);
}

void CZipFile::write(const void* buffer, quint32 count)
{
    if (count == 0)
        return;
    if (ZipPlatform::writeFile(m_descriptor, buffer, count) != count)
        throwError();
}
