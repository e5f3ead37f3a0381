#include "preview/qwinwidget.h"

#include "platform/win32/win32window.h"

#include <QApplication>
#include <QChildEvent>
#include <QFocusEvent>
#include <QtDebug>

QWinWidget::QWinWidget(win32::HWND parentWnd, QObject* parent, Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
    , nativeParent(parentWnd)
{
    if (auto* owner = qobject_cast<QWidget*>(parent))
        QWidget::setParent(owner, windowFlags());
    init();
}

QWinWidget::~QWinWidget() = default;

// Inside a native parent the widget is one of its child windows; the
// embedding event tells Qt's own code (styles, focus) that it is embedded.
void QWinWidget::init()
{
    if (!nativeParent)
        return;
    QWidget::setParent(nativeParent, windowFlags() & ~Qt::WindowType_Mask);
    QEvent embedding(QEvent::EmbeddingControl);
    QApplication::sendEvent(this, &embedding);
}

void QWinWidget::show()
{
    saveFocus();
    QWidget::show();
}

void QWinWidget::center()
{
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* child : children) {
        if (!child->isWindow()) {
            qWarning("QWinWidget::center: Call this function only for QWinWidgets with toplevel children");
            break;
        }
    }
    win32::RECT rect;
    if (!win32::getWindowRect(nativeParent, &rect))
        return;
    const QPoint centre(rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2);
    const QPoint at = isWindow() ? centre : parentWidget()->mapFromGlobal(centre);
    setGeometry(at.x(), at.y(), 0, 0);
}

void QWinWidget::showCentered()
{
    center();
    show();
}

void QWinWidget::saveFocus()
{
    if (savedFocus)
        return;
    savedFocus = win32::getFocus();
    if (!savedFocus)
        savedFocus = nativeParent;
}

void QWinWidget::resetFocus()
{
    win32::setFocus(savedFocus ? savedFocus.data() : nativeParent.data());
}

void QWinWidget::childEvent(QChildEvent* event)
{
    QObject* child = event->child();
    if (child->isWidgetType()) {
        if (event->added()) {
            child->installEventFilter(this);
        } else if (event->removed() && parentDisabled) {
            parentDisabled = false;
            child->removeEventFilter(this);
        }
    }
    QWidget::childEvent(event);
}

bool QWinWidget::eventFilter(QObject* object, QEvent* event)
{
    auto* child = qobject_cast<QWidget*>(object);
    if (!child)
        return QWidget::eventFilter(object, event);
    switch (event->type()) {
    case QEvent::Show:
        if (child->isWindow()) {
            saveFocus();
            hide();
            if (child->isModal() && !parentDisabled)
                parentDisabled = true;
        }
        break;
    case QEvent::Hide:
        parentDisabled = false;
        resetFocus();
        if (child->isWindow() && child->testAttribute(Qt::WA_DeleteOnClose))
            deleteLater();
        break;
    case QEvent::Close:
        win32::setActiveWindow(nativeParent);
        if (child->testAttribute(Qt::WA_DeleteOnClose))
            deleteLater();
        break;
    case QEvent::WindowDeactivate:
        if (child->isModal() && child->isHidden())
            win32::bringWindowToTop(nativeParent);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(object, event);
}

bool QWinWidget::isTabStop(const QWidget* widget) const
{
    return widget != this && isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus)
        && widget->isEnabled() && widget->isVisibleTo(this);
}

// Tabbing in from the native parent: the first of the widget's children
// that takes tab focus gets it, or the last one for Shift+Tab.
void QWinWidget::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
        return;
    QWidget* target = nullptr;
    for (QWidget* w = nextInFocusChain(); w != this && isAncestorOf(w); w = w->nextInFocusChain()) {
        if (isTabStop(w)) {
            target = w;
            if (reason == Qt::TabFocusReason)
                break;
        }
    }
    if (!target)
        return;
    target->setFocus(reason);
    target->setAttribute(Qt::WA_KeyboardFocusChange);
    target->window()->setAttribute(Qt::WA_KeyboardFocusChange);
}

// Tabbing past the widget's last child (or back past its first) leaves for
// the native parent instead of wandering into the parent's other widgets.
bool QWinWidget::focusNextPrevChild(bool next)
{
    QWidget* current = QApplication::focusWidget();
    if (!current || current == this || !isAncestorOf(current)) {
        win32::setFocus(nativeParent);
        return true;
    }
    QWidget* w = next ? current->nextInFocusChain() : current->previousInFocusChain();
    while (w != this && isAncestorOf(w)) {
        if (isTabStop(w))
            return QWidget::focusNextPrevChild(next);
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    }
    win32::setFocus(nativeParent);
    return true;
}
