#include "masking/Brushing.h"
#include "masking/GmBrushing.h"

#include "masking/FakeShapeHost.h"
#include "masking/MaskPixels.h"
#include "common/StreamedTypes.h"

#include "classification/JxInterface.h"

#include <QBuffer>
#include <QDataStream>
#include <QPainter>
#include <QPen>

#include <gtest/gtest.h>

using masktest::PixelSet;
using masktest::pixelsOf;
using masktest::setPixels;
using masktest::strokePixels;

namespace {

std::vector<QRectF> repaintRects(const FakeShapeHost& host, int hint = GmShapeHost::pixelsChanged)
{
    std::vector<QRectF> rects;
    for (const auto& r : host.repaints) {
        EXPECT_EQ(r.hint, hint);
        EXPECT_EQ(r.preview, 0);
        rects.push_back(r.rect);
    }
    return rects;
}

// A click without movement leaves one footprint of the brush and repaints its square. The dot
// at working point (x, y) is centred on (x - 0.5, y - 0.5), the centre of pixel (x - 1, y - 1).
struct DotCase {
    const char* name;
    int divisor;
    int brush;
    QPointF imagePoint;
    PixelSet footprint;
    std::vector<QRectF> repaints;   // image coordinates
    QRectF bounds;                  // working coordinates
};

class BrushDots : public ::testing::TestWithParam<DotCase> {};

TEST_P(BrushDots, LeaveOneFootprintAndRepaintItsSquare)
{
    const DotCase& c = GetParam();
    FakeShapeHost host(c.divisor, QSize(20, 16), c.brush);
    Brushing stroke(QColor(Qt::red));
    EXPECT_EQ(stroke.size(), QSize(20, 16));
    stroke.startStroke(c.imagePoint);
    EXPECT_EQ(strokePixels(stroke), c.footprint);
    EXPECT_EQ(repaintRects(host), c.repaints);
    EXPECT_EQ(stroke.workingBounds(), c.bounds);
}

INSTANTIATE_TEST_SUITE_P(Brushing, BrushDots, ::testing::Values(
    // Brush 3 around (9.5, 9.5): the 3 x 3 pixels 8..10; the square (8.5, 8.5, 3, 3) outward.
    DotCase{"Centre", 1, 3, {10, 10}, pixelsOf({QRect(8, 8, 3, 3)}), {QRectF(8, 8, 4, 4)},
            QRectF(8, 8, 4, 4)},
    DotCase{"CentreAtDivisorTwo", 2, 3, {20, 20}, pixelsOf({QRect(8, 8, 3, 3)}),
            {QRectF(16, 16, 8, 8)}, QRectF(8, 8, 4, 4)},
    DotCase{"OnePixelBrush", 1, 1, {5, 6}, pixelsOf({QRect(4, 5, 1, 1)}), {QRectF(4, 5, 2, 2)},
            QRectF(4, 5, 2, 2)},
    // At the corner only the part inside the picture is painted and repainted.
    DotCase{"TopLeftCorner", 1, 3, {0, 0}, pixelsOf({QRect(0, 0, 1, 1)}), {QRectF(0, 0, 2, 2)},
            QRectF(0, 0, 2, 2)},
    DotCase{"BottomRightCorner", 1, 3, {20, 16}, pixelsOf({QRect(18, 14, 2, 2)}),
            {QRectF(18, 14, 2, 2)}, QRectF(18, 14, 2, 2)},
    DotCase{"Outside", 1, 3, {-10, 5}, {}, {}, QRectF(0, 0, 0, 0)},
    DotCase{"OutsideBelow", 4, 5, {40, 200}, {}, {}, QRectF(0, 0, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Brushing, SegmentPaintsTheLineAndRepaintsOnlyTheSegmentRectangle)
{
    FakeShapeHost host(1, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.startStroke({5, 5});
    host.repaints.clear();
    stroke.strokeTo({15, 5});
    // From (4.5, 4.5) to (14.5, 4.5) with brush 3: every pixel centre within 1.5 of the
    // segment, corners of the caps (1.41 away) included.
    EXPECT_EQ(strokePixels(stroke), pixelsOf({QRect(3, 3, 13, 3)}));
    EXPECT_EQ(repaintRects(host), (std::vector<QRectF>{QRectF(3, 3, 14, 4)}));
    EXPECT_EQ(stroke.workingBounds(), QRectF(3, 3, 14, 4));
    EXPECT_EQ(stroke.anchor(), QPointF(15, 5));
    EXPECT_EQ(stroke.path().elementCount(), 2);
    EXPECT_EQ(stroke.path().currentPosition(), QPointF(15, 5));
}

TEST(Brushing, StrokeOutsideThePictureChangesNothingAndRepaintsNothing)
{
    FakeShapeHost host(2, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.startStroke({-20, -20});
    stroke.strokeTo({-20, 60});
    stroke.strokeTo({100, 80});   // beyond the right and bottom of a 40 x 32 picture
    stroke.stretchLineTo({120, 90});
    EXPECT_TRUE(strokePixels(stroke).empty());
    EXPECT_TRUE(host.repaints.empty());
    EXPECT_EQ(stroke.workingBounds(), QRectF(0, 0, 0, 0));
}

TEST(Brushing, ShiftMovesOnlyThePreviewLineUntilTheNextStroke)
{
    FakeShapeHost host(1, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.startStroke({5, 5});
    const PixelSet dot = strokePixels(stroke);
    host.repaints.clear();
    stroke.stretchLineTo({15, 5});
    stroke.stretchLineTo({15, 12});
    EXPECT_EQ(strokePixels(stroke), dot);
    EXPECT_EQ(stroke.stretchEnd(), QPointF(15, 12));
    EXPECT_EQ(stroke.anchor(), QPointF(5, 5));
    // Each: the brush squares of the new end, the anchor and the old end, united.
    EXPECT_EQ(repaintRects(host),
              (std::vector<QRectF>{QRectF(3, 3, 14, 4), QRectF(3, 3, 14, 11)}));
    EXPECT_EQ(stroke.workingBounds(), QRectF(3, 3, 4, 4));

    stroke.strokeTo({15, 12});
    EXPECT_EQ(stroke.stretchEnd(), stroke.anchor());
    EXPECT_TRUE(stroke.contains({10, 9}));   // on the straight segment from (5, 5)
    EXPECT_FALSE(stroke.contains({15, 5}));
}

TEST(Brushing, ClearRepaintsOnlyWhatWasPainted)
{
    FakeShapeHost host(1, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.clear();
    EXPECT_TRUE(host.repaints.empty());
    stroke.startStroke({10, 10});
    host.repaints.clear();
    stroke.clear();
    EXPECT_EQ(repaintRects(host), (std::vector<QRectF>{QRectF(8, 8, 4, 4)}));
    EXPECT_TRUE(strokePixels(stroke).empty());
    EXPECT_EQ(stroke.workingBounds(), QRectF(0, 0, 0, 0));
}

TEST(Brushing, ContainsChecksBoundsWithoutWarnings)
{
    FakeShapeHost host(2, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.startStroke({20, 20});   // working (10, 10): pixels 8..10
    static int warnings = 0;
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext&, const QString&) {
            if (type == QtWarningMsg)
                ++warnings;
        });
    const struct { QPointF point; bool inside; } cases[] = {
        {{18, 18}, true}, {{20.9, 20.9}, true}, {{22, 22}, false}, {{14, 18}, false},
        {{-1, -1}, false}, {{-30, 5}, false}, {{40, 10}, false}, {{10, 1e9}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y());
        EXPECT_EQ(stroke.contains(c.point), c.inside);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 0);
}

TEST(Brushing, MaskIsTheStrokeAroundItsBoundsClippedToTheWorkingImage)
{
    FakeShapeHost host(1, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.startStroke({10, 10});
    const auto mask = stroke.renderMask(QPen(), QBrush());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->format(), QImage::Format_Indexed8);
    EXPECT_EQ(QRect(mask->offset(), mask->size()), QRect(7, 7, 6, 6));
    EXPECT_EQ(setPixels(*mask), pixelsOf({QRect(8, 8, 3, 3)}));

    // A stroke that outgrew the working image (a smaller picture now) is cut to it.
    host.setWorkingSize(QSize(9, 9));
    const auto clipped = stroke.renderMask(QPen(), QBrush());
    ASSERT_NE(clipped, nullptr);
    EXPECT_EQ(QRect(clipped->offset(), clipped->size()), QRect(7, 7, 2, 2));
    EXPECT_EQ(setPixels(*clipped), pixelsOf({QRect(8, 8, 1, 1)}));
    host.setWorkingSize(QSize(5, 5));
    EXPECT_EQ(stroke.renderMask(QPen(), QBrush()), nullptr);
}

TEST(Brushing, SavedAndRestoredStrokeIsTheSameStroke)
{
    registerStreamedTypes();
    FakeShapeHost host(2, QSize(20, 16), 3);
    const QColor colour(10, 200, 30, 128);
    Brushing stroke(colour);
    stroke.startStroke({6, 6});
    stroke.strokeTo({30, 8});
    stroke.strokeTo({34, 28});

    // Through a stream too, as a saved session keeps it.
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << stroke.toVariant();
    }
    QVariant read;
    QDataStream in(bytes);
    in >> read;
    ASSERT_EQ(in.status(), QDataStream::Ok);

    for (const QVariant& saved : {stroke.toVariant(), read}) {
        const Brushing back(saved);
        EXPECT_EQ(back.size(), stroke.size());
        EXPECT_EQ(strokePixels(back), strokePixels(stroke));
        EXPECT_EQ(back.workingBounds(), stroke.workingBounds());
        EXPECT_EQ(back.path(), stroke.path());
        EXPECT_EQ(back.colour(), colour);
        EXPECT_EQ(back.color(0), 0x00000000u);
        EXPECT_EQ(back.color(1), colour.rgba());
    }
    host.repaints.clear();
}

TEST(Brushing, RestoredBoundsNeverReachBeyondTheStoredPixels)
{
    FakeShapeHost host(1, QSize(8, 8), 3);
    Brushing small(QColor(Qt::red));
    small.startStroke({4, 4});
    QVariantMap m = small.toVariant().toMap();
    m["boundingReducedRect_"] = QRectF(-100, -100, 1000, 1000);
    const Brushing back{QVariant(m)};
    EXPECT_EQ(back.workingBounds(), QRectF(0, 0, 8, 8));
    const Brushing empty{QVariant(QVariantMap())};
    EXPECT_TRUE(empty.isNull());
    EXPECT_EQ(empty.workingBounds(), QRectF(0, 0, 0, 0));
    EXPECT_FALSE(empty.contains({0, 0}));
    EXPECT_EQ(const_cast<Brushing&>(empty).renderMask(QPen(), QBrush()), nullptr);
}

TEST(Brushing, TransparentStrokeColourStillPaints)
{
    FakeShapeHost host(1, QSize(10, 10), 3);
    Brushing stroke(QColor(0, 0, 0, 0));
    stroke.startStroke({5, 5});
    EXPECT_EQ(strokePixels(stroke), pixelsOf({QRect(3, 3, 3, 3)}));
    EXPECT_EQ(stroke.color(1), 0x00000000u);
}

// The stroke painted on a white 40 x 40 canvas by a painter whose pen has `penColour`.
QImage paintedStroke(Brushing& stroke, QColor penColour, QRectF exposed, int mode, int tint)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(penColour));
    stroke.paint(painter, exposed, mode, tint, 0);
    return image;
}

TEST(Brushing, PaintShowsTheStrokeInThePenOrTintColourAndThePreviewLine)
{
    FakeShapeHost host(2, QSize(20, 16), 3);
    Brushing stroke(QColor(0, 0, 255));
    stroke.startStroke({20, 20});   // working pixels 8..10: image 16..21
    const QRectF all(0, 0, 40, 40);
    const QImage pen = paintedStroke(stroke, Qt::red, all, tq::Shape::paintOutline, 0);
    EXPECT_EQ(pen.pixel(18, 18), qRgb(255, 0, 0));
    EXPECT_EQ(pen.pixel(15, 18), qRgb(255, 255, 255));
    EXPECT_EQ(stroke.color(1), QColor(0, 0, 255).rgba());   // shown colour kept

    const QImage tinted = paintedStroke(stroke, Qt::red, all, tq::Shape::paintOutline, 1);
    EXPECT_EQ(tinted.pixel(18, 18), qRgb(0, 0, 255));

    // Only the exposed part is drawn.
    const QImage part = paintedStroke(stroke, Qt::black, {0, 0, 18, 40}, tq::Shape::paintOutline, 0);
    EXPECT_EQ(part.pixel(17, 18), qRgb(0, 0, 0));
    EXPECT_EQ(part.pixel(19, 18), qRgb(255, 255, 255));

    stroke.stretchLineTo({36, 20});
    const QImage preview = paintedStroke(stroke, Qt::black, all, tq::Shape::paintThin, 0);
    EXPECT_EQ(preview.pixel(30, 19), qRgb(0, 0, 255));   // the preview line, stroke colour

    for (int mode : {tq::Shape::paintNothing, tq::Shape::paintSelected, 7})
        EXPECT_EQ(paintedStroke(stroke, Qt::black, all, mode, 0).pixel(18, 18),
                  qRgb(255, 255, 255));
}

TEST(Brushing, EdgesFromTheEngineBecomeTheStrokesBounds)
{
    FakeShapeHost host(2, QSize(20, 16), 3);
    Brushing stroke(QColor(Qt::red));
    stroke.startStroke({20, 20});
    float outline[] = {2, 3, 7, 3, 7, 9};   // working coordinates
    PublishedPolyline line{outline, 3, 0};
    JxSession session{};
    session.polylines = &line;
    session.polylineCount = 1;
    stroke.rebuildEdges(&session);
    EXPECT_EQ(stroke.vectorEdges().unionBounds(), QRectF(4, 6, 10, 12));   // image coordinates
    EXPECT_EQ(stroke.workingBounds(), QRectF(2, 3, 5, 6));
    stroke.rebuildEdges(nullptr);
    EXPECT_EQ(stroke.workingBounds(), QRectF(0, 0, 0, 0));
    host.repaints.clear();
}

TEST(GmBrushing, IsListedWhileItLivesAndRepaintsItsAreaWhenGone)
{
    FakeShapeHost host(1, QSize(20, 16), 3);
    auto* first = new GmBrushing(QColor(Qt::red));
    auto* second = new GmBrushing(QColor(Qt::blue));
    EXPECT_EQ(host.strokes, (QList<GmBrushing*>{first, second}));
    first->brushing().startStroke({10, 10});
    host.repaints.clear();
    delete first;
    EXPECT_EQ(host.strokes, (QList<GmBrushing*>{second}));
    EXPECT_EQ(repaintRects(host), (std::vector<QRectF>{QRectF(8, 8, 4, 4)}));
    host.repaints.clear();
    delete second;   // empty: nothing to repaint
    EXPECT_TRUE(host.strokes.isEmpty());
    EXPECT_TRUE(host.repaints.empty());
}

}  // namespace
