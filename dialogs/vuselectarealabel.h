#ifndef VUSELECTAREALABEL_H
#define VUSELECTAREALABEL_H

#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QRect>

// A page picture fitted into an image area (300 x 400 pixels unless set
// otherwise, centred in the label) with one selection rectangle over it that
// the user draws, moves and resizes with the mouse through eight square
// handles. Everything is in the label's own pixel coordinates.
//
// Mouse drags keep the rectangle inside the image area and report it through
// emitSelectionChanged(); the programmatic setters report nothing. An edge or
// corner drag may turn the rectangle inside out; readers that need an area
// normalise it. GUI thread only.
class vuSelectAreaLabel : public QLabel {
    Q_OBJECT
public:
    // What lies under the pointer; the numbers are fixed hit codes that callers compare against.
    enum Hit {
        HitLeftEdge = 0,
        HitRightEdge = 1,
        HitTopEdge = 2,
        HitBottomEdge = 3,
        HitTopLeft = 4,
        HitTopRight = 5,
        HitBottomLeft = 6,
        HitBottomRight = 7,
        HitInside = 8,
        HitNone = 9,
    };

    explicit vuSelectAreaLabel(QWidget* parent = nullptr);
    ~vuSelectAreaLabel() override;

    // The size of the image area; each also centres it in the label at the
    // label's present size.
    void setImageHeight(int height);
    void setImageWidth(int width);
    int imageLeft() const { return m_imageLeft; }
    int imageTop() const { return m_imageTop; }
    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    QRect imageArea() const;

    // The form of a null rectangle (right = left - 1, bottom = top - 1)
    // selects the whole image area. Repaints; emits nothing.
    void setSelection(int left, int top, int right, int bottom);
    QRect selection() const { return m_selection; }

    // Loads the picture (format from the file); false leaves everything as
    // it was. Without a valid selection the whole image area becomes the
    // selection and is reported.
    bool loadImage(const QString& fileName);
    bool hasPicture() const { return !m_picture.isNull(); }

    int hitCode() const { return m_hit; }

signals:
    void emitSelectionChanged(const QRect& selection);

public slots:
    // Moves the selection so that its left (top) is x (y); ignored while a
    // mouse button is held on the label.
    void setSelectionX(int x);
    void setSelectionY(int y);
    // Sets the selection's size from its left (top) edge.
    void setSelectionWidth(int width);
    void setSelectionHeight(int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    enum Handle { TopLeft, TopRight, BottomLeft, BottomRight, TopEdge, RightEdge, BottomEdge, LeftEdge, HandleCount };

    bool acceptsPointer(const QPoint& pos) const;
    QRect handleRect(Handle handle) const;
    void hover(const QPoint& pos);
    void drag(const QPoint& pos);
    void keepInImage();

    int m_hit = HitNone;
    bool m_pressed = false;
    QRect m_selection;
    QPoint m_pressPoint;
    QPoint m_currentPoint;
    int m_imageHeight = 400;
    int m_imageWidth = 300;
    int m_imageTop = 0;
    int m_imageLeft = 0;
    QPixmap m_picture;
};

#endif
