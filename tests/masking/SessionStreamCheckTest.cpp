#include "masking/SessionStreamCheck.h"
#include "masking/SessionStream.h"
#include "common/StreamedTypes.h"
#include "tests/masking/SavedSessionFixture.h"

#include <QBitmap>
#include <QBuffer>
#include <QColor>
#include <QDataStream>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QRect>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using savetest::bytesOf;

// How far Qt's own reader gets in `bytes`, and whether it read a value without complaint.
struct QtRead {
    qint64 end = 0;
    bool ok = false;
};

QtRead readByQt(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream in(&buffer);
    in.setVersion(SessionStream::currentVersion);
    QVariant value;
    in >> value;
    return {buffer.pos(), in.status() == QDataStream::Ok};
}

QPainterPath pathThrough(std::initializer_list<QPointF> points) {
    QPainterPath path(*points.begin());
    for (auto it = points.begin() + 1; it != points.end(); ++it)
        path.lineTo(*it);
    return path;
}

QImage tinyPicture(QImage::Format format) {
    QImage image(3, 2, format);
    image.fill(1);
    return image;
}

// Every type the check walks, written by Qt, with the values whose spelling is shorter or
// longer than the rest: null and empty texts, null pictures, paths without points.
TEST(SessionStreamCheck, ReadsEveryWrittenValueExactlyAsFarAsQtDoes) {
    registerStreamedTypes();
    QPainterPath curved(QPointF(1, 1));
    curved.cubicTo(QPointF(2, 5), QPointF(6, 7), QPointF(9, 2));
    curved.moveTo(20, 20);
    curved.lineTo(25, 28);
    curved.setFillRule(Qt::WindingFill);
    QVariantMap map;
    map["a"] = 1;
    map["b"] = QVariantList{QString(), QVariant()};
    const struct { const char* name; QVariant value; } cases[] = {
        {"invalid", QVariant()},
        {"bool", true},
        {"int", -7},
        {"uint", 7u},
        {"float", 1.5f},
        {"long long", qlonglong(-5)},
        {"unsigned long long", qulonglong(5)},
        {"double", 2.25},
        {"null text", QString()},
        {"empty text", QString("")},
        {"text", QStringLiteral("cup")},
        {"null bytes", QByteArray()},
        {"bytes", QByteArray("xyz")},
        {"text list", QStringList{QString(), QStringLiteral("a")}},
        {"empty list", QVariantList()},
        {"map", map},
        {"rectangle", QRect(1, 2, 3, 4)},
        {"real rectangle", QRectF(1.5, 2, 3, 4)},
        {"size", QSize(3, 4)},
        {"real size", QSizeF(3.5, 4)},
        {"point", QPoint(3, 4)},
        {"real point", QPointF(3.5, 4)},
        {"colour", QColor(10, 20, 30, 40)},
        {"invalid colour", QColor()},
        {"null image", QImage()},
        {"image", tinyPicture(QImage::Format_ARGB32)},
        {"null pixmap", QPixmap()},
        {"null bitmap", QBitmap()},
        {"bitmap", QBitmap::fromImage(tinyPicture(QImage::Format_Mono))},
        {"empty polygon", QVariant::fromValue(QPolygonF())},
        {"polygon", QVariant::fromValue(QPolygonF(QVector<QPointF>{QPointF(1, 1), QPointF(2, 3)}))},
        {"empty path", QVariant::fromValue(QPainterPath())},
        {"path of one dot", QVariant::fromValue(QPainterPath(QPointF(4, 5)))},
        {"path", QVariant::fromValue(pathThrough({QPointF(1, 2), QPointF(5, 6)}))},
        {"curved path of two subpaths", QVariant::fromValue(curved)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A value that follows shows a check that stopped short or ran on.
        const QByteArray bytes = bytesOf(c.value) + bytesOf(QVariant(42));
        const QtRead qt = readByQt(bytes);
        ASSERT_TRUE(qt.ok);
        qint64 end = -1;
        QString problem;
        EXPECT_TRUE(SessionStreamCheck::checkVariant(bytes, 0, &end, &problem)) << problem.toStdString();
        EXPECT_EQ(end, qt.end);
        EXPECT_EQ(end, bytes.size() - bytesOf(QVariant(42)).size());
    }
}

// A path as a stream may hold it, written by hand: the variant's head, the element count,
// then `elements` as given and the last subpath's start and the fill rule.
struct PathElement {
    quint32 type;
    double x, y;
};

QByteArray pathStream(qint32 count, const std::vector<PathElement>& elements, qint32 subpathStart,
                      qint32 fillRule) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(SessionStream::currentVersion);
    out << quint32(127) << qint8(0) << QByteArray("QPainterPath", 13) << count;
    for (const PathElement& e : elements)
        out << e.type << e.x << e.y;
    if (count != 0)
        out << subpathStart << fillRule;
    out << QVariant(42);
    return bytes;
}

TEST(SessionStreamCheck, PathsNoWriterMakesAreReadAsQtReadsThemOrRefused) {
    registerStreamedTypes();
    const double nan = std::nan("");
    const std::vector<PathElement> line{{0, 1, 2}, {1, 5, 6}};
    const struct { const char* name; QByteArray bytes; bool accepted; } cases[] = {
        // Qt reads every element, drops those that are not numbers and keeps an empty path.
        {"points that are not numbers", pathStream(2, {{0, nan, 2}, {1, 5, nan}}, 0, 0), true},
        {"infinite point", pathStream(2, {{0, 1, 2}, {1, INFINITY, 6}}, 0, 0), true},
        {"odd-even fill", pathStream(2, line, 1, 0), true},
        {"negative count", pathStream(-1, {}, 0, 0), false},
        {"element of unknown type", pathStream(2, {{0, 1, 2}, {4, 5, 6}}, 0, 0), false},
        {"subpath starting past the end", pathStream(2, line, 2, 0), false},
        {"unknown fill rule", pathStream(2, line, 0, 2), false},
        {"count past the data", pathStream(3, line, 0, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qint64 end = -1;
        EXPECT_EQ(SessionStreamCheck::checkVariant(c.bytes, 0, &end, nullptr), c.accepted);
        if (c.accepted) {
            const QtRead qt = readByQt(c.bytes);
            EXPECT_TRUE(qt.ok);
            EXPECT_EQ(end, qt.end);
        }
    }
}

}  // namespace
