// Damaged session streams through the stream reader and its checker: cut at every length, a
// huge count written at every offset, and bytes damaged at random. Each is refused with a
// reason, or reads into values that are safe to use (every colour, picture and polygon is
// copied out, as restoring a session does). The seeds are fixed, so CI runs the same inputs
// every time.
#include "masking/SessionStream.h"
#include "common/StreamedTypes.h"
#include "support/FuzzMutator.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRect>
#include <QSize>

#include <gtest/gtest.h>

namespace {

const QList<int> versions = {8, 9, 10, 11};

// A small map of every kind of value a session holds.
QVariant sessionLikeMap() {
    QImage picture(6, 4, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 100, 50, 128));
    QPainterPath path;
    path.addRect(1, 2, 3, 4);
    QVariantMap inner;
    inner[QStringLiteral("size_")] = QSize(6, 4);
    inner[QStringLiteral("corner_")] = QPointF(1.5, 2.5);
    inner[QStringLiteral("polygon_")] = QVariant::fromValue(QPolygonF({{0, 0}, {3, 1}, {2, 5}}));
    inner[QStringLiteral("path_")] = QVariant::fromValue(path);
    QVariantMap map;
    map[QStringLiteral("name_")] = QStringLiteral("cut-out");
    map[QStringLiteral("resolution_")] = 1;
    map[QStringLiteral("feather_")] = 0.5;
    map[QStringLiteral("qColor_")] = QColor(Qt::red);
    map[QStringLiteral("area_")] = QRect(1, 2, 3, 4);
    map[QStringLiteral("names_")] = QStringList{QStringLiteral("a"), QStringLiteral("bc")};
    map[QStringLiteral("regions_")] = QVariantList{inner, QColor(1, 2, 3, 4), 7u};
    map[QStringLiteral("image_")] = picture;
    map[QStringLiteral("bytes_")] = QByteArray("\x01\x02\x03", 3);
    return map;
}

QByteArray streamOf(const QVariant& model) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(SessionStream::write(buffer, 0x1234, model));
    return buffer.data();
}

// Takes a copy of every value out of `value`, as restoring a session does with its map.
int useEveryValue(const QVariant& value) {
    switch (value.userType()) {
    case QMetaType::QVariantMap: {
        int used = 0;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            used += useEveryValue(it.value());
        return used;
    }
    case QMetaType::QVariantList: {
        int used = 0;
        for (const QVariant& element : value.toList())
            used += useEveryValue(element);
        return used;
    }
    case QMetaType::QColor: {
        const QColor colour = value.value<QColor>();
        return colour.isValid() ? 1 : 0;
    }
    case QMetaType::QImage:
        return value.value<QImage>().isNull() ? 0 : 1;
    case QMetaType::QPolygonF:
        return value.value<QPolygonF>().size();
    default:
        return value.isValid() ? 1 : 0;
    }
}

// Reads `bytes`; true when they were read (and every value used), false when refused.
bool readAndUse(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const SessionStream::Contents contents = SessionStream::read(buffer, versions);
    if (contents.outcome != SessionStream::Outcome::Read)
        return false;
    useEveryValue(contents.model);
    return true;
}

class SessionStreamFuzz : public ::testing::Test {
protected:
    void SetUp() override {
        registerStreamedTypes();
        good_ = streamOf(sessionLikeMap());
        ASSERT_TRUE(readAndUse(good_));
    }
    QByteArray good_;
};

TEST_F(SessionStreamFuzz, EveryCutAndEveryHugeCountIsRefusedOrSafe) {
    for (int length = 0; length < good_.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(readAndUse(good_.left(length)));
    }
    for (const quint32 count : {0x7FFFFFFFu, 0xFFFFFFF0u, 0x00100000u}) {
        for (int at = 0; at + 4 <= good_.size(); ++at) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(count).arg(at).toStdString());
            QByteArray bytes = good_;
            zqtest::FuzzMutator::writeNumber(bytes, at, count, true, 4);
            readAndUse(bytes);
            if (HasFailure())
                return;
        }
    }
}

TEST_F(SessionStreamFuzz, RandomDamageIsRefusedOrSafe) {
    zqtest::FuzzMutator mutator(0x5eed0003);
    for (int i = 0; i < 1500; ++i) {
        const QByteArray damaged = mutator.mutate(good_);
        SCOPED_TRACE(QStringLiteral("#%1: %2").arg(i).arg(QLatin1String(damaged.toHex())).toStdString());
        readAndUse(damaged);
        if (HasFailure())
            return;
    }
}

TEST_F(SessionStreamFuzz, FoundCasesStayRefused) {
    // The red colour's kind byte (1, RGB) made 0x7b: Qt keeps it unchecked as an enum.
    const int colour = good_.indexOf(QByteArray("\0\0\0\x43\0\x01\xff\xff", 8));
    ASSERT_GT(colour, 0);
    for (const char kind : {char(0x7b), char(0x06), char(0xff)}) {
        SCOPED_TRACE(int(kind));
        QByteArray bytes = good_;
        bytes[colour + 5] = kind;
        EXPECT_FALSE(readAndUse(bytes));
    }
}

}  // namespace
