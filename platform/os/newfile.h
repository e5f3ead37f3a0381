#ifndef NEWFILE_H
#define NEWFILE_H

#include <QString>

// New files beside others in a folder, as a program that writes documents
// makes them.

// Makes a new empty file named prefix, six random letters or digits and
// suffix in folder, and returns its path; empty when none could be made. It
// gets the mode of any new document: 0666 less the user's umask.
QString createUniqueFile(const QString& folder, const QString& prefix, const QString& suffix);

// The longest file name, in bytes, that folder can hold; 255 when the system
// cannot say.
int maxFileNameBytes(const QString& folder);

#endif
