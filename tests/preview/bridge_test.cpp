// The window bridge: the page window the preview hosts (made at polish,
// kept in the host's size, focus, Tab and clicks passed across, a window
// lost or moved behind the host's back), QWinWidget with its dialogs, and
// the bitmap painting of the window layer.
#include "platform/win32/win32paint.h"
#include "platform/win32/win32window.h"
#include "preview/hostwindow.h"
#include "preview/pdfapp.h"
#include "preview/qwinwidget.h"

#include "modalanswers.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class PreviewBridge : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = std::make_unique<QWidget>();
        m_frame->resize(400, 300);
        m_before = new QLineEdit(m_frame.get());
        m_before->setGeometry(0, 0, 100, 20);
        m_host = new HostWindow(m_frame.get());
        m_host->setGeometry(0, 30, 200, 150);
        m_after = new QLineEdit(m_frame.get());
        m_after->setGeometry(0, 200, 100, 20);
        m_frame->show();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    }

    void TearDown() override { m_frame.reset(); }

    std::unique_ptr<QWidget> m_frame;
    QLineEdit* m_before = nullptr;
    HostWindow* m_host = nullptr;
    QLineEdit* m_after = nullptr;
};

TEST_F(PreviewBridge, ThePageWindowIsMadeWhenThePreviewIsPolished)
{
    win32::HWND view = m_host->window();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->parentWidget(), m_host);
    EXPECT_EQ(pdfapp_globals()->viewwindow, view);
    EXPECT_EQ(pdfapp_globals()->framewindow, m_frame.get());
    ASSERT_NE(win32::asWindow(view), nullptr);
    EXPECT_EQ(win32::asWindow(view)->windowClass().name, QStringLiteral("qtest"));
    EXPECT_TRUE(win32::windowStyle(view) & win32::WS_CHILD);
    EXPECT_TRUE(win32::windowStyle(view) & win32::WS_TABSTOP);
    // The host's procedure stands in front of the viewer's.
    EXPECT_NE(win32::windowProc(view), nullptr);
    EXPECT_NE(win32::windowProc(view), &pdfapp_viewproc);
    EXPECT_EQ(m_host->focusPolicy(), Qt::StrongFocus);
}

TEST_F(PreviewBridge, ThePageWindowFillsThePreview)
{
    win32::HWND view = m_host->window();
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry(), QRect(0, 0, 200, 150));
    EXPECT_EQ(pdfapp_record()->winw, 200);
    EXPECT_EQ(pdfapp_record()->winh, 150);
    m_host->resize(260, 120);
    EXPECT_EQ(view->geometry(), QRect(0, 0, 260, 120));
    EXPECT_EQ(pdfapp_record()->winw, 260);
    EXPECT_EQ(pdfapp_record()->winh, 120);
}

TEST_F(PreviewBridge, FocusGoesOnToThePageWindow)
{
    m_host->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), m_host->window());
}

TEST_F(PreviewBridge, TabInThePageWindowMovesOn)
{
    m_host->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), m_host->window());
    QTest::keyClick(m_host->window(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), m_after);

    m_host->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_host->window(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), m_before);
}

TEST_F(PreviewBridge, OtherKeysStayWithThePageWindow)
{
    m_host->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_host->window(), Qt::Key_Down);
    QTest::keyClick(m_host->window(), Qt::Key_A);
    EXPECT_EQ(QApplication::focusWidget(), m_host->window());
}

