#include "platform/vuframe0/vupowerstate.h"

#include "platform/vuframe0/vulog_p.h"
#include "platform/vuframe0/vupref.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QVBoxLayout>

namespace {

// The installed runner; empty means the default. Only tests replace it.
QMutex g_runnerMutex;
VuPowerState::Runner g_runner;

} // namespace

VuPowerState::VuPowerState(int state, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("VuPowerState"));
    setWindowTitle(VuPref::product_name());

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("labelCountdown"));
    m_label->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(buttons);

    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &VuPowerState::tick);
    updateText();
}

VuPowerState::~VuPowerState() = default;

void VuPowerState::setCountdown(int seconds)
{
    m_countdown = seconds;
    m_remaining = seconds;
    updateText();
}

int VuPowerState::exec()
{
    if (!isKnownState(m_state)) {
        qCWarning(lcVuframe, "unknown power state %d: nothing is done", m_state);
        return QDialog::Rejected;
    }
    m_remaining = m_countdown;
    updateText();
    int result = QDialog::Accepted;
    if (m_remaining > 0) {
        m_tick.start();
        result = QDialog::exec();
        m_tick.stop();
    }
    if (result == QDialog::Accepted)
        runAction();
    return result;
}

void VuPowerState::tick()
{
    if (--m_remaining > 0) {
        updateText();
        return;
    }
    m_tick.stop();
    accept();
}

void VuPowerState::updateText()
{
    const int n = qMax(m_remaining, 0);
    switch (m_state) {
    case ShutDown:
        m_label->setText(tr("The computer will shut down in %n second(s).", nullptr, n));
        break;
    case Hibernate:
        m_label->setText(tr("The computer will hibernate in %n second(s).", nullptr, n));
        break;
    case StandBy:
        m_label->setText(tr("The computer will go to stand by in %n second(s).", nullptr, n));
        break;
    case Exit:
        m_label->setText(tr("%1 will exit in %n second(s).", nullptr, n).arg(VuPref::product_name()));
        break;
    default:
        m_label->clear();
        break;
    }
}

void VuPowerState::runAction()
{
    Runner runner;
    {
        const QMutexLocker lock(&g_runnerMutex);
        runner = g_runner;
    }
    const QStringList cmd = command(m_state);
    if (runner)
        runner(m_state, cmd);
    else
        defaultRunner(m_state, cmd);
}

bool VuPowerState::isKnownState(int state)
{
    return state == Exit || state == StandBy || state == Hibernate || state == ShutDown;
}

QStringList VuPowerState::command(int state)
{
    switch (state) {
    case ShutDown:
        return { QStringLiteral("systemctl"), QStringLiteral("poweroff") };
    case Hibernate:
        return { QStringLiteral("systemctl"), QStringLiteral("hibernate") };
    case StandBy:
        return { QStringLiteral("systemctl"), QStringLiteral("suspend") };
    default:
        return {};
    }
}

VuPowerState::Runner VuPowerState::setRunner(Runner runner)
{
    const QMutexLocker lock(&g_runnerMutex);
    Runner previous = std::move(g_runner);
    g_runner = std::move(runner);
    return previous;
}

bool VuPowerState::isDryRun()
{
    if (!qEnvironmentVariableIsEmpty("QUIREFLOW_POWER_DRYRUN"))
        return true;
    // No GUI at all, or a GUI nobody sees: never touch the machine.
    const QString platform = QGuiApplication::platformName();
    return platform.isEmpty() || platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void VuPowerState::defaultRunner(int state, const QStringList& command)
{
    if (command.isEmpty()) {
        if (state == Exit) {
            // exit, not quit: the action must not wait for windows to agree.
            qCInfo(lcVuframe, "power state 0: quitting the program");
            QCoreApplication::exit(0);
        }
        return;
    }
    if (isDryRun()) {
        qCInfo(lcVuframe, "power state %d: dry run, not running \"%s\"", state,
               qUtf8Printable(command.join(QLatin1Char(' '))));
        return;
    }
    if (!QProcess::startDetached(command.first(), command.mid(1)))
        qCWarning(lcVuframe, "power state %d: cannot start \"%s\"", state,
                  qUtf8Printable(command.join(QLatin1Char(' '))));
}
