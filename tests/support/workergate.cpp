#include "workergate.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QThread>

WorkerGate::~WorkerGate()
{
    open();
}

std::function<void()> WorkerGate::hook()
{
    return [this] { pass(); };
}

void WorkerGate::shut()
{
    QMutexLocker lock(&m_mutex);
    m_shut = true;
    m_held = nullptr;
}

bool WorkerGate::waitUntilHeld(int limitMs)
{
    QDeadlineTimer deadline(limitMs);
    QMutexLocker lock(&m_mutex);
    while (!m_held) {
        if (!m_changed.wait(&m_mutex, deadline))
            return false;
    }
    return true;
}

void WorkerGate::open()
{
    QMutexLocker lock(&m_mutex);
    m_shut = false;
    ++m_openings;
    m_changed.wakeAll();
}

bool WorkerGate::openAndWaitForEnd(int limitMs)
{
    QThread* held = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        held = m_held;
    }
    open();
    return held && held->wait(QDeadlineTimer(limitMs));
}

// On the worker's thread, which is the worker itself.
void WorkerGate::pass()
{
    QMutexLocker lock(&m_mutex);
    if (!m_shut)
        return;
    m_held = QThread::currentThread();
    m_changed.wakeAll();
    // A gate shut again at once must not keep back a worker it let go.
    const int opening = m_openings;
    while (opening == m_openings)
        m_changed.wait(&m_mutex);
}