TEST_F(PreviewBridge, AClickIntoThePageWindowTakesTheFocus)
{
    m_before->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), m_before);
    QTest::mouseClick(m_host->window(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(QApplication::focusWidget(), m_host->window());
}

TEST_F(PreviewBridge, AClickOnAHostWithoutClickFocusLeavesTheFocus)
{
    m_host->setFocusPolicy(Qt::TabFocus);
    m_before->setFocus();
    QTest::mouseClick(m_host->window(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(QApplication::focusWidget(), m_before);
}

TEST_F(PreviewBridge, AWindowLostBehindTheHostsBackIsForgotten)
{
    win32::destroyWindow(m_host->window());
    QEvent polish(QEvent::Polish);
    QApplication::sendEvent(m_host, &polish);
    EXPECT_EQ(m_host->window(), nullptr);
    EXPECT_EQ(pdfapp_globals()->viewwindow, nullptr);
    // The preview goes on without a page window.
    m_host->resize(150, 150);
    m_host->setFocus();
    m_host->clearPDF();
}

TEST_F(PreviewBridge, AWindowMovedAwayIsBroughtBack)
{
    win32::HWND view = m_host->window();
    win32::setParent(view, m_frame.get());
    ASSERT_EQ(view->parentWidget(), m_frame.get());
    QEvent polish(QEvent::Polish);
    QApplication::sendEvent(m_host, &polish);
    EXPECT_EQ(m_host->window(), view);
    EXPECT_EQ(view->parentWidget(), m_host);
}

TEST_F(PreviewBridge, ABlockedPreviewDisablesItsWindow)
{
    QEvent blocked(QEvent::WindowBlocked);
    QApplication::sendEvent(m_host, &blocked);
    EXPECT_FALSE(m_host->window()->isEnabled());
    QEvent unblocked(QEvent::WindowUnblocked);
    QApplication::sendEvent(m_host, &unblocked);
    EXPECT_TRUE(m_host->window()->isEnabled());
}

TEST(PreviewBridgeClass, TheReturnSlotSaysSo)
{
    QWidget frame;
    auto* host = new HostWindow(&frame);
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    host->returnPressed();
    EXPECT_EQ(answers.titles(), QStringList({ QStringLiteral("Message from Qt") }));
    EXPECT_EQ(answers.texts(), QStringList({ QStringLiteral("Return pressed in QLineEdit!") }));
}

class WinWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(400, 300);
        m_parent->setFocusPolicy(Qt::StrongFocus);
        m_field = new QLineEdit(m_parent.get());
        m_field->setGeometry(0, 0, 100, 20);
        m_parent->show();
        m_parent->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_parent.get()));
    }

    void TearDown() override { m_parent.reset(); }

    std::unique_ptr<QWidget> m_parent;
    QLineEdit* m_field = nullptr;
};

TEST_F(WinWidget, LivesInsideItsNativeParent)
{
    QWinWidget widget(m_parent.get());
    EXPECT_EQ(widget.parentWindow(), m_parent.get());
    EXPECT_EQ(widget.parentWidget(), m_parent.get());
    EXPECT_FALSE(widget.isWindow());
}

TEST_F(WinWidget, CentresOnItsParent)
{
    QWinWidget widget(m_parent.get());
    new QDialog(&widget);
    widget.center();
    EXPECT_EQ(widget.geometry(), QRect(200, 150, 0, 0));
}

TEST_F(WinWidget, CentringWithAnInnerChildWarnsAndStillCentres)
{
    QWinWidget widget(m_parent.get());
    new QLineEdit(&widget);
    QTest::ignoreMessage(QtWarningMsg,
                         "QWinWidget::center: Call this function only for QWinWidgets with toplevel children");
    widget.center();
    EXPECT_EQ(widget.geometry(), QRect(200, 150, 0, 0));
}

TEST_F(WinWidget, AModalDialogHidesItAndGivesTheFocusBack)
{
    auto* widget = new QWinWidget(m_parent.get());
    m_field->setFocus();
    widget->showCentered();
    QDialog dialog(widget);
    bool hiddenMeanwhile = false;
    bool usableMeanwhile = false;
    ModalAnswers answers({ [&](QWidget* modal) {
        hiddenMeanwhile = widget->isHidden();
        // The parent is not disabled: the dialog, its descendant, would be
        // disabled with it and could not be answered.
        usableMeanwhile = modal->isEnabled() && m_parent->isEnabled();
        static_cast<QDialog*>(modal)->reject();
    } });
    dialog.exec();
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(usableMeanwhile);
    EXPECT_EQ(m_parent->focusWidget(), m_field);
}

