#include "app/vubooklinklabel.h"

#include <QFontMetrics>

#include <algorithm>

VuBookLinkLabel::VuBookLinkLabel(const QString& bookPath, const QString& name, QWidget* parent)
    : QLabel(parent)
    , m_bookPath(bookPath)
    , m_name(name)
{
    setObjectName(QStringLiteral("itemLabel"));
    setCursor(Qt::OpenHandCursor);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setContextMenuPolicy(Qt::NoContextMenu);
    setToolTip(m_name);
    showName();
}

// The name follows a space, and is cut to the room the label has.
void VuBookLinkLabel::showName()
{
    const QString shown = QLatin1Char(' ') + m_name;
    const QString fitted = fontMetrics().elidedText(shown, Qt::ElideRight, std::max(0, contentsRect().width()));
    setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(m_bookPath.toHtmlEscaped(), fitted.toHtmlEscaped()));
}

void VuBookLinkLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showName();
}
