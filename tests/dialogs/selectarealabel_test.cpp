// The selection label: its image area, the selection set by the dialog, and
// drawing, moving and resizing the rectangle with the mouse, always kept
// inside the image.
#include "dialogs/vuselectarealabel.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The label as the Picture-mode dialog has it: 320 x 420 with a centred
// 300 x 400 image area, so the area starts at (10, 10).
class SelectAreaLabel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_picture = m_dir.filePath(QStringLiteral("page.png"));
        QImage image(600, 800, QImage::Format_RGB32);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(m_picture));
        m_label.setFixedSize(320, 420);
        m_label.setImageWidth(300);
        m_label.setImageHeight(400);
        m_label.show();
    }

    void loadPicture() { ASSERT_TRUE(m_label.loadImage(m_picture)); }

    // A drag as the user makes it: the pointer comes to `from` (which
    // decides what the drag does), presses, moves to `to` and lets go there.
    void drag(QPoint from, QPoint to)
    {
        hover(from);
        QTest::mousePress(&m_label, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(&m_label, to);
        QTest::mouseRelease(&m_label, Qt::LeftButton, Qt::NoModifier, to);
    }

    // Qt drops a move to where the pointer already is, so each hover starts
    // from a corner outside the image area, where the label does not react.
    void hover(QPoint at)
    {
        QTest::mouseMove(&m_label, QPoint(1, 1));
        QTest::mouseMove(&m_label, at);
    }

    static QRect rect(int left, int top, int right, int bottom)
    {
        return QRect(QPoint(left, top), QPoint(right, bottom));
    }

    QTemporaryDir m_dir;
    QString m_picture;
    vuSelectAreaLabel m_label;
};

TEST_F(SelectAreaLabel, StartsWithCrossCursorTrackingAndANullSelection)
{
    vuSelectAreaLabel fresh;
    EXPECT_EQ(fresh.cursor().shape(), Qt::CrossCursor);
    EXPECT_TRUE(fresh.hasMouseTracking());
    EXPECT_TRUE(fresh.selection().isNull());
    EXPECT_EQ(fresh.imageWidth(), 300);
    EXPECT_EQ(fresh.imageHeight(), 400);
    EXPECT_EQ(fresh.imageLeft(), 0);
    EXPECT_EQ(fresh.imageTop(), 0);
    EXPECT_FALSE(fresh.hasPicture());
}

TEST_F(SelectAreaLabel, ImageAreaIsCentredInTheLabel)
{
    EXPECT_EQ(m_label.imageLeft(), 10);
    EXPECT_EQ(m_label.imageTop(), 10);
    m_label.setImageHeight(231);
    EXPECT_EQ(m_label.imageTop(), (420 - 231) / 2);
    EXPECT_EQ(m_label.imageArea(), QRect(10, 94, 300, 231));
}

TEST_F(SelectAreaLabel, NullRectangleSelectsTheWholeImageAreaSilently)
{
    QSignalSpy changed(&m_label, &vuSelectAreaLabel::emitSelectionChanged);
    m_label.setSelection(0, 0, -1, -1);
    EXPECT_EQ(m_label.selection(), rect(10, 10, 309, 409));
    m_label.setSelection(40, 50, 139, 99);
    EXPECT_EQ(m_label.selection(), rect(40, 50, 139, 99));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(SelectAreaLabel, LoadingAPictureSelectsTheImageOnlyWithoutAValidSelection)
{
    QSignalSpy changed(&m_label, &vuSelectAreaLabel::emitSelectionChanged);
    EXPECT_FALSE(m_label.loadImage(m_dir.filePath(QStringLiteral("missing.png"))));
    EXPECT_FALSE(m_label.hasPicture());
    EXPECT_EQ(changed.count(), 0);

    loadPicture();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toRect(), rect(10, 10, 309, 409));

    m_label.setSelection(40, 50, 139, 99);
    loadPicture();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m_label.selection(), rect(40, 50, 139, 99));
}

