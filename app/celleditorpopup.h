#ifndef CELLEDITORPOPUP_H
#define CELLEDITORPOPUP_H

class QComboBox;

// Opens the drop-down list of a cell editor right under the editor instead
// of where the combo box would put it: as wide as the editor and high enough
// to show every item at once (at least 40 pixels; a fixed 40 showed one item
// and a scroll arrow with this platform's fonts), its right edge under the
// editor's right edge, widened to minimumWidth (keeping its left edge) so
// the items stay readable over a narrow column. The list gets the focus.
void showCellEditorPopup(QComboBox* editor, int minimumWidth);

#endif
