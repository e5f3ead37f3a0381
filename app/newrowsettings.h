#ifndef NEWROWSETTINGS_H
#define NEWROWSETTINGS_H

// How new task rows are set up, as the preference store keeps it: the keys
// are named here once. The task list writes the start values at every start
// of the program, so a choice made while adding files lasts until it ends.

namespace newrowsettings {

// Int: the conversion mode of new rows, 0 Text, 1 Picture; 0 at start.
inline constexpr char kModeKey[] = "selected_mode";
// Bool: whether adding a file asks for its mode first; true at start.
inline constexpr char kShowHintKey[] = "last_show_hint";

inline constexpr int kTextMode = 0;
inline constexpr int kPictureMode = 1;
// The zoom of a row set to Picture mode without the picture dialog.
inline constexpr int kDefaultPictureZoom = 100;

} // namespace newrowsettings

#endif
