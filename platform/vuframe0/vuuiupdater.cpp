#include "platform/vuframe0/vuuiupdater_p.h"

#include "platform/vuframe0/vumainwindow.h"

#include <QCoreApplication>
#include <QEvent>

VuUiUpdater::VuUiUpdater(VuMainWindow* window)
    : QObject(window)
    , m_window(window)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_enabled)
            m_window->updateUiState();
    });
}

VuUiUpdater::~VuUiUpdater()
{
    setEnabled(false);
}

void VuUiUpdater::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (enabled)
            app->installEventFilter(this);
        else
            app->removeEventFilter(this);
    }
    if (enabled)
        request();
    else
        m_timer.stop();
}

void VuUiUpdater::request()
{
    if (m_enabled && !m_timer.isActive())
        m_timer.start();
}

bool VuUiUpdater::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Drop:
    case QEvent::Wheel:
    case QEvent::MetaCall:
    case QEvent::Show:
    case QEvent::WindowActivate:
        request();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
