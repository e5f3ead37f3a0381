#ifndef MODALANSWER_H
#define MODALANSWER_H

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Waits (while a modal window runs its own event loop) for the next modal
// window and hands it to a handler once, which reads and answers it.
class ModalAnswer : public QObject {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> handler);

    bool answered() const { return m_answered; }

private:
    std::function<void(QWidget*)> m_handler;
    QTimer m_poll;
    bool m_answered = false;
};

#endif
