#ifndef UTILS_H
#define UTILS_H

// Helpers that the conversion worker and the main window share: page lists
// (pagelist.h), output names (outputname.h), path building (pathtext.h), and
// the file and size helpers below. None keeps state: any thread may call them.

#include "convert/outputname.h"
#include "convert/pagelist.h"
#include "convert/pathtext.h"

#include <QString>

namespace utils {

// A file size as text with two decimals and a binary unit: 1536 gives
// "1.50 KB", 512 gives "512B". The "T" step starts at 1000 GB.
QString sizeToText(qint64 size);

// The work folder of a book. The worker starts the book only when
// workFolderIsFree said true; the book's create then makes the folder new as
// this book's own (and fails when anything has taken the name since), so
// removeWorkFolder, called after the book is closed (or given up), removes
// nothing that was there before.
//
// True when nothing at all is at path: no file, no folder, no symbolic link,
// not even a dangling one. Missing parents are no obstacle.
bool workFolderIsFree(const QString& path);

// Removes a work folder. Its files whose names hold a "." and do not start
// with one, and all its sub-folders the same way; a sub-folder named "image"
// only with removeImageFolder (deeper ones always). A symbolic link is never
// followed and never removed, wherever it lies; at the path itself nothing
// is removed. Stops at the first removal that fails. True when the folder is
// gone, also when there was none; false when anything stays behind.
bool removeWorkFolder(const QString& path, bool removeImageFolder);

// True when the folder exists afterwards, creating it with its parents.
bool makePath(const QString& path);

// QFileInfo::exists.
bool fileExists(const QString& path);

// Whether the registry names the local server of the word-processor
// component; logs the failed open. The main window asks once at start.
bool isInstallWord();

} // namespace utils

#endif
