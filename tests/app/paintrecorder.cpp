#include "paintrecorder.h"

#include <QPaintEngine>
#include <QTextItem>

class RecordingPaintEngine : public QPaintEngine {
public:
    RecordingPaintEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen();
        if (state.state() & QPaintEngine::DirtyBrush)
            m_brush = state.brush();
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
    }

    void drawTextItem(const QPointF& origin, const QTextItem& item) override
    {
        ++drawCalls;
        texts.append({item.text(), m_transform.map(origin), item.font(), m_pen.color()});
    }

    void drawRects(const QRectF* rects, int count) override
    {
        ++drawCalls;
        for (int i = 0; i < count; ++i)
            fills.append({m_transform.mapRect(rects[i]), m_brush.color()});
    }
    void drawRects(const QRect* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF rect(rects[i]);
            drawRects(&rect, 1);
        }
    }

    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++drawCalls; }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++drawCalls; }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
        ++drawCalls;
    }
    void drawPath(const QPainterPath&) override { ++drawCalls; }
    void drawLines(const QLineF*, int) override { ++drawCalls; }
    void drawEllipse(const QRectF&) override { ++drawCalls; }
    void drawPoints(const QPointF*, int) override { ++drawCalls; }

    QList<PaintRecorder::Text> texts;
    QList<PaintRecorder::Fill> fills;
    int drawCalls = 0;

private:
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
};

PaintRecorder::PaintRecorder(const QSize& size)
    : m_size(size)
    , m_engine(std::make_unique<RecordingPaintEngine>())
{
}

PaintRecorder::~PaintRecorder() = default;

QPaintEngine* PaintRecorder::paintEngine() const
{
    return m_engine.get();
}

const QList<PaintRecorder::Text>& PaintRecorder::texts() const
{
    return m_engine->texts;
}

const QList<PaintRecorder::Fill>& PaintRecorder::fills() const
{
    return m_engine->fills;
}

int PaintRecorder::drawCalls() const
{
    return m_engine->drawCalls;
}

int PaintRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return m_size.width() * 254 / 960;
    case PdmHeightMM:
        return m_size.height() * 254 / 960;
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    default:
        return 0;
    }
}
