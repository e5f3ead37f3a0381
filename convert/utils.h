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

// Removes a work folder by its path: its files whose names hold a "." and
// do not start with one, and all its sub-folders the same way; a sub-folder
// named "image" only with removeImageFolder (deeper ones always). A
// symbolic link is never followed and never removed, wherever it lies; at
// the path itself nothing is removed. Stops at the first removal that
// fails. True when the folder is gone, also when there was none; false when
// anything stays behind. The worker does not use it: a book's work folder
// is removed by the book builder, through the folder it holds open, when
// the book is given up.
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
