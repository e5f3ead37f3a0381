#include "app/vulineedit.h"

VuLineEdit::VuLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

VuLineEdit::~VuLineEdit() = default;
