#ifndef ZIPSPLITNAMESHANDLER_H
#define ZIPSPLITNAMESHANDLER_H

#include <QString>

// Names the volume files of a split archive. Volumes are counted from 1.
// The base names nothing.
class CZipSplitNamesHandler {
public:
    enum Flags {
        flagLastVolume = 0x02,   // the volume is the archive's last
        flagExisting = 0x04      // the archive was opened, not created
    };

    virtual void setArchivePath(const QString& path);
    // The path of a volume; empty from the base.
    virtual QString getVolumeName(const QString& archivePath, quint32 volume, int flags) const;
    // The volume number a path names; 0 when it names none.
    virtual quint32 getVolumeNumber(const QString& path) const;
    virtual ~CZipSplitNamesHandler();

protected:
    // The path with its extension (after the last '.' of the file name)
    // replaced; an extension is added when the name has none.
    static QString withExtension(const QString& path, const QString& extension);
    static QString extensionOf(const QString& path);
};

// book.z01, book.z02, ... and the archive's own name (book.zip) for the last.
class CZipRegularSplitNamesHandler : public CZipSplitNamesHandler {
public:
    void setArchivePath(const QString& path) override;
    QString getVolumeName(const QString& archivePath, quint32 volume, int flags) const override;
    quint32 getVolumeNumber(const QString& path) const override;

private:
    QString m_extension = QStringLiteral("zip");
};

// book.zip.001, book.zip.002, ...: pieces of one archive cut at fixed sizes.
// For an opened archive the path given is a volume's, whose number is
// replaced.
class CZipBinSplitNamesHandler : public CZipSplitNamesHandler {
public:
    QString getVolumeName(const QString& archivePath, quint32 volume, int flags) const override;
    quint32 getVolumeNumber(const QString& path) const override;
};

#endif
