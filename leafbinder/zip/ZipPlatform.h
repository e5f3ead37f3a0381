#ifndef ZIPPLATFORM_H
#define ZIPPLATFORM_H

// The ZIP engine's one door to the operating system: files on descriptors with
// 64-bit offsets, directory listing, attributes and times, temporary names,
// free space and removable drives. The engine makes no system call of its own;
// the Linux implementation of this layer is in platform/zipos/. The
// code-page and separator helpers at the end are portable.

#include "leafbinder_export.h"

#include <QString>

#include <ctime>
#include <memory>

class CZipAutoBuffer;

namespace ZipArchiveLib {
struct CFileInfo;
}

namespace ZipPlatform {

// --- Files on descriptors (used by CZipFile) -------------------------------
// Each returns -1 or false on failure; lastError() then gives the system's
// error number. openFlags are those of CZipFile::open; the sharing bits have
// no counterpart here and are ignored.
int openFile(const QString& path, int openFlags);
bool closeFile(int descriptor);
bool flushFile(int descriptor);
qint64 seekFile(int descriptor, qint64 offset, int origin);
qint64 fileLength(int descriptor);
bool setFileLength(int descriptor, quint64 length);
// Reads until count bytes or the end of the file; -1 on error.
qint64 readFile(int descriptor, void* buffer, quint32 count);
// Writes all count bytes; -1 on error.
qint64 writeFile(int descriptor, const void* buffer, quint32 count);
int lastError();
// Sets what lastError() gives, for callers that report through it.
void setLastError(int error);

// --- Attributes, times and other file-system helpers ------------------------
// Attributes in the Windows bits: 0x10 folder, else 0x01 when the owner may
// not write and 0x20 otherwise.
bool getFileAttributes(const QString& path, quint32& attributes);
// Last modification time in seconds since 1970 (UTC). When it cannot be had or
// is not positive, the current time is given and the result is false.
bool getFileModTime(const QString& path, qint64& time);
bool setFileModTime(const QString& path, qint64 time);
// 0: does not exist, -1: a directory, 1: anything else.
int getPathKind(const QString& path);
inline bool isDirectoryAttribute(quint32 attributes) { return (attributes & 0x10) != 0; }
// Free bytes where the path lies; 0 when unknown.
quint64 getFreeSpace(const QString& path);
bool isRemovableDrive(const QString& path);
bool setVolumeLabel(const QString& path, const QString& label);
// On failure: false, or CZipException 217 / 218 with the path.
bool removeFile(const QString& path, bool throwOnError = true);
bool renameFile(const QString& oldPath, const QString& newPath, bool throwOnError = true);
bool getCurrentDirectory(QString& directory);
QString getSystemTempFolder();
// Makes a new empty file "ZAR..." in the first of folder, the system's
// temporary folder and the current folder that has neededBytes free (any when
// 0), and returns its path; empty when none qualifies.
QString getTemporaryFileName(const QString& folder, quint64 neededBytes);
// True when both paths name the same existing file.
bool isSameFile(const QString& first, const QString& second);

// Fills buffer with bytes of the system's random source; false when it
// cannot give them.
bool getRandomBytes(void* buffer, quint32 count);

// --- Time ----------------------------------------------------------------
qint64 currentTime();
// Seconds since 1970 to local time (honours TZ); false when not representable.
bool toLocalTime(qint64 time, std::tm& local);
// Local time to seconds since 1970 (daylight saving as the fields say, -1 =
// let the system decide); -1 when not representable.
qint64 fromLocalTime(std::tm& local);

// --- Open directories ------------------------------------------------------
// A directory held by its descriptor. It is opened without following a link
// at its own name, and what is found through it (its listing, its
// subdirectories, its files) is opened relative to it, so a walk stays
// inside the directory it began in even when a path on the way is swapped
// for a link or another directory meanwhile. Names of entries are the bytes
// the file system holds, as a listing gives them.
class LEAFBINDER_EXPORT CDirectory {
public:
    // Which file or directory on disk (device and inode).
    struct CIdentity {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const CIdentity& other) const { return device == other.device && inode == other.inode; }
        bool operator!=(const CIdentity& other) const { return !(*this == other); }
    };

    ~CDirectory();
    CDirectory(const CDirectory&) = delete;
    CDirectory& operator=(const CDirectory&) = delete;

