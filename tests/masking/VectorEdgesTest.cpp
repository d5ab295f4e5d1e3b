#include "masking/SegmentationStuff.h"
#include "masking/VectorEdges.h"

#include "classification/JxInterface.h"

#include <QImage>
#include <QPainter>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A session record publishing the given polylines (points in working coordinates).
struct PublishedEdges {
    explicit PublishedEdges(std::vector<std::vector<float>> lines) : points(std::move(lines)) {
        for (auto& line : points)
            polylines.push_back(PublishedPolyline{line.data(), std::int32_t(line.size() / 2), 0});
        session = JxSession{};
        session.polylines = polylines.data();
        session.polylineCount = std::int32_t(polylines.size());
    }
    std::vector<std::vector<float>> points;
    std::vector<PublishedPolyline> polylines;
    JxSession session;
};

TEST(VectorEdges, EntriesAreScaledByTheDivisorWithTheirBounds) {
    PublishedEdges published({{1, 2, 4, 2, 4, 6}, {10, 1, 11, 3}});
    VectorEdges edges;
    edges.set(&published.session, 2);
    ASSERT_EQ(edges.entries().size(), 2);
    EXPECT_EQ(edges.entries()[0].polyline, QPolygonF({{2, 4}, {8, 4}, {8, 12}}));
    EXPECT_EQ(edges.entries()[0].bounds, QRectF(2, 4, 6, 8));
    EXPECT_EQ(edges.entries()[1].bounds, QRectF(20, 2, 2, 4));
    EXPECT_EQ(edges.unionBounds(), QRectF(2, 2, 20, 10));
    edges.set(nullptr, 2);
    EXPECT_TRUE(edges.isEmpty());
    EXPECT_EQ(edges.unionBounds(), QRectF(0, 0, -1, -1));
}

TEST(VectorEdges, LinesWithoutAreaStillWidenTheUnion) {
    // A horizontal edge first, then a vertical one: neither has area, both belong to the union.
    PublishedEdges published({{0, 5, 10, 5}, {20, 0, 20, 8}});
    VectorEdges edges;
    edges.set(&published.session, 1);
    EXPECT_EQ(edges.unionBounds(), QRectF(0, 0, 20, 8));
}

TEST(VectorEdges, OverlapTestCountsRectanglesThatOnlyMeet) {
    struct Row { QRectF a, b; bool overlap; };
    const Row rows[] = {
        {QRectF(0, 5, 10, 0), QRectF(2, 0, 3, 5), true},     // touches the line from above
        {QRectF(0, 5, 10, 0), QRectF(2, 6, 3, 5), false},
        {QRectF(0, 0, 1, 1), QRectF(1, 1, 1, 1), true},      // corners meet
        {QRectF(0, 0, -1, -1), QRectF(0, 0, 5, 5), false},   // no rectangle
    };
    for (const Row& row : rows) {
        EXPECT_EQ(VectorEdges::rectanglesOverlap(row.a, row.b), row.overlap);
        EXPECT_EQ(VectorEdges::rectanglesOverlap(row.b, row.a), row.overlap);
    }
}

TEST(VectorEdges, PaintDrawsOnlyEdgesTouchingTheExposedRectangleWithoutAntialiasing) {
    PublishedEdges published({{0, 5, 19, 5}, {0, 15, 19, 15}});
    VectorEdges edges;
    edges.set(&published.session, 1);
    QImage canvas(20, 20, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 0));
    edges.paint(&painter, QRectF(3, 0, 2, 5));   // meets the first line only at its edge
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    painter.end();
    EXPECT_EQ(canvas.pixel(10, 5), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(10, 4), qRgb(255, 255, 255));   // crisp: no antialiased neighbour
    EXPECT_EQ(canvas.pixel(10, 15), qRgb(255, 255, 255));
}

TEST(SegmentationStuff, MapRoundTripAndDamagedMaps) {
    SegmentationStuff holder;
    EXPECT_FALSE(holder.isChecked());
    holder.setChecked(true);
    holder.options().width_.value = 9;
    const SegmentationStuff read(holder.toVariant(), nullptr);
    EXPECT_TRUE(read.isChecked());
    EXPECT_EQ(read.toVariant(), holder.toVariant());
    EXPECT_EQ(read.session(), nullptr);
    EXPECT_TRUE(read.vectorEdges().isEmpty());

    const SegmentationStuff bare(QVariantMap{}, nullptr);
    EXPECT_FALSE(bare.isChecked());
    EXPECT_EQ(bare.options().sensitivity_.applied, 50);
    const SegmentationStuff notBool(QVariantMap{{"isChecked_", QVariantList{1, 2}}}, nullptr);
    EXPECT_FALSE(notBool.isChecked());
}

TEST(SegmentationStuff, TravelsThroughVariantsAsAPointerNeverACopy) {
    qRegisterMetaType<SegmentationStuff*>();
    SegmentationStuff holder;
    holder.options().sensitivity_.value = 77;
    const QVariant carried = QVariant::fromValue(&holder);
    EXPECT_EQ(carried.value<SegmentationStuff*>(), &holder);
    EXPECT_EQ(carried.value<SegmentationStuff*>()->options().sensitivity_.value, 77);
}

}  // namespace
