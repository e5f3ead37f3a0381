#ifndef WORKERGATE_H
#define WORKERGATE_H

// Holds conversion workers between two pages until the test lets them go
// on, so that a test stops, cancels or answers a question at a point it
// knows instead of racing the worker. Its hook goes to
// VuConsoleThread::setPageHook or MainWindow::setWorkerPageHook; while the
// gate is open, workers pass it freely.

#include <QMutex>
#include <QWaitCondition>

#include <functional>

class QThread;

class WorkerGate {
public:
    WorkerGate() = default;
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;
    // Opens: no worker may be left waiting on a gate that is gone.
    ~WorkerGate();

    // The hook to give the workers; the gate must outlive them.
    std::function<void()> hook();

    // From now on the next worker to finish a page waits there.
    void shut();
    // Waits until a worker waits at the gate. False only when none came
    // within the limit, which only keeps a broken test from hanging.
    bool waitUntilHeld(int limitMs = 60000);
    void open();
    // Opens and waits until the thread of the worker that was held has
    // ended: its book is finished (or given up), its report is on its way.
    bool openAndWaitForEnd(int limitMs = 60000);

private:
    void pass();

    QMutex m_mutex;
    QWaitCondition m_changed;
    bool m_shut = false;
    int m_openings = 0;
    QThread* m_held = nullptr;
};

#endif
