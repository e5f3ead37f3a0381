#ifndef APPENDFILE_H
#define APPENDFILE_H

#include <QString>

// Opens a file for appending, creating it private to the user when missing.
// A symbolic link at the path is refused, so a planted link in a shared
// temporary folder cannot redirect the writes. Returns a descriptor or -1.
int openAppendNoFollow(const QString& path);

#endif
