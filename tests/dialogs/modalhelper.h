#ifndef DIALOGS_MODALHELPER_H
#define DIALOGS_MODALHELPER_H

// Answers modal windows the way a user would: a timer waits, from inside the
// window's own event loop, until a modal window other than `outer` is shown,
// then hands it to the action.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace dialogtest {

// Runs action once on the next visible modal window that is not outer.
// Nothing happens when none comes within a few seconds, so a missing window
// fails the test's own checks instead of hanging it.
inline void whenModal(std::function<void(QWidget*)> action, QWidget* outer = nullptr)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QPointer<QWidget> skip(outer);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, skip, action] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && modal != skip.data();
        if (!found && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            action(modal);
    });
    timer->start(10);
}

template <typename T>
void whenModalOf(std::function<void(T*)> action, QWidget* outer = nullptr)
{
    whenModal([action](QWidget* w) { action(qobject_cast<T*>(w)); }, outer);
}

} // namespace dialogtest

#endif