TEST_F(SelectAreaLabel, WithoutAPictureTheMouseChangesNothing)
{
    m_label.setSelection(60, 60, 159, 159);
    drag(QPoint(60, 60), QPoint(30, 30));
    EXPECT_EQ(m_label.cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(m_label.hitCode(), vuSelectAreaLabel::HitNone);
    EXPECT_EQ(m_label.selection(), rect(60, 60, 159, 159));
}

TEST_F(SelectAreaLabel, HoveringNamesTheHandleAndSetsTheCursor)
{
    loadPicture();
    m_label.setSelection(60, 60, 159, 159);
    struct Probe {
        QPoint at;
        int hit;
        Qt::CursorShape shape;
    };
    const Probe probes[] = {
        {{60, 60}, vuSelectAreaLabel::HitTopLeft, Qt::SizeFDiagCursor},
        {{161, 161}, vuSelectAreaLabel::HitBottomRight, Qt::SizeFDiagCursor},
        {{159, 58}, vuSelectAreaLabel::HitTopRight, Qt::SizeBDiagCursor},
        {{58, 159}, vuSelectAreaLabel::HitBottomLeft, Qt::SizeBDiagCursor},
        {{110, 60}, vuSelectAreaLabel::HitTopEdge, Qt::SizeVerCursor},
        {{110, 159}, vuSelectAreaLabel::HitBottomEdge, Qt::SizeVerCursor},
        {{159, 110}, vuSelectAreaLabel::HitRightEdge, Qt::SizeHorCursor},
        {{60, 110}, vuSelectAreaLabel::HitLeftEdge, Qt::SizeHorCursor},
        {{100, 130}, vuSelectAreaLabel::HitInside, Qt::SizeAllCursor},
        {{200, 200}, vuSelectAreaLabel::HitNone, Qt::CrossCursor},
    };
    for (const Probe& probe : probes) {
        hover(probe.at);
        EXPECT_EQ(m_label.hitCode(), probe.hit) << probe.at.x() << "," << probe.at.y();
        EXPECT_EQ(m_label.cursor().shape(), probe.shape) << probe.at.x() << "," << probe.at.y();
    }
    // Outside the image area the label does not react.
    QTest::mouseMove(&m_label, QPoint(5, 5));
    EXPECT_EQ(m_label.hitCode(), vuSelectAreaLabel::HitNone);
    QTest::mouseMove(&m_label, QPoint(100, 130));
    QTest::mouseMove(&m_label, QPoint(315, 130));
    EXPECT_EQ(m_label.hitCode(), vuSelectAreaLabel::HitInside);
}

TEST_F(SelectAreaLabel, DrawingUpAndLeftGivesANormalisedRectangle)
{
    loadPicture();
    m_label.setSelection(20, 20, 39, 39);
    QSignalSpy changed(&m_label, &vuSelectAreaLabel::emitSelectionChanged);
    drag(QPoint(200, 250), QPoint(120, 100));
    EXPECT_EQ(m_label.selection(), rect(120, 100, 200, 250));
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toRect(), rect(120, 100, 200, 250));
}

