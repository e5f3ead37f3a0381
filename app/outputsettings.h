#ifndef OUTPUTSETTINGS_H
#define OUTPUTSETTINGS_H

// Where books go, as the preference store keeps it: the two keys are named
// here once, for everything that reads or writes them.

#include <QString>

namespace outputsettings {

// Text: the custom output folder stored last.
inline constexpr char kFolderKey[] = "last_outputfile_dir";
// Bool: true when books go next to their PDF files ("Save in the same
// folder as the original file"), false for the custom folder.
inline constexpr char kSameFolderKey[] = "last_outputfile_radio";

// The stored custom output folder, or Vu::outputPath() when none is stored
// or the stored one is no absolute path.
QString storedFolder();

// Stored at once.
void storeFolder(const QString& folder);

// The stored choice of the same folder; false when none is stored.
bool storedSameFolder();
void storeSameFolder(bool sameFolder);

} // namespace outputsettings

#endif
