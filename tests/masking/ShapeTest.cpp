#include "masking/PixelState.h"
#include "masking/Polygon.h"
#include "masking/Rectangle.h"

#include "masking/FakeShapeHost.h"
#include "masking/MaskPixels.h"

#include "classification/JxInterface.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

using masktest::PixelSet;
using masktest::pixelsOf;
using masktest::setPixels;

namespace {

QPolygonF poly(std::initializer_list<QPointF> points)
{
    return QPolygonF(QVector<QPointF>(points));
}

// A session record publishing `lines` (working coordinates), as the engine publishes the outline
// of a sub-session.
class PublishedEdges {
public:
    explicit PublishedEdges(const QVector<QPolygonF>& lines)
    {
        for (const QPolygonF& line : lines) {
            std::vector<float> xy;
            for (const QPointF& p : line) {
                xy.push_back(float(p.x()));
                xy.push_back(float(p.y()));
            }
            points_.push_back(std::move(xy));
        }
        for (auto& xy : points_)
            polylines_.push_back(PublishedPolyline{xy.data(), std::int32_t(xy.size() / 2), 0});
        session_.polylines = polylines_.data();
        session_.polylineCount = std::int32_t(polylines_.size());
    }
    const JxSession* session() const { return &session_; }

private:
    std::vector<std::vector<float>> points_;
    std::vector<PublishedPolyline> polylines_;
    JxSession session_{};
};

void setEdges(tq::Shape& shape, const QVector<QPolygonF>& lines)
{
    const PublishedEdges edges(lines);
    shape.rebuildEdges(edges.session());
}

const QPen noPen(Qt::NoPen);
const QBrush solid(Qt::color1);

// An L whose pixel cover is plain: x 2..5 on rows 2..3, x 2..3 on rows 4..5.
const QPolygonF ell = poly({{2, 2}, {6, 2}, {6, 4}, {4, 4}, {4, 6}, {2, 6}});

struct MaskCase {
    const char* name;
    int divisor;
    std::function<std::unique_ptr<tq::Shape>(int divisor)> make;   // shape in image coordinates
    std::optional<QRect> maskRect;                             // none: no mask at all
    PixelSet covered;
};

QPolygonF scaled(const QPolygonF& p, int d)
{
    QPolygonF s;
    for (const QPointF& q : p)
        s << q * d;
    return s;
}

std::unique_ptr<tq::Shape> rectangle(QRectF r)
{
    QVariantMap m;
    m["rect_"] = r;
    return std::make_unique<tq::Rectangle>(m, 0);
}

class ShapeMasks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(ShapeMasks, CoverTheShapeGrownByOneAndClippedToTheWorkingImage)
{
    const MaskCase& c = GetParam();
    FakeShapeHost host(c.divisor, QSize(10, 8));
    auto shape = c.make(c.divisor);
    const std::unique_ptr<QImage> mask = shape->renderMask(noPen, solid);
    if (!c.maskRect) {
        EXPECT_EQ(mask, nullptr);
        return;
    }
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->format(), QImage::Format_Indexed8);
    EXPECT_EQ(QRect(mask->offset(), mask->size()), *c.maskRect);
    EXPECT_EQ(setPixels(*mask), c.covered);
}

