#ifndef VUPOWERSTATE_H
#define VUPOWERSTATE_H

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>

class QLabel;

// The "After Done" power action. exec() shows a count-down that the user
// can cancel; when it runs out the action is handed to the runner:
//   4 shut down   "systemctl poweroff"
//   2 hibernate   "systemctl hibernate"
//   1 stand by    "systemctl suspend"
//   0 exit        quit the program (no command)
// The default runner starts the command, or quits for 0. Under the offscreen
// or minimal Qt platform, without a GUI application, or with
// QUIREFLOW_POWER_DRYRUN set, it only logs the command: a test run never switches the machine off. Tests install a
// recording runner with setRunner().
class VuPowerState : public QDialog {
    Q_OBJECT
public:
    enum State { Exit = 0, StandBy = 1, Hibernate = 2, ShutDown = 4 };

    // Receives the state and its command (empty for Exit).
    using Runner = std::function<void(int state, const QStringList& command)>;

    explicit VuPowerState(int state, QWidget* parent = nullptr);
    ~VuPowerState() override;

    int state() const { return m_state; }

    // Seconds of the count-down (30 unless set); 0 or less runs the action
    // at once, without showing the dialog.
    void setCountdown(int seconds);
    int countdown() const { return m_countdown; }
    // Seconds left while the dialog runs.
    int remaining() const { return m_remaining; }

    // Runs the count-down, then the action. Returns QDialog::Accepted when
    // the action was handed to the runner, QDialog::Rejected when the user
    // cancelled or the state is unknown (nothing is run then).
    int exec() override;

    static bool isKnownState(int state);
    // The command for a state; empty for Exit and unknown states.
    static QStringList command(int state);

    // Installs the runner used from now on and returns the previous one; an
    // empty runner restores the default.
    static Runner setRunner(Runner runner);
    static void defaultRunner(int state, const QStringList& command);
    // True when the default runner only logs.
    static bool isDryRun();

private:
    void tick();
    void updateText();
    void runAction();

    int m_state;
    int m_countdown = 30;
    int m_remaining = 30;
    QLabel* m_label = nullptr;
    QTimer m_tick;
};

#endif
