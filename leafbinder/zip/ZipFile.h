#ifndef ZIPFILE_H
#define ZIPFILE_H

#include "ZipAbstractFile.h"

namespace ZipPlatform {
class CDirectory;
}

// A disk file on a system file descriptor with 64-bit offsets. Every failure
// throws CZipException with the system's error number as code and the file's
// path as file name; reaching the end of the file is not a failure.
class LEAFBINDER_EXPORT CZipFile : public CZipAbstractFile {
public:
    // Open flags: one access mode, optionally with create, no-truncate and one
    // sharing mode. Creating or opening for writing truncates the file unless
    // modeNoTruncate is given. Sharing modes are kept for callers but have no
    // effect on this system.
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyReadWrite = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000
    };

    CZipFile() = default;
    CZipFile(const QString& path, int openFlags);
    ~CZipFile() override;

    // Opening an open file closes it first. With throwOnError false a failure
    // gives false instead of an exception.
    bool open(const QString& path, int openFlags, bool throwOnError) override;
    // Opens the file name of an open directory for reading, without
    // following a link unless followLink; path names it in errors and as
    // its path. Only a regular file opens.
    bool openInFolder(const ZipPlatform::CDirectory& folder, const QByteArray& name, const QString& path,
                      bool followLink, bool throwOnError);
    // Takes a descriptor the caller opened (and no longer closes itself);
    // path names the file in errors and as its path.
    void attach(int descriptor, const QString& path);
    void close() override;
    // Makes the written data durable on disk.
    void flush() override;
    quint64 getPosition() const override;
    quint64 seek(qint64 offset, int origin) override;
    quint64 getLength() const override;
    void setLength(quint64 length) override;
    QString getFilePath() const override { return m_path; }
    bool hasFilePath() const override { return true; }
    quint32 read(void* buffer, quint32 count) override;
    void write(const void* buffer, quint32 count) override;
    bool isClosed() const override { return m_descriptor == -1; }

private:
    [[noreturn]] void throwError() const;
    // Takes an opened descriptor, or reports the failure that gave -1.
    bool adopt(int descriptor, const QString& path, bool throwOnError);

    QString m_path;
    int m_descriptor = -1;
};

#endif
