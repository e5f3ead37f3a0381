#ifndef APPENDFILE_H
#define APPENDFILE_H

#include <QByteArray>
#include <QString>

// Files in a folder that others may write to, such as the shared temporary
// folder. Only a regular file owned by this user is ever written: a symbolic
// link, a pipe, a device or another user's file at the path is refused at
// once, without following it and without waiting for a reader.

// Opens the file for reading and appending, creating it private to the user
// when missing. Returns a descriptor or -1.
int openAppendNoFollow(const QString& path);

// Makes the file at path hold exactly bytes: what was there is removed first,
// and the file is then made anew on the terms above. False when anything else
// stays in the way or the bytes could not be written.
bool replaceNoFollow(const QString& path, const QByteArray& bytes);

#endif
