#include "dialogs/vuselectarealabel.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A handle is a 6 x 6 square around its point.
QRect handleAround(int x, int y)
{
    return QRect(QPoint(x - 3, y - 3), QPoint(x + 2, y + 2));
}

} // namespace

vuSelectAreaLabel::vuSelectAreaLabel(QWidget* parent)
    : QLabel(parent)
{
    setCursor(Qt::CrossCursor);
    // Moves without a button change the cursor over the handles.
    setMouseTracking(true);
}

vuSelectAreaLabel::~vuSelectAreaLabel() = default;

void vuSelectAreaLabel::setImageHeight(int height)
{
    m_imageHeight = height;
    m_imageTop = (this->height() - height) / 2;
}

void vuSelectAreaLabel::setImageWidth(int width)
{
    m_imageWidth = width;
    m_imageLeft = (this->width() - width) / 2;
}

QRect vuSelectAreaLabel::imageArea() const
{
    return QRect(m_imageLeft, m_imageTop, m_imageWidth, m_imageHeight);
}

void vuSelectAreaLabel::setSelection(int left, int top, int right, int bottom)
{
    if (right == left - 1 && bottom == top - 1)
        m_selection = imageArea();
    else
        m_selection = QRect(QPoint(left, top), QPoint(right, bottom));
    update();
}

bool vuSelectAreaLabel::loadImage(const QString& fileName)
{
    QPixmap picture;
    if (!picture.load(fileName))
        return false;
    m_picture = picture;
    if (m_selection.left() > m_selection.right() || m_selection.top() > m_selection.bottom()) {
        m_selection = imageArea();
        emit emitSelectionChanged(m_selection);
    }
    update();
    return true;
}

void vuSelectAreaLabel::setSelectionX(int x)
{
    if (m_pressed)
        return;
    m_selection.moveLeft(x);
    update();
}

void vuSelectAreaLabel::setSelectionY(int y)
{
    if (m_pressed)
        return;
    m_selection.moveTop(y);
    update();
}

void vuSelectAreaLabel::setSelectionWidth(int width)
{
    m_selection.setRight(m_selection.left() + width - 1);
    update();
}

void vuSelectAreaLabel::setSelectionHeight(int height)
{
    m_selection.setBottom(m_selection.top() + height - 1);
    update();
}

QRect vuSelectAreaLabel::handleRect(Handle handle) const
{
    const QRect& s = m_selection;
    const int midX = s.left() + (s.right() - s.left() + 1) / 2;
    const int midY = s.top() + (s.bottom() - s.top() + 1) / 2;
    switch (handle) {
    case TopLeft:
        return handleAround(s.left(), s.top());
    case TopRight:
        return handleAround(s.right(), s.top());
    case BottomLeft:
        return handleAround(s.left(), s.bottom());
    case BottomRight:
        return handleAround(s.right(), s.bottom());
    case TopEdge:
        return handleAround(midX, s.top());
    case RightEdge:
        return handleAround(s.right(), midY);
    case BottomEdge:
        return handleAround(midX, s.bottom());
    case LeftEdge:
        return handleAround(s.left(), midY);
    case HandleCount:
        break;
    }
    return QRect();
}

void vuSelectAreaLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 128));

    if (!m_picture.isNull() && m_imageWidth > 0 && m_imageHeight > 0) {
        const double rw = double(m_picture.width()) / m_imageWidth;
        const double rh = double(m_picture.height()) / m_imageHeight;
        const QPixmap shown = rh < rw
            ? m_picture.scaledToWidth(m_imageWidth, Qt::SmoothTransformation)
            : m_picture.scaledToHeight(m_imageHeight, Qt::SmoothTransformation);
        painter.drawPixmap(m_imageLeft, m_imageTop, shown);
    }

    painter.setPen(QPen(QColor(0, 255, 0, 128), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_selection.normalized());

    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    for (int h = 0; h < HandleCount; ++h)
        painter.drawRect(handleRect(Handle(h)));

    drawFrame(&painter);
}

bool vuSelectAreaLabel::acceptsPointer(const QPoint& pos) const
{
    return !m_picture.isNull() && pos.x() >= m_imageLeft && pos.x() <= m_imageLeft + m_imageWidth
        && pos.y() >= m_imageTop && pos.y() <= m_imageTop + m_imageHeight;
}

