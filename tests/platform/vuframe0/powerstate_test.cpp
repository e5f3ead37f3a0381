#include "platform/vuframe0/vupowerstate.h"

#include "modalanswer.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Installs a runner that only records what it was asked to do.
class PowerRunner : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = VuPowerState::setRunner([this](int state, const QStringList& command) {
            m_runs.emplace_back(state, command);
        });
    }
    void TearDown() override { VuPowerState::setRunner(m_previous); }

    std::vector<std::pair<int, QStringList>> m_runs;
    VuPowerState::Runner m_previous;
};

TEST_F(PowerRunner, StatesMapToTheirActions)
{
    const std::vector<std::pair<int, QStringList>> expected = {
        { 4, { QStringLiteral("systemctl"), QStringLiteral("poweroff") } },
        { 2, { QStringLiteral("systemctl"), QStringLiteral("hibernate") } },
        { 1, { QStringLiteral("systemctl"), QStringLiteral("suspend") } },
        { 0, {} },
    };
    QWidget parent;
    for (const auto& entry : expected) {
        VuPowerState power(entry.first, &parent);
        power.setCountdown(0);
        EXPECT_EQ(power.exec(), QDialog::Accepted) << entry.first;
    }
    EXPECT_EQ(m_runs, expected);
}

TEST_F(PowerRunner, CancelledCountDownRunsNothing)
{
    QString shown;
    ModalAnswer answering([&shown](QWidget* modal) {
        auto* power = qobject_cast<VuPowerState*>(modal);
        ASSERT_NE(power, nullptr);
        shown = power->findChild<QLabel*>(QStringLiteral("labelCountdown"))->text();
        power->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    VuPowerState power(VuPowerState::ShutDown, nullptr);
    power.setCountdown(30);
    EXPECT_EQ(power.exec(), QDialog::Rejected);
    EXPECT_TRUE(answering.answered());
    EXPECT_TRUE(m_runs.empty());
    EXPECT_TRUE(shown.contains(QStringLiteral("shut down"))) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QStringLiteral("30"))) << qPrintable(shown);
}

TEST_F(PowerRunner, ClosingTheCountDownCancelsIt)
{
    ModalAnswer answering([](QWidget* modal) { modal->close(); });
    VuPowerState power(VuPowerState::Exit, nullptr);
    EXPECT_EQ(power.exec(), QDialog::Rejected);
    EXPECT_TRUE(m_runs.empty());
}

TEST_F(PowerRunner, CountDownThatRunsOutRunsTheAction)
{
    VuPowerState power(VuPowerState::StandBy, nullptr);
    power.setCountdown(1);
    EXPECT_EQ(power.exec(), QDialog::Accepted);
    EXPECT_EQ(power.remaining(), 0);
    ASSERT_EQ(m_runs.size(), 1u);
    EXPECT_EQ(m_runs[0].first, 1);
}

TEST_F(PowerRunner, UnknownStateDoesNothing)
{
    for (int state : { -1, 3, 5 }) {
        VuPowerState power(state, nullptr);
        power.setCountdown(0);
        EXPECT_EQ(power.exec(), QDialog::Rejected);
    }
    EXPECT_TRUE(m_runs.empty());
}

QStringList g_logged;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_logged << message;
}

TEST(PowerDefaultRunner, TestRunsOnlyLogTheCommand)
{
    // Both guards hold under the test runner: the offscreen platform and the
    // dry-run variable.
    ASSERT_TRUE(VuPowerState::isDryRun());
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    VuPowerState::defaultRunner(VuPowerState::ShutDown, VuPowerState::command(VuPowerState::ShutDown));
    VuPowerState::defaultRunner(VuPowerState::Hibernate, VuPowerState::command(VuPowerState::Hibernate));
    qInstallMessageHandler(previous);
    ASSERT_EQ(g_logged.size(), 2);
    EXPECT_TRUE(g_logged[0].contains(QStringLiteral("dry run"))) << qPrintable(g_logged[0]);
    EXPECT_TRUE(g_logged[0].contains(QStringLiteral("systemctl poweroff")));
    EXPECT_TRUE(g_logged[1].contains(QStringLiteral("systemctl hibernate")));
}

} // namespace
