#include "common/StreamedTypes.h"

#include <QBuffer>
#include <QDataStream>
#include <QPolygonF>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

TEST(StreamedTypes, MapsHoldingPathsAndPolygonsSurviveADataStream) {
    registerStreamedTypes();
    QPainterPath path;
    path.moveTo(1.5, 2);
    path.cubicTo(10, 0, 20, 30, 4, 4);
    path.closeSubpath();
    const QPolygonF polygon({QPointF(0, 0), QPointF(3.25, 0), QPointF(3.25, 7)});
    const QVariantMap written{{QStringLiteral("path_"), QVariant::fromValue(path)},
                              {QStringLiteral("polygon_"), QVariant::fromValue(polygon)}};

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << QVariant(written);
        ASSERT_EQ(out.status(), QDataStream::Ok);
    }
    QDataStream in(bytes);
    QVariant read;
    in >> read;
    ASSERT_EQ(in.status(), QDataStream::Ok);
    const QVariantMap map = read.toMap();
    EXPECT_EQ(map.value(QStringLiteral("path_")).value<QPainterPath>(), path);
    EXPECT_EQ(map.value(QStringLiteral("polygon_")).userType(),
              static_cast<int>(QMetaType::QPolygonF));
    EXPECT_EQ(map.value(QStringLiteral("polygon_")).value<QPolygonF>(), polygon);
}

}  // namespace
