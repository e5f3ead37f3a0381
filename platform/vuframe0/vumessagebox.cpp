#include "platform/vuframe0/vumessagebox.h"

#include <QPointer>

namespace {

QMessageBox::StandardButton runBox(QMessageBox::Icon icon, const QString& text, const QString& title,
                                   QMessageBox::StandardButtons buttons, QWidget* parent,
                                   QMessageBox::StandardButton defaultButton, bool center)
{
    // On the heap behind a guard: should the parent be destroyed while the
    // box runs, the box goes with it and must not be deleted twice.
    QPointer<QMessageBox> box = new QMessageBox(icon, title, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    if (!center)
        box->setAttribute(Qt::WA_Moved);
    const int result = box->exec();
    if (!box)
        return QMessageBox::NoButton;
    delete box;
    return static_cast<QMessageBox::StandardButton>(result);
}

} // namespace

QMessageBox::StandardButton VuMessageBox::info(const QString& text, const QString& title,
                                               QWidget* parent, bool center)
{
    return runBox(QMessageBox::Information, text, title, QMessageBox::Ok, parent, QMessageBox::Ok,
                  center);
}

QMessageBox::StandardButton VuMessageBox::alert(const QString& text, const QString& title,
                                                QWidget* parent, bool center)
{
    return runBox(QMessageBox::Warning, text, title, QMessageBox::Ok, parent, QMessageBox::Ok,
                  center);
}

QMessageBox::StandardButton VuMessageBox::question(const QString& text, const QString& title,
                                                   QMessageBox::StandardButtons buttons,
                                                   QWidget* parent,
                                                   QMessageBox::StandardButton defaultButton,
                                                   bool center)
{
    return runBox(QMessageBox::Question, text, title, buttons, parent, defaultButton, center);
}
