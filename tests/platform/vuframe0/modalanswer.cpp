#include "modalanswer.h"

#include <QApplication>
#include <QWidget>

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> handler)
    : m_handler(std::move(handler))
{
    connect(&m_poll, &QTimer::timeout, this, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        m_poll.stop();
        m_answered = true;
        m_handler(modal);
    });
    m_poll.start(10);
}