INSTANTIATE_TEST_SUITE_P(Shape, ShapeMasks, ::testing::Values(
    MaskCase{"RectangleInside", 1, [](int) { return rectangle({2, 3, 4, 2}); },
             QRect(1, 2, 6, 4), pixelsOf({QRect(2, 3, 4, 2)})},
    MaskCase{"RectangleAtDivisorTwo", 2, [](int) { return rectangle({4, 6, 8, 4}); },
             QRect(1, 2, 6, 4), pixelsOf({QRect(2, 3, 4, 2)})},
    MaskCase{"RectangleOverTheTopLeftCorner", 1, [](int) { return rectangle({-3, -2, 5, 4}); },
             QRect(0, 0, 3, 3), pixelsOf({QRect(0, 0, 2, 2)})},
    MaskCase{"RectangleOverTheBottomRightCorner", 4,
             [](int) { return rectangle({32, 24, 40, 40}); },
             QRect(7, 5, 3, 3), pixelsOf({QRect(8, 6, 2, 2)})},
    MaskCase{"RectangleWhollyOutside", 1, [](int) { return rectangle({12, 1, 3, 3}); },
             std::nullopt, {}},
    MaskCase{"RectangleLeftOfThePicture", 2, [](int) { return rectangle({-20, 2, 10, 6}); },
             std::nullopt, {}},
    // Outlines from a damaged session: never converted to pixels beyond the int range.
    MaskCase{"RectangleFarBeyondThePicture", 1, [](int) { return rectangle({1e15, 1e15, 3, 3}); },
             std::nullopt, {}},
    MaskCase{"RectangleNotANumber", 1,
             [](int) { return rectangle({std::nan(""), 1, 3, 3}); }, std::nullopt, {}},
    MaskCase{"PolygonInside", 1,
             [](int d) { return std::make_unique<tq::Polygon>(scaled(ell, d), tq::Polygon::closed); },
             QRect(1, 1, 6, 6), pixelsOf({QRect(2, 2, 4, 2), QRect(2, 4, 2, 2)})},
    MaskCase{"PolygonAtDivisorEight", 8,
             [](int d) { return std::make_unique<tq::Polygon>(scaled(ell, d), tq::Polygon::closed); },
             QRect(1, 1, 6, 6), pixelsOf({QRect(2, 2, 4, 2), QRect(2, 4, 2, 2)})},
    MaskCase{"PolygonWhollyOutside", 1,
             [](int d) { return std::make_unique<tq::Polygon>(ell.translated(20, 0), 1); },
             std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShapeMasks, ShapeWithoutHostOrPictureRendersNothing)
{
    {
        FakeShapeHost host(1, QSize(0, 0));
        EXPECT_EQ(rectangle({1, 1, 3, 3})->renderMask(noPen, solid), nullptr);
    }
    EXPECT_EQ(rectangle({1, 1, 3, 3})->renderMask(noPen, solid), nullptr);
}

struct HitCase {
    const char* name;
    QPolygonF points;
    int openness;
    QPointF probe;
    bool inside;
};

class PolygonHits : public ::testing::TestWithParam<HitCase> {};

TEST_P(PolygonHits, FollowTheEvenOddRuleWithTheClosingEdge)
{
    const HitCase& c = GetParam();
    const tq::Polygon polygon(c.points, c.openness);
    EXPECT_EQ(polygon.contains(c.probe), c.inside);
}

const QPolygonF square = poly({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
// A five-pointed star drawn in one line: its centre is enclosed twice, so it is outside.
const QPolygonF star = poly({{5, 0}, {8, 9}, {0, 3}, {10, 3}, {2, 9}});

INSTANTIATE_TEST_SUITE_P(Polygon, PolygonHits, ::testing::Values(
    HitCase{"InsideSquare", square, 1, {2, 3}, true},
    // The ray from (2, 2) runs through the corner (0, 0), where two edges meet: one crossing.
    HitCase{"OnTheDiagonalThroughACorner", square, 1, {2, 2}, true},
    HitCase{"OnTheDiagonalOfAnOpenLine", square, 0, {3, 3}, true},
    HitCase{"RayTouchingAVertexFromOutside", poly({{2, 0}, {4, 2}, {2, 4}, {0, 2}}), 1,
            {0.5, 3.5}, false},
    HitCase{"RightOfSquare", square, 1, {5, 2}, false},
    HitCase{"BelowSquare", square, 1, {2, 5}, false},
    HitCase{"OpenPolylineStillClosesForHits", square, 0, {1, 3}, true},
    // The ray from (0, 2) towards (-1, -1) starts on the closing edge (0, 4)-(0, 0): one crossing.
    HitCase{"OnTheClosingEdge", square, 1, {0, 2}, true},
    HitCase{"OnTheClosingEdgeOfAnOpenLine", square, 0, {0, 2}, true},
    // From (4, 2) the ray meets its own edge and the top edge: two crossings.
    HitCase{"OnTheRightEdge", square, 1, {4, 2}, false},
    HitCase{"StarPoint", star, 1, {5, 1.5}, true},
    HitCase{"StarCentreIsEnclosedTwice", star, 1, {5, 5}, false},
    HitCase{"NoPoints", QPolygonF(), 1, {0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Shape, RectanglesOverlapCountsTouchingAndRefusesNegativeSizes)
{
    EXPECT_TRUE(VectorEdges::rectanglesOverlap({0, 0, 2, 2}, {2, 2, 3, 3}));
    EXPECT_TRUE(VectorEdges::rectanglesOverlap({0, 0, 0, 0}, {0, 0, 1, 1}));
    EXPECT_FALSE(VectorEdges::rectanglesOverlap({0, 0, 2, 2}, {2.01, 0, 1, 1}));
    EXPECT_FALSE(VectorEdges::rectanglesOverlap({0, 0, -1, -1}, {-5, -5, 10, 10}));
    EXPECT_FALSE(VectorEdges::rectanglesOverlap({-5, -5, 10, 10}, {0, 0, 3, -1}));
}

// One drag of the rubber band and what it must leave behind.
struct DragStep {
    QPointF to;
    QRectF rect;
    std::optional<QRectF> repaint;
};

struct DragCase {
    const char* name;
    int divisor;
    int snap;
    QPointF anchor;
    std::vector<DragStep> steps;
};

class RubberBandDrags : public ::testing::TestWithParam<DragCase> {};

TEST_P(RubberBandDrags, KeepTheBandInsideThePictureAndRepaintWhatChanged)
{
    const DragCase& c = GetParam();
    FakeShapeHost host(c.divisor, QSize(100 / c.divisor, 80 / c.divisor));   // picture 100 x 80
    QVariantMap m;
    m["rect_"] = QRectF(c.anchor, QSizeF(0, 0));
    m["corner1_"] = c.anchor;
    tq::Rectangle band(m, c.snap);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        SCOPED_TRACE(i);
        const DragStep& step = c.steps[i];
        host.repaints.clear();
        band.dragCornerTo(step.to);
        EXPECT_EQ(band.rect(), step.rect);
        if (!step.repaint) {
            EXPECT_TRUE(host.repaints.empty());
            continue;
        }
        ASSERT_EQ(host.repaints.size(), 1u);
        EXPECT_EQ(host.repaints[0].rect, *step.repaint);
        EXPECT_EQ(host.repaints[0].hint, GmShapeHost::outlineChanged);
        EXPECT_EQ(host.repaints[0].preview, 0);
    }
}

const QRectF nullRect(0, 0, -1, -1);

INSTANTIATE_TEST_SUITE_P(Rectangle, RubberBandDrags, ::testing::Values(
    DragCase{"OutAndBackOntoTheAnchor", 1, 0, {10, 10},
             {{{30, 40}, {10, 10, 20, 30}, QRectF(10, 10, 20, 30)},
              {{40, 20}, {10, 10, 30, 10}, QRectF(10, 10, 30, 30)},
              {{10, 10}, {10, 10, 0, 0}, QRectF(10, 10, 30, 10)}}},
    DragCase{"UpAndLeftIsNormalisedAndClipped", 1, 0, {10, 10},
             {{{-50, -30}, {0, 0, 10, 10}, QRectF(0, 0, 10, 10)},
              {{150, 90}, {10, 10, 90, 70}, QRectF(0, 0, 100, 80)}}},
    DragCase{"WhollyOutsideBecomesNull", 1, 0, {120, 10},
             {{{140, 50}, nullRect, std::nullopt}}},
    DragCase{"BackOntoAnAnchorNearTheEdge", 1, 0, {90, 10},
             {{{95, 20}, {90, 10, 5, 10}, QRectF(90, 10, 5, 10)},
              {{90, 10}, {90, 10, 0, 0}, QRectF(90, 10, 5, 10)}}},
    DragCase{"ZeroSizeOutsideIsNull", 1, 0, {-5, 10},
             {{{-5, 10}, nullRect, std::nullopt}}},
    // A band one line thin meets nothing: QRectF's intersection ignores empty rectangles.
    DragCase{"ThinBandIsNull", 1, 0, {10, 10},
             {{{10, 50}, nullRect, std::nullopt}}},
    DragCase{"SnapsToWorkingPixels", 4, 1, {8, 8},
             {{{29, 41}, {8, 8, 20, 32}, QRectF(8, 8, 20, 32)},
              {{30.5, 41}, {8, 8, 24, 32}, QRectF(8, 8, 24, 32)}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rectangle, RubberBandStartsAsTheZeroRectangleAtItsAnchor)
{
    const tq::Rectangle band(QPointF(3.5, 7));
    EXPECT_EQ(band.rect(), QRectF(3.5, 7, 0, 0));
    EXPECT_EQ(band.anchor(), QPointF(3.5, 7));
    EXPECT_EQ(band.snap(), 0);
}

TEST(Shape, MapsRoundTripAndARestoredRectangleTakesItsOwnersSnap)
{
    QVariantMap m;
    m["rect_"] = QRectF(1, 2, 3, 4);
    m["corner1_"] = QPointF(4, 6);
    const tq::Rectangle rect(m, 0);
    const QVariantMap saved = rect.toVariant().toMap();
    EXPECT_EQ(saved.value("rect_").toRectF(), QRectF(1, 2, 3, 4));
    EXPECT_EQ(saved.value("corner1_").toPointF(), QPointF(4, 6));
    EXPECT_EQ(saved.value("snap_").toInt(), 0);
    EXPECT_EQ(tq::Rectangle(saved, 1).snap(), 1);

    const tq::Polygon poly(ell, 0);
    const tq::Polygon back(poly.toVariant());
    EXPECT_EQ(back.points(), ell);
    EXPECT_EQ(back.openness(), 0);

    QVariantMap wrong;
    wrong["qpoly_"] = QString("not a polygon");
    EXPECT_TRUE(tq::Polygon(QVariant(wrong)).points().isEmpty());
    EXPECT_EQ(tq::Rectangle(QVariant(), 0).rect(), nullRect);
}

// Paints a shape in black, 1 pixel wide, on a 12 x 12 white image.
QImage painted(tq::Shape& shape, int mode, QRectF exposed = QRectF(0, 0, 12, 12),
               QBrush brush = Qt::NoBrush, double penWidth = 0)
{
    QImage image(12, 12, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brush);
    shape.paint(painter, exposed, mode, 0, penWidth);
    return image;
}

bool isBlack(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgb(0, 0, 0);
}

int blackCount(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += isBlack(image, x, y);
    return n;
}

TEST(Polygon, OpenLineIsPaintedAsAPolylineAndNeverAsItsVectorEdges)
{
    const QPolygonF line = poly({{1.5, 1.5}, {9.5, 1.5}, {9.5, 9.5}});
    tq::Polygon open(line, 0);
    tq::Polygon closed(line, tq::Polygon::closed);
    // Edges with positive bounds together: a horizontal one and a vertical one.
    const QVector<QPolygonF> edges{poly({{3, 6}, {8, 6}}), poly({{8, 4}, {8, 6}})};
    setEdges(open, edges);
    setEdges(closed, edges);
    const QBrush fill(Qt::black);
    for (int mode : {tq::Shape::paintOutline, tq::Shape::paintSelected}) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(isBlack(painted(open, mode, {0, 0, 12, 12}, fill), 7, 4));   // not filled
        EXPECT_TRUE(isBlack(painted(closed, mode, {0, 0, 12, 12}, fill), 7, 4));
        EXPECT_FALSE(isBlack(painted(open, mode), 4, 4));      // no closing line
        EXPECT_TRUE(isBlack(painted(closed, mode), 4, 4));
    }
    const QImage openEdges = painted(open, tq::Shape::paintEdges);
    EXPECT_TRUE(isBlack(openEdges, 5, 1));
    EXPECT_FALSE(isBlack(openEdges, 4, 6));
    const QImage closedEdges = painted(closed, tq::Shape::paintEdges);
    EXPECT_FALSE(isBlack(closedEdges, 5, 1));
    EXPECT_TRUE(isBlack(closedEdges, 4, 6));

    tq::Polygon bare(line, tq::Polygon::closed);
    EXPECT_TRUE(isBlack(painted(bare, tq::Shape::paintEdges), 5, 1));   // no edges: the outline
    setEdges(bare, {edges[0]});   // a single straight edge has no area: still the outline
    EXPECT_TRUE(isBlack(painted(bare, tq::Shape::paintEdges), 5, 1));
    EXPECT_FALSE(isBlack(painted(bare, tq::Shape::paintEdges), 4, 6));
}

TEST(Polygon, ThinModeDashesTheClosingEdgeAndHandlesFollowTheExposedArea)
{
    tq::Polygon closed(poly({{1.5, 1.5}, {1.5, 10.5}, {10.5, 10.5}}), tq::Polygon::closed);
    const QImage thin = painted(closed, tq::Shape::paintThin);
    int onDiagonal = 0;
    for (int i = 2; i <= 9; ++i)
        onDiagonal += isBlack(thin, i, i);
    EXPECT_GT(onDiagonal, 0);
    EXPECT_LT(onDiagonal, 8);   // dashed, not solid

    tq::Polygon handles(poly({{2, 2}, {9, 9}}), 0);
    const QImage both = painted(handles, tq::Shape::paintHandles, {0, 0, 12, 12}, Qt::NoBrush, 4);
    EXPECT_EQ(handles.halfPenWidth(), 2);
    EXPECT_TRUE(isBlack(both, 0, 0));   // square from (0, 0) to (4, 4)
    EXPECT_TRUE(isBlack(both, 11, 11));
    const QImage one = painted(handles, tq::Shape::paintHandles, {5, 5, 7, 7});
    EXPECT_FALSE(isBlack(one, 0, 0));
    EXPECT_TRUE(isBlack(one, 11, 11));

    EXPECT_EQ(blackCount(painted(closed, tq::Shape::paintOutline, {20, 20, 3, 3})), 0);
    EXPECT_EQ(blackCount(painted(closed, tq::Shape::paintNothing)), 0);
    EXPECT_EQ(blackCount(painted(closed, 6)), 0);
}

TEST(Rectangle, PaintsOutlineHandlesOrVectorEdgesByMode)
{
    QVariantMap m;
    m["rect_"] = QRectF(2.5, 2.5, 6, 6);
    tq::Rectangle rect(m, 0);
    for (int mode : {tq::Shape::paintThin, tq::Shape::paintOutline, tq::Shape::paintSelected,
                     tq::Shape::paintEdges}) {
        SCOPED_TRACE(mode);
        const QImage image = painted(rect, mode);
        EXPECT_TRUE(isBlack(image, 2, 5));
        EXPECT_FALSE(isBlack(image, 5, 5));
    }
    const QImage handles = painted(rect, tq::Shape::paintHandles, {0, 0, 12, 12}, Qt::NoBrush, 2);
    EXPECT_TRUE(isBlack(handles, 1, 1));      // square from (1.5, 1.5) to (3.5, 3.5)
    EXPECT_FALSE(isBlack(painted(rect, tq::Shape::paintOutline), 1, 1));

    setEdges(rect, {poly({{4.5, 4.5}, {6.5, 6.5}})});
    const QImage edges = painted(rect, tq::Shape::paintEdges);
    EXPECT_TRUE(isBlack(edges, 5, 5));
    EXPECT_FALSE(isBlack(edges, 2, 5));
    EXPECT_EQ(blackCount(painted(rect, tq::Shape::paintNothing)), 0);
}

TEST(Shape, VectorEdgeBoundsUniteLinesWithoutArea)
{
    tq::Polygon shape(QPolygonF(), 1);
    setEdges(shape, {poly({{1, 5}, {4, 5}}), poly({{7, 1}, {7, 3}})});
    EXPECT_EQ(shape.vectorEdges().unionBounds(), QRectF(1, 1, 6, 4));
    setEdges(shape, {});
    EXPECT_LT(shape.vectorEdges().unionBounds().width(), 0);
}

TEST(Shape, KeepsItsEngineMaskUntilItIsDropped)
{
    FakeShapeHost host(1, QSize(10, 8));
    auto shape = rectangle({2, 3, 4, 2});
    QImage* mask = shape->maskImage(noPen, solid);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(setPixels(*mask), pixelsOf({QRect(2, 3, 4, 2)}));
    EXPECT_GE(mask->colorCount(), 9);
    EXPECT_EQ(shape->maskImage(noPen, solid), mask);
    MaskPixelIterator* it = shape->maskIterator(noPen, solid);
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->position(), QPoint(2, 3));   // the first set pixel
    shape->setEngineFlag(1);
    shape->dropEngineMask();
    EXPECT_EQ(shape->pixelState()->mask(), nullptr);
    EXPECT_EQ(shape->engineFlag(), 0);
    EXPECT_NE(shape->maskImage(noPen, solid), nullptr);   // rendered again on request

    auto outside = rectangle({20, 20, 2, 2});
    EXPECT_EQ(outside->maskImage(noPen, solid), nullptr);
    EXPECT_EQ(outside->maskIterator(noPen, solid), nullptr);
}

}  // namespace
