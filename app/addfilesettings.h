#ifndef ADDFILESETTINGS_H
#define ADDFILESETTINGS_H

// Where the add commands open their dialogs, as the preference store keeps
// it: the key is named here once. "Add File(s)..." and "Add Folder..." read
// and write the same folder.

#include <QString>

namespace addfilesettings {

// Text: the folder of the files or the folder picked last.
inline constexpr char kOpenFolderKey[] = "last_openfile_dir";

// The stored folder, or Vu::docPath() when none is stored or the stored
// one is no absolute path.
QString storedFolder();
// Stored at once.
void storeFolder(const QString& folder);

} // namespace addfilesettings

#endif
