#ifndef VUUIUPDATER_P_H
#define VUUIUPDATER_P_H

#include <QObject>
#include <QTimer>

class VuMainWindow;

// Watches the application's events and, after input, a queued signal or an
// activation, calls the window's updateUiState() once the event loop has
// handled what is pending. Timer events do not count, so the refresh cannot
// start itself again.
class VuUiUpdater : public QObject {
    Q_OBJECT
public:
    explicit VuUiUpdater(VuMainWindow* window);
    ~VuUiUpdater() override;

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    void request();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VuMainWindow* m_window;
    QTimer m_timer;
    bool m_enabled = false;
};

#endif
