#include "app/vulineedit.h"

#include "app/outputsettings.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

VuLineEdit::VuLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

VuLineEdit::~VuLineEdit() = default;

void VuLineEdit::mousePressEvent(QMouseEvent* event)
{
    const bool leftOrRight = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (leftOrRight && objectName() == QLatin1String("nameDisplay"))
        emit mouseClick();
    QLineEdit::mousePressEvent(event);
}

// The base class still sees every key, so Enter and Return end the editing
// as in any line edit, after the check has put a usable text in place.
void VuLineEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        undo();
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        checkFolder();
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void VuLineEdit::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() == Qt::MouseFocusReason)
        checkFolder();
    QLineEdit::focusOutEvent(event);
}

// Setting the text again, with the cursor at 0, shows a long path from its
// first character.
void VuLineEdit::checkFolder()
{
    const QString folder = text();
    if (Vu::isFolderNameValid(folder, true)) {
        setText(folder);
    } else {
        VuMessageBox::info(tr("The specified path is invalid!"), VuPref::product_name(), this);
        setText(outputsettings::storedFolder());
    }
    setCursorPosition(0);
}