TEST_F(WinWidget, ADialogThatDeletesItselfTakesTheWidgetAlong)
{
    QPointer<QWinWidget> widget = new QWinWidget(m_parent.get());
    auto* dialog = new QDialog(widget);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(widget.isNull());
}

TEST_F(WinWidget, TabbingPastTheLastChildReturnsToTheParent)
{
    QWinWidget widget(m_parent.get());
    auto* first = new QLineEdit(&widget);
    auto* last = new QLineEdit(&widget);
    widget.setGeometry(0, 50, 200, 60);
    first->setGeometry(0, 0, 100, 20);
    last->setGeometry(0, 30, 100, 20);
    widget.show();

    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&widget, &tabIn);
    EXPECT_EQ(QApplication::focusWidget(), first);
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), last);
    QTest::keyClick(last, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), m_parent.get());

    QFocusEvent backIn(QEvent::FocusIn, Qt::BacktabFocusReason);
    QApplication::sendEvent(&widget, &backIn);
    EXPECT_EQ(QApplication::focusWidget(), last);
    QTest::keyClick(last, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), first);
    QTest::keyClick(first, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), m_parent.get());
}

// A 2 x 2 bitmap: top row red, green; bottom row blue, white.
QImage paintBitmap(bool topRowFirst)
{
    const quint32 top[2] = { 0xFFFF0000, 0xFF00FF00 };
    const quint32 bottom[2] = { 0xFF0000FF, 0xFFFFFFFF };
    quint32 bits[4];
    const quint32* first = topRowFirst ? top : bottom;
    const quint32* second = topRowFirst ? bottom : top;
    bits[0] = first[0];
    bits[1] = first[1];
    bits[2] = second[0];
    bits[3] = second[1];
    win32::BITMAPINFO info;
    info.bmiHeader.biSize = sizeof(win32::BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = topRowFirst ? -2 : 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    QImage device(4, 4, QImage::Format_RGB32);
    device.fill(Qt::black);
    QPainter painter(&device);
    EXPECT_EQ(win32::setDIBitsToDevice(&painter, 1, 1, 2, 2, 0, 0, bits, info), 2);
    return device;
}

TEST(Win32Paint, BitmapsAreDrawnUprightWhicheverRowComesFirst)
{
    for (bool topRowFirst : { true, false }) {
        const QImage device = paintBitmap(topRowFirst);
        EXPECT_EQ(device.pixel(1, 1), 0xFFFF0000u);
        EXPECT_EQ(device.pixel(2, 1), 0xFF00FF00u);
        EXPECT_EQ(device.pixel(1, 2), 0xFF0000FFu);
        EXPECT_EQ(device.pixel(2, 2), 0xFFFFFFFFu);
        EXPECT_EQ(device.pixel(0, 0), 0xFF000000u);
    }
}

TEST(Win32Paint, EmptyRectanglesFillNothing)
{
    QImage device(4, 4, QImage::Format_RGB32);
    device.fill(Qt::black);
    QPainter painter(&device);
    const win32::HBRUSH brush = win32::createSolidBrush(win32::RGB(255, 0, 0));
    EXPECT_EQ(win32::fillRect(&painter, { 2, 0, 2, 4 }, brush), 0);
    EXPECT_EQ(win32::fillRect(&painter, { 0, 3, 4, 1 }, brush), 0);
    EXPECT_EQ(win32::fillRect(&painter, { 1, 1, 3, 2 }, brush), 1);
    painter.end();
    EXPECT_EQ(device.pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(device.pixel(3, 1), 0xFF000000u);
    EXPECT_EQ(device.pixel(1, 2), 0xFF000000u);
}

} // namespace
