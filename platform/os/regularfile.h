#ifndef REGULARFILE_H
#define REGULARFILE_H

#include <QString>

class QFile;

// Opens a file for reading only when it is a regular file (or a link to
// one). Anything else, a named pipe, a device or a folder, is refused before
// it is opened: opening or reading a pipe blocks until someone writes to it,
// which may be never. The type is checked again on the open descriptor, so a
// pipe put in the file's place in between is refused as well, without
// blocking. Returns a blocking, close-on-exec descriptor, or -1.
int openRegularFileForReading(const QString& path);

// The same for a QFile, which then owns the descriptor. False when refused.
bool openRegularFile(QFile* file, const QString& path);

#endif
