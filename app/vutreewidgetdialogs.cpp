// The dialogs the task list opens for a row: the mode of a new row and the
// picture settings of a row set to Picture mode. Both are run modally and
// read afterwards, whatever closed them.
#include "app/vutreewidget.h"

#include "dialogs/pictureconfig.h"
#include "dialogs/vumodeselector.h"
#include "platform/vuframe0/vupaths.h"

#include <QTreeWidgetItem>

void VuTreeWidget::askModeOfNewRow(int* mode, bool* showHint)
{
    VuModeSelector selector;
    selector.exec();
    *mode = selector.currentMode();
    *showHint = selector.showHintAgain();
}

// On OK the dialog has stored the zoom and the page area in the row.
void VuTreeWidget::editPictureSettings(QTreeWidgetItem* row)
{
    VuPictureConfigDialog dialog(row, nullptr);
    Vu::moveCenter(&dialog);
    dialog.exec();
}
