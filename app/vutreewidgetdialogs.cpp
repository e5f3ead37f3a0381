// The dialogs the task list opens for a row: the mode of a new row and the
// picture settings of a row set to Picture mode.
#include "app/vutreewidget.h"

#include <QTreeWidgetItem>

// HOOK: the mode dialog (VuModeSelector) is not in the tree yet. Until it
// is, the stored mode applies and the dialog stays on.
void VuTreeWidget::askModeOfNewRow(int* mode, bool* showHint)
{
    Q_UNUSED(mode);
    Q_UNUSED(showHint);
}

// HOOK: the picture dialog (VuPictureConfigDialog) is not in the tree yet.
// Until it is, the row keeps its zoom, which leaves a Text row in Text mode.
void VuTreeWidget::editPictureSettings(QTreeWidgetItem* row)
{
    Q_UNUSED(row);
}
