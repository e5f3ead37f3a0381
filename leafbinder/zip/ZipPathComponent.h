#ifndef ZIPPATHCOMPONENT_H
#define ZIPPATHCOMPONENT_H

#include "leafbinder_export.h"

#include <QString>

// Splits a disk path into its parts. On this system paths have neither a
// prefix nor a drive; the directory keeps a leading '/' so that absolute paths
// stay absolute. The file title and extension are split at the last '.'.
class LEAFBINDER_EXPORT CZipPathComponent {
public:
    CZipPathComponent() = default;
    explicit CZipPathComponent(const QString& path) { setFullPath(path); }

    void setFullPath(const QString& path);

    QString getPrefix() const { return m_prefix; }
    QString getFileDrive() const { return m_drive; }
    QString getFileDir() const { return m_directory; }
    QString getFileTitle() const { return m_title; }
    QString getFileExt() const { return m_extension; }
    void setFileTitle(const QString& title) { m_title = title; }
    void setExtension(const QString& extension);

    // Title, then "." and the extension when there is one.
    QString getFileName() const;
    // Prefix, drive and directory.
    QString getFullFileDir() const;
    // The directory, then '/' and the file name; "./name" when there is no
    // directory.
    QString getFullPath() const;
    // The path without prefix and drive.
    QString getNoDrive() const;

private:
    QString m_prefix;
    QString m_drive;
    QString m_directory;
    QString m_title;
    QString m_extension;
};

#endif
