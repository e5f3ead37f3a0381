#ifndef PATHTEXT_H
#define PATHTEXT_H

// Paths are built here and nowhere else: with "/", by plain concatenation
// (never by filling a pattern, where a folder named "%2" would be filled
// again). A folder text that ends in "\" comes from a stored row of an older
// version; that "\" is read as the separator. Anywhere else "\" is an
// ordinary character of a file name on this platform.

#include <QString>

namespace utils {

// The folder text ending in exactly the one separator "/"; the empty text
// stays empty (no folder is not the root folder).
QString folderPath(const QString& folder);

// folder and name joined by one "/".
QString joinPath(const QString& folder, const QString& name);

} // namespace utils

#endif
