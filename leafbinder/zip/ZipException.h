#ifndef ZIPEXCEPTION_H
#define ZIPEXCEPTION_H

#include "leafbinder_export.h"

#include <QString>

#include <exception>
#include <string>

// The ZIP engine's only error report. Every failure inside the engine is
// thrown as one of these, by value; the code says what went wrong. Codes below
// 200 are the system's errno values from file operations.
class LEAFBINDER_EXPORT CZipException : public std::exception {
public:
    enum ErrorCode {
        genericError = 200,
        badArchive = 201,           // damaged or not an archive
        badCrc = 202,
        noVolumeCallback = 203,
        noVolumeSize = 204,
        volumeRefused = 205,
        stoppedUnsafely = 206,      // a callback stopped something that cannot be undone
        stoppedSafely = 207,        // a callback stopped and the archive stays consistent
        notRemovable = 208,
        tooManyVolumes = 209,
        fieldTooLong = 211,         // name, comment or extra field of 65,536 bytes or more
        cannotContinue = 215,
        noAttributes = 216,
        cannotDelete = 217,
        cannotRename = 218,
        unsupportedHost = 219,
        noEndRecord = 220,
        needsZip64 = 221,           // a Zip64 archive, or data beyond the 32-bit limits of the format
        unsupportedEncryption = 222,
        internalError = 223,
        libStreamEnd = 500,
        libNeedDictionary = 501,
        libErrno = 502,
        libStreamError = 503,
        libDataError = 504,
        libMemoryError = 505,       // also: a memory file cannot grow or seek there
        libBufferError = 506,
        libVersionError = 507
    };

    CZipException(int code, const QString& fileName = QString());
    ~CZipException() override;

    // Builds the exception and throws it by value.
    [[noreturn]] static void throwZipException(int code, const QString& fileName = QString());

    int getCode() const { return m_code; }
    // The file the failure concerns; may be empty.
    const QString& getFileName() const { return m_fileName; }
    // The system's error number when the exception was made.
    int getSystemError() const { return m_systemError; }
    // A short English description of the code, from one table.
    static QString getErrorDescription(int code);
    const char* what() const noexcept override;

private:
    QString m_fileName;
    int m_code;
    int m_systemError;
    std::string m_what;
};

#endif
