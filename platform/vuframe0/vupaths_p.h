#ifndef VUPATHS_P_H
#define VUPATHS_P_H

#include <QString>

namespace Vu {

// True when path is a real folder (not a symbolic link) owned by this user
// that nobody else may enter. Changes nothing.
bool isPrivateFolder(const QString& path);

// True when path is, or has just been made, such a folder: a missing one is
// made with mode 0700, and a folder of this user that others may enter is
// closed to them. Anything else at path (a link, a file, another user's
// folder) is refused.
bool ensurePrivateFolder(const QString& path);

} // namespace Vu

#endif