void vuSelectAreaLabel::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!acceptsPointer(pos))
        return;
    if (m_hit == HitNone) {
        m_pressPoint = pos;
        m_selection = QRect(QPoint(pos.x(), pos.y()), QPoint(pos.x() - 2, pos.y() - 2));
    }
    m_pressed = true;
}

void vuSelectAreaLabel::mouseReleaseEvent(QMouseEvent*)
{
    // Also outside the image area: a drag that ends there must not leave the
    // label thinking a button is still held, which would lock setSelectionX
    // and setSelectionY for good.
    m_pressed = false;
}

void vuSelectAreaLabel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!acceptsPointer(pos))
        return;
    if (m_pressed && event->buttons() != Qt::NoButton)
        drag(pos);
    else
        hover(pos);
}

void vuSelectAreaLabel::hover(const QPoint& pos)
{
    struct Probe {
        Handle handle;
        Qt::CursorShape shape;
        Hit hit;
    };
    static const Probe probes[] = {
        {TopLeft, Qt::SizeFDiagCursor, HitTopLeft},
        {BottomRight, Qt::SizeFDiagCursor, HitBottomRight},
        {TopRight, Qt::SizeBDiagCursor, HitTopRight},
        {BottomLeft, Qt::SizeBDiagCursor, HitBottomLeft},
        {TopEdge, Qt::SizeVerCursor, HitTopEdge},
        {BottomEdge, Qt::SizeVerCursor, HitBottomEdge},
        {RightEdge, Qt::SizeHorCursor, HitRightEdge},
        {LeftEdge, Qt::SizeHorCursor, HitLeftEdge},
    };
    for (const Probe& probe : probes) {
        if (handleRect(probe.handle).contains(pos)) {
            setCursor(probe.shape);
            m_hit = probe.hit;
            return;
        }
    }
    if (m_selection.contains(pos)) {
        setCursor(Qt::SizeAllCursor);
        m_hit = HitInside;
    } else {
        setCursor(Qt::CrossCursor);
        m_hit = HitNone;
    }
}

void vuSelectAreaLabel::drag(const QPoint& pos)
{
    m_currentPoint = pos;
    QRect& s = m_selection;
    switch (m_hit) {
    case HitNone:
        s = QRect(QPoint(std::min(m_pressPoint.x(), pos.x()), std::min(m_pressPoint.y(), pos.y())),
                  QPoint(std::max(m_pressPoint.x(), pos.x()), std::max(m_pressPoint.y(), pos.y())));
        break;
    case HitTopLeft:
        s.setTopLeft(pos);
        break;
    case HitTopRight:
        s.setTopRight(pos);
        break;
    case HitBottomLeft:
        s.setBottomLeft(pos);
        break;
    case HitBottomRight:
        s.setBottomRight(pos);
        break;
    case HitLeftEdge:
        s.setLeft(pos.x());
        break;
    case HitRightEdge:
        s.setRight(pos.x());
        break;
    case HitTopEdge:
        s.setTop(pos.y());
        break;
    case HitBottomEdge:
        s.setBottom(pos.y());
        break;
    case HitInside:
        s.moveCenter(pos);
        break;
    }
    keepInImage();
    emit emitSelectionChanged(s);
    update();
}

// Shifts the selection into the image area keeping its size, and cuts what
// still sticks out when it is larger than the area. The last column and row
// of the area are its right and bottom edges: a selection ending one past
// them would reach outside the page. An inside-out selection stays inside
// out, so the drag that turned it goes on as it started.
void vuSelectAreaLabel::keepInImage()
{
    const int areaLeft = m_imageLeft;
    const int areaTop = m_imageTop;
    const int areaRight = m_imageLeft + m_imageWidth - 1;
    const int areaBottom = m_imageTop + m_imageHeight - 1;

    auto fit = [](int& a, int& b, int low, int high) {
        int& lo = a <= b ? a : b;
        int& hi = a <= b ? b : a;
        if (lo < low) {
            hi += low - lo;
            lo = low;
        }
        if (hi > high) {
            lo -= hi - high;
            hi = high;
        }
        lo = std::max(lo, low);
    };

    int left = m_selection.left();
    int right = m_selection.right();
    int top = m_selection.top();
    int bottom = m_selection.bottom();
    fit(left, right, areaLeft, areaRight);
    fit(top, bottom, areaTop, areaBottom);
    m_selection = QRect(QPoint(left, top), QPoint(right, bottom));
}