TEST_F(SelectAreaLabel, PressAndReleaseAloneReportNothing)
{
    loadPicture();
    m_label.setSelection(20, 20, 39, 39);
    QSignalSpy changed(&m_label, &vuSelectAreaLabel::emitSelectionChanged);
    hover(QPoint(200, 250));
    QTest::mousePress(&m_label, Qt::LeftButton, Qt::NoModifier, QPoint(200, 250));
    QTest::mouseRelease(&m_label, Qt::LeftButton, Qt::NoModifier, QPoint(200, 250));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(SelectAreaLabel, CornerAndEdgeDragsResize)
{
    loadPicture();
    m_label.setSelection(60, 60, 159, 159);
    drag(QPoint(159, 159), QPoint(250, 300));
    EXPECT_EQ(m_label.selection(), rect(60, 60, 250, 300));
    drag(QPoint(60, 60), QPoint(80, 90));
    EXPECT_EQ(m_label.selection(), rect(80, 90, 250, 300));
    drag(QPoint(80, 195), QPoint(100, 195));
    EXPECT_EQ(m_label.selection(), rect(100, 90, 250, 300));
    drag(QPoint(175, 300), QPoint(175, 280));
    EXPECT_EQ(m_label.selection(), rect(100, 90, 250, 280));
}

TEST_F(SelectAreaLabel, AnEdgeDraggedPastTheOppositeEdgeTurnsTheRectangleInsideOut)
{
    loadPicture();
    m_label.setSelection(100, 100, 199, 199);
    drag(QPoint(100, 150), QPoint(250, 150));
    EXPECT_EQ(m_label.selection().left(), 250);
    EXPECT_EQ(m_label.selection().right(), 199);
}

TEST_F(SelectAreaLabel, MovingPastTheRightEdgeStopsAtTheLastColumnKeepingTheSize)
{
    loadPicture();
    m_label.setSelection(100, 100, 199, 179);
    drag(QPoint(150, 140), QPoint(305, 140));
    EXPECT_EQ(m_label.selection().right(), 10 + 300 - 1);
    EXPECT_EQ(m_label.selection().width(), 100);
    EXPECT_EQ(m_label.selection().height(), 80);
    // The image area's far edge itself is still a pointer position; the
    // rectangle ends on the last column and row, not one past them.
    drag(QPoint(260, 140), QPoint(310, 410));
    EXPECT_EQ(m_label.selection(), rect(210, 330, 309, 409));
}

TEST_F(SelectAreaLabel, AnEdgeDraggedOntoTheImagesFarBorderEndsOnItsLastColumn)
{
    loadPicture();
    m_label.setSelection(100, 100, 199, 179);
    drag(QPoint(199, 140), QPoint(310, 140));
    EXPECT_EQ(m_label.selection().right(), 309);
    drag(QPoint(150, 179), QPoint(150, 410));
    EXPECT_EQ(m_label.selection().bottom(), 409);
}

TEST_F(SelectAreaLabel, MovingPastTheTopLeftKeepsTheSize)
{
    loadPicture();
    m_label.setSelection(100, 100, 199, 179);
    drag(QPoint(150, 140), QPoint(20, 15));
    EXPECT_EQ(m_label.selection(), rect(10, 10, 109, 89));
}

TEST_F(SelectAreaLabel, ASelectionLargerThanTheImageIsCutToIt)
{
    loadPicture();
    m_label.setSelection(0, 0, 330, 430);
    drag(QPoint(150, 200), QPoint(151, 201));
    EXPECT_EQ(m_label.selection(), m_label.imageArea());
}

TEST_F(SelectAreaLabel, SetSelectionXAndYWaitWhileAButtonIsHeld)
{
    loadPicture();
    m_label.setSelection(60, 60, 159, 159);
    hover(QPoint(100, 100));
    QTest::mousePress(&m_label, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    m_label.setSelectionX(20);
    m_label.setSelectionY(30);
    EXPECT_EQ(m_label.selection().topLeft(), QPoint(60, 60));
    m_label.setSelectionWidth(50);
    m_label.setSelectionHeight(40);
    EXPECT_EQ(m_label.selection(), rect(60, 60, 109, 99));
    QTest::mouseRelease(&m_label, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    m_label.setSelectionX(20);
    m_label.setSelectionY(30);
    EXPECT_EQ(m_label.selection(), rect(20, 30, 69, 69));
}

TEST_F(SelectAreaLabel, ADragEndingOutsideTheImageStillLetsGo)
{
    loadPicture();
    m_label.setSelection(60, 60, 159, 159);
    hover(QPoint(100, 100));
    QTest::mousePress(&m_label, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(&m_label, QPoint(120, 100));
    QTest::mouseRelease(&m_label, Qt::LeftButton, Qt::NoModifier, QPoint(316, 2));
    m_label.setSelectionX(30);
    EXPECT_EQ(m_label.selection().left(), 30);
}

TEST_F(SelectAreaLabel, PaintsPictureSelectionAndHandles)
{
    loadPicture();
    m_label.setSelection(60, 60, 159, 159);
    const QImage shot = m_label.grab().toImage();
    // Dimmed outside the image area, the white page inside it, a white
    // handle with a black border on each corner.
    EXPECT_LT(qGray(shot.pixel(3, 3)), 150);
    EXPECT_GT(qGray(shot.pixel(250, 300)), 200);
    EXPECT_EQ(shot.pixel(59, 59), QColor(Qt::white).rgb());
    EXPECT_EQ(shot.pixel(57, 57), QColor(Qt::black).rgb());
}

} // namespace