    // The directory at path; null (lastError() set) when nothing is there or
    // it is no directory, or, unless followLink, a link.
    static std::unique_ptr<CDirectory> open(const QString& path, bool followLink = false);
    // The subdirectory name, on the terms of open().
    std::unique_ptr<CDirectory> openChild(const QByteArray& name) const;
    // Makes the new subdirectory name, open to this user only, and opens it;
    // null when anything at all is at that name, even a dangling link.
    std::unique_ptr<CDirectory> createChild(const QByteArray& name) const;
    // The same directory on a descriptor of its own.
    std::unique_ptr<CDirectory> duplicate() const;
    // The file name of this directory opened for reading, only when it is a
    // regular file; a link is followed only with followLink. A descriptor for
    // CZipFile, or -1 with lastError() set.
    int openFile(const QByteArray& name, bool followLink) const;
    // Makes the new file name (nothing may be at that name, not even a
    // dangling link) with the mode of any new document, 0666 less the umask,
    // and opens it for reading and writing. A descriptor, or -1.
    int createFile(const QByteArray& name) const;
    // The same under a name of its own: prefix, six random letters or digits
    // and suffix; name receives it.
    int createUniqueFile(const QString& prefix, const QString& suffix, QByteArray& name) const;
    // Removes the entry name, never what a link leads to; the directory form
    // only an empty subdirectory.
    bool removeFile(const QByteArray& name) const;
    bool removeDirectory(const QByteArray& name) const;
    // Removes everything inside this directory, subdirectories included, never
    // following a link; false when anything stays.
    bool removeContents() const;
    // Gives the file name, which must be the file open on descriptor, the
    // name newName in target, which must be free: nothing is ever replaced.
    // False with lastError() set: EEXIST when newName is taken, ESTALE when
    // name no longer leads to that file, before or during the move.
    bool moveFile(const QByteArray& name, int descriptor, const CDirectory& target, const QByteArray& newName) const;
    // Whether the entry name (a link itself, not its target) is the file or
    // directory of that identity.
    bool holds(const QByteArray& name, const CIdentity& identity) const;
    CIdentity identity() const;
    static CIdentity identityOf(int descriptor);
    // The longest file name, in bytes, this directory can hold.
    int maxNameLength() const;

private:
    friend class CDirectorySearch;
    explicit CDirectory(int descriptor);
    int m_descriptor;
};

// --- Directory listing -----------------------------------------------------
// Lists one open directory in the order the file system gives, "." and ".."
// included. Symbolic links to files count as those files (marked as links);
// links to directories, broken links and special files are left out, so a
// walk can neither loop nor block on a pipe.
class CDirectorySearch {
public:
    explicit CDirectorySearch(const CDirectory& directory);
    ~CDirectorySearch();
    CDirectorySearch(const CDirectorySearch&) = delete;
    CDirectorySearch& operator=(const CDirectorySearch&) = delete;

    bool isOpen() const;
    // The system's error number when the directory could not be listed to
    // its end; 0 otherwise.
    int error() const { return m_error; }
    // name is for display and paths: bytes that are not UTF-8 are replaced.
    // The entry is opened by nativeName().
    bool next(QString& name, ZipArchiveLib::CFileInfo& info);
    // Of the entry next() gave last: its name as the file system holds it,
    // and which file it is (a link's target for a link).
    const QByteArray& nativeName() const { return m_nativeName; }
    CDirectory::CIdentity identity() const { return m_identity; }

private:
    struct CHandle;
    std::unique_ptr<CHandle> m_handle;
    int m_error = 0;
    QByteArray m_nativeName;
    CDirectory::CIdentity m_identity;
};

// --- Drives ----------------------------------------------------------------
// Removable drives, volume labels and free space, behind one replaceable
// object so tests can pretend that a folder is a removable disk. The default
// says "not removable", labels succeed doing nothing, and free space is the
// file system's.
class LEAFBINDER_EXPORT CDriveService {
public:
    virtual ~CDriveService();
    virtual bool isRemovableDrive(const QString& path);
    virtual bool setVolumeLabel(const QString& path, const QString& label);
    virtual quint64 getFreeSpace(const QString& path);
};

// Installs a drive service (the caller keeps ownership; null restores the
// default) and returns the one installed before. Install it before archives
// are worked on; it is not guarded against other threads.
LEAFBINDER_EXPORT CDriveService* setDriveService(CDriveService* service);

// --- Code pages (portable) -------------------------------------------------
enum CodePage : quint32 {
    codePageAnsi = 0,       // Windows-1252 here
    codePageOem = 1,        // IBM 437, what ZIP readers assume for plain names
    codePageUtf8 = 65001
};
// Text to bytes of the code page. Empty text: empty buffer, 0. A character the
// code page lacks makes the result -1 with an empty buffer, never a
// substitute. Otherwise the byte count.
int wideToCodePage(CZipAutoBuffer& buffer, const QString& text, quint32 codePage);
// Bytes to text; empty buffer: empty text, 0; invalid UTF-8: -1, empty text.
int codePageToWide(const CZipAutoBuffer& buffer, QString& text, quint32 codePage);
bool isAscii(const QString& text);

// --- File names (system) ---------------------------------------------------
// The system names files with bytes. A name is carried as text that keeps
// them all: valid UTF-8 as its characters, every other byte as a character
// of its own that no valid text holds, so names that differ only in such
// bytes stay apart and the bytes come back exactly.
QString fileNameFromBytes(const QByteArray& bytes);
QByteArray fileNameToBytes(const QString& name);
// True when the text holds bytes that were no UTF-8.
bool holdsNameBytes(const QString& name);

// --- Separators (portable) ----------------------------------------------
// Entry names take '\' and '/' as separators; disk paths on this system only '/'.
inline bool isNameSeparator(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }
inline bool isPathSeparator(QChar c) { return c == QLatin1Char('/'); }
QString removeTrailingSeparators(const QString& name);
QString setTrailingSeparator(const QString& name);
QString removeLeadingSeparators(const QString& name);
int replaceChar(QString& text, QChar from, QChar to);
// Disk paths: trailing '/' removed, except for the root itself.
QString removeTrailingPathSeparators(const QString& path);

// Name comparers; the archive holds one of them (case-insensitive by default)
// to compare paths with its root path.
int compareNamesCaseSensitive(const QString& first, const QString& second);
int compareNamesCaseInsensitive(const QString& first, const QString& second);
using NameCompareFunction = int (*)(const QString&, const QString&);

} // namespace ZipPlatform

#endif
