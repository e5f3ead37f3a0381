#ifndef PRIVATEFOLDER_H
#define PRIVATEFOLDER_H

#include <QString>

// Folders of this user that nobody else may enter, so that what is put in
// them cannot be read, replaced or steered elsewhere by another user.

// The key that names the product's private folders. The framework knows it
// as its "PRODUCT_KEY"; the library, which cannot ask the framework, needs
// it too.
inline constexpr char kProductKey[] = "quireflow";

// "<system temporary folder>/<key>-<uid>": the name of this user's private
// folder in the temporary folder (QDir::tempPath(), which honours TMPDIR).
// Nothing is made. Empty when the temporary folder does not exist.
QString userTempFolderPath(const QString& key);

// True when path is a real folder (not a symbolic link) owned by this user
// that nobody else may enter. Changes nothing.
bool isPrivateFolder(const QString& path);

// True when path is, or has just been made, such a folder: a missing one is
// made with mode 0700, and a folder of this user that others may enter is
// closed to them. Anything else at path (a link, a file, another user's
// folder) is refused.
bool ensurePrivateFolder(const QString& path);

#endif
