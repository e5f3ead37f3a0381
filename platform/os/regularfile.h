#ifndef REGULARFILE_H
#define REGULARFILE_H

#include <QString>

#include <functional>
#include <memory>

// A file a user named as input (a PDF, a cover picture), opened once and
// read only through that opening. The opening never waits: anything but a
// regular file (a named pipe, a device, a folder) is refused, judged by the
// opened descriptor itself. Its path is never opened again, so another user
// who swaps the file for a pipe once it is open changes nothing that is
// read, and nobody waits on that pipe.
//
// Reads go by offset, so several readers, on several threads, read the one
// opening independently; whoever holds the shared pointer keeps it open.
class RegularFile {
public:
    // The file at path (a link to one is followed), open for reading. Null
    // when it cannot be opened or is no regular file; *why then says so.
    static std::shared_ptr<const RegularFile> open(const QString& path, QString* why = nullptr);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // The size now; -1 when it cannot be read.
    qint64 size() const;
    // Up to count bytes from offset: the number read, 0 at the end, -1 on an
    // error (errno says which).
    qint64 readAt(qint64 offset, char* buffer, qint64 count) const;

    // For tests: called with the path of every file once it is open and
    // found regular, before anything is read from it, so a test can act as
    // another user could at that moment. Set it while no file is opened.
    // The library compiles this file too and has a hook of its own.
    static void setOpenedHook(std::function<void(const QString&)> hook);

private:
    explicit RegularFile(int descriptor);

    int m_descriptor;
};

#endif
