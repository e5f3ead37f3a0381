#include "ZipException.h"

#include <cerrno>
#include <cstring>

namespace {

struct CodeText {
    int code;
    const char* text;
};

// Every code the engine raises, with its text.
const CodeText codeTexts[] = {
    {CZipException::genericError, "Unknown error"},
    {CZipException::badArchive, "The archive is damaged or is not a ZIP archive"},
    {CZipException::badCrc, "The CRC of the data does not match the stored CRC"},
    {CZipException::noVolumeCallback, "No callback for changing volumes is set"},
    {CZipException::noVolumeSize, "A split archive needs a volume size"},
    {CZipException::volumeRefused, "The volume change was refused"},
    {CZipException::stoppedUnsafely, "The operation was stopped and the archive may be damaged"},
    {CZipException::stoppedSafely, "The operation was stopped"},
    {CZipException::notRemovable, "The drive is not removable"},
    {CZipException::tooManyVolumes, "Too many volumes"},
    {CZipException::fieldTooLong, "A name, comment or extra field is too long"},
    {CZipException::cannotContinue, "The operation cannot continue"},
    {CZipException::noAttributes, "The file attributes cannot be read"},
    {CZipException::cannotDelete, "The file cannot be deleted"},
    {CZipException::cannotRename, "The file cannot be renamed"},
    {CZipException::unsupportedHost, "The host system is not supported"},
    {CZipException::noEndRecord, "The end of the central directory was not found"},
    {CZipException::needsZip64, "Zip64 would be needed, which is not supported"},
    {CZipException::unsupportedEncryption, "The encryption method is not supported"},
    {CZipException::internalError, "Internal error"},
    {CZipException::libStreamEnd, "Compression library: stream end"},
    {CZipException::libNeedDictionary, "Compression library: dictionary needed"},
    {CZipException::libErrno, "Compression library: file error"},
    {CZipException::libStreamError, "Compression library: stream error"},
    {CZipException::libDataError, "Compression library: data error"},
    {CZipException::libMemoryError, "Not enough memory"},
    {CZipException::libBufferError, "Compression library: buffer error"},
    {CZipException::libVersionError, "Compression library: incompatible version"},
};

} // namespace

CZipException::CZipException(int code, const QString& fileName)
    : m_fileName(fileName), m_code(code), m_systemError(errno)
{
    QString text = getErrorDescription(code);
    if (!fileName.isEmpty())
        text += QStringLiteral(" (%1)").arg(fileName);
    m_what = text.toStdString();
}

CZipException::~CZipException() = default;

void CZipException::throwZipException(int code, const QString& fileName)
{
    throw CZipException(code, fileName);
}

QString CZipException::getErrorDescription(int code)
{
    for (const CodeText& entry : codeTexts) {
        if (entry.code == code)
            return QString::fromLatin1(entry.text);
    }
    if (code > 0 && code < genericError)
        return QString::fromLocal8Bit(std::strerror(code));
    return QString::fromLatin1(codeTexts[0].text);
}

const char* CZipException::what() const noexcept
{
    return m_what.c_str();
}
