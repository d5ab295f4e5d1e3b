// A program of its own: nothing here registers the streamed types before the writer runs, as
// in a tool or an early start-up path that saves a session.
#include "masking/SessionStream.h"
#include "common/StreamedTypes.h"   // the declaration of QPainterPath only; registers nothing

#include <QBuffer>
#include <QDataStream>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

struct Unstreamable {
    int value = 0;
};

}  // namespace

Q_DECLARE_METATYPE(Unstreamable)

namespace {

// Whether Qt can stream a path at all; false until someone registers its stream operators.
bool pathsStream() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const QPainterPath path;
    return QMetaType::save(out, qMetaTypeId<QPainterPath>(), &path);
}

// Taken before the first test starts.
const bool pathsStreamedAtStart = pathsStream();

QPainterPath samplePath() {
    QPainterPath path;
    path.moveTo(1.5, 2);
    path.cubicTo(10, 0, 20, 30, 4, 4);
    path.closeSubpath();
    return path;
}

QVariantMap sessionLikeMap() {
    QVariantMap brush{{QStringLiteral("path_"), QVariant::fromValue(samplePath())}};
    QVariantMap edge{{QStringLiteral("points_"),
                      QVariant::fromValue(QPolygonF({QPointF(0, 0), QPointF(3.25, 0), QPointF(3.25, 7)}))}};
    QImage picture(4, 3, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 20, 30, 255));
    return {{QStringLiteral("regions_"), QVariantList{brush}},
            {QStringLiteral("edges_"), QVariantList{edge}},
            {QStringLiteral("picture_"), picture},
            {QStringLiteral("resolution_"), 2}};
}

TEST(SessionStreamRegistration, ASessionWrittenWithoutRegisteringFirstReadsBack) {
    ASSERT_FALSE(pathsStreamedAtStart) << "this program must not register the streamed types";
    for (const auto pictures : {SessionStream::Pictures::Standard, SessionStream::Pictures::Quick}) {
        SCOPED_TRACE(pictures == SessionStream::Pictures::Quick ? "quick" : "standard");
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        QString problem;
        ASSERT_TRUE(SessionStream::write(buffer, 7, sessionLikeMap(), pictures, &problem))
            << problem.toStdString();
        buffer.seek(0);
        const SessionStream::Contents read =
            SessionStream::read(buffer, {SessionStream::currentVersion});
        ASSERT_EQ(read.outcome, SessionStream::Outcome::Read) << read.problem.toStdString();
        EXPECT_EQ(read.imageCheck, 7);
        const QVariantMap map = read.model.toMap();
        const QVariantMap brush = map.value(QStringLiteral("regions_")).toList().value(0).toMap();
        EXPECT_EQ(brush.value(QStringLiteral("path_")).value<QPainterPath>(), samplePath());
        const QVariantMap edge = map.value(QStringLiteral("edges_")).toList().value(0).toMap();
        EXPECT_EQ(edge.value(QStringLiteral("points_")).value<QPolygonF>().size(), 3);
    }
}

// A value Qt has no stream operators for is written as its type's name alone, with the
// stream's status still Ok: the writer must refuse, name it, and write nothing.
TEST(SessionStreamRegistration, AValueThatWouldNotReadBackIsRefusedBeforeAnyByte) {
    QVariantMap map = sessionLikeMap();
    QVariantMap region = map.value(QStringLiteral("regions_")).toList().value(0).toMap();
    region.insert(QStringLiteral("shape_"), QVariant::fromValue(Unstreamable{3}));
    map.insert(QStringLiteral("regions_"), QVariantList{region});
    for (const auto pictures : {SessionStream::Pictures::Standard, SessionStream::Pictures::Quick}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QString problem;
        EXPECT_FALSE(SessionStream::write(buffer, 0, map, pictures, &problem));
        EXPECT_TRUE(problem.contains(QStringLiteral("Unstreamable"))) << problem.toStdString();
        EXPECT_TRUE(buffer.data().isEmpty());
    }
}

}  // namespace
