#ifndef PAINTRECORDER_H
#define PAINTRECORDER_H

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPaintDevice>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>

class RecordingPaintEngine;

// A paint device that draws nothing and keeps what was asked of it: every
// text with its baseline origin, font and pen colour, and every filled
// rectangle with its brush colour. It shows what a painter drew, whatever
// style or font rendering the platform has.
class PaintRecorder : public QPaintDevice {
public:
    struct Text {
        QString text;
        QPointF origin;
        QFont font;
        QColor pen;
    };
    struct Fill {
        QRectF rect;
        QColor colour;
    };

    explicit PaintRecorder(const QSize& size);
    ~PaintRecorder() override;

    QPaintEngine* paintEngine() const override;

    const QList<Text>& texts() const;
    const QList<Fill>& fills() const;
    // Any drawing at all: texts, fills, lines, shapes or pictures.
    int drawCalls() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<RecordingPaintEngine> m_engine;
};

#endif
