#ifndef APPENDFILE_H
#define APPENDFILE_H

#include <QByteArray>
#include <QString>

// Files in a folder that others may write to, such as the shared temporary
// folder. Only a regular file owned by this user with no other name is ever
// written: a symbolic link, a pipe, a device, another user's file, or a hard
// link that would carry the lines into some other file, is refused at once,
// without following it and without waiting for a reader.

// Opens the file for reading and appending, creating it private to the user
// when missing. Returns a descriptor or -1.
int openAppendNoFollow(const QString& path);

// Makes the file at path hold exactly bytes: what was there is removed first
// (only that name: another name of the same file keeps its content), and a
// new file is then made private to the user. False when anything stays in
// the way or the bytes could not be written.
bool replaceNoFollow(const QString& path, const QByteArray& bytes);

#endif
