#ifndef VUPATHS_H
#define VUPATHS_H

#include <QString>

class QWidget;

// The framework's folder helpers. Folder texts come without a trailing "/".
namespace Vu {

// A private folder of this user under the system's temporary folder
// (QDir::tempPath(), which honours TMPDIR), made with mode 0700 on first
// use: "<tmp>/<product_key>-<uid>". Should that name be taken by anything
// but a folder of this user (another user's folder, a symbolic link), a
// fresh private folder with a random suffix is made instead and used for the
// rest of the run. Empty when no private folder can be made.
QString tempPath();

// The user's documents folder (the home folder when there is none).
QString docPath();

// The default output folder: "<docPath>/<product name>". Not created here.
QString outputPath();

// True when path can name a folder on this system: not empty or blank, no
// control characters, no name longer than 255 bytes, at most 4095 bytes in
// all, not an existing file other than a folder, and absolute when
// mustBeAbsolute is true.
bool isFolderNameValid(const QString& path, bool mustBeAbsolute = true);

// True when path is an existing folder in which this process can create a
// file (tried with a temporary file that is removed at once).
bool isFolderWritable(const QString& path);

// Moves the widget's window so that it is centred over its parent window
// when that is visible, else over the available area of its screen, kept
// inside that screen.
void moveCenter(QWidget* widget);

} // namespace Vu

#endif
