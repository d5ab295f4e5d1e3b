#include "masking/QuickVariantWriter.h"
#include "masking/SessionStream.h"
#include "masking/SessionStreamCheck.h"
#include "common/StreamedTypes.h"
#include "tests/masking/SavedSessionFixture.h"

#include <QBitmap>
#include <QBuffer>
#include <QColor>
#include <QDataStream>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>

#include <gtest/gtest.h>

namespace {

using savetest::bytesOf;

QImage pattern(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 5 % 256, y * 7 % 256, (x * y) % 256, (x + y) % 256));
    return image.convertToFormat(format);
}

QImage statuses(int width, int height) {
    QImage image(width, height, QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, i, i));
    image.setColorTable(table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x / 4 + y / 3) % 5 * 2));
    return image;
}

// A map like a masking session's: pictures of every kind at several depths among the other
// values it holds, and the empty and null values whose spelling is easiest to get wrong.
QVariantMap sessionLike() {
    QPainterPath path;
    path.moveTo(1, 2);
    path.lineTo(30, 40);
    QImage mono(33, 17, QImage::Format_Mono);
    mono.fill(0);
    mono.setPixel(4, 4, 1);
    QVariantMap region;
    region["type_"] = 3;
    region["rect_"] = QRectF(1.5, 2, 30, 20);
    region["points_"] = QVariant::fromValue(QPolygonF(QVector<QPointF>{QPointF(1, 1), QPointF(9, 4)}));
    region["path_"] = QVariant::fromValue(path);
    region["bitmap_"] = QBitmap::fromImage(mono);
    region["mask_"] = statuses(12, 9);
    QVariantMap source;
    source["valid_"] = true;
    source["fileName_"] = QStringLiteral("file:///cup.png");
    source["image_"] = pattern(64, 48, QImage::Format_ARGB32);
    QVariantMap output = source;
    output["image_"] = pattern(64, 48, QImage::Format_RGB32);
    QVariantMap m;
    m["segImg_"] = source;
    m["blendImg_"] = output;
    m["statusArray_"] = statuses(64, 48);
    m["premultiplied_"] = pattern(20, 10, QImage::Format_ARGB32_Premultiplied);
    m["noPicture_"] = QImage();
    m["emptyMap_"] = QVariantMap();
    m["nullMap_"] = QVariant(QVariant::Map);
    m["nullList_"] = QVariant(QVariant::List);
    m["invalid_"] = QVariant();
    m["resolution_"] = 2;
    m["colour_"] = QColor(10, 20, 30, 40);
    m["list_"] = QVariantList{region, QVariantList{pattern(7, 5, QImage::Format_ARGB32), 1.5},
                              QStringList{"a", "b"}};
    return m;
}

// `value` with every bitmap replaced by its pixels in a format of whole bytes. Qt's reader
// leaves the unused bits at the end of a 1-bit row as it found them in fresh memory, and its
// writer writes them out, so two read-backs of the very same bytes may be spelt apart there
// (a 33-pixel row has 7 such bits); the pixels themselves never differ.
QVariant withBitmapsAsPixels(const QVariant& value) {
    switch (value.userType()) {
    case QMetaType::QVariantMap: {
        QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            it.value() = withBitmapsAsPixels(it.value());
        return map.isEmpty() ? value : QVariant(map);
    }
    case QMetaType::QVariantList: {
        QVariantList list = value.toList();
        for (QVariant& element : list)
            element = withBitmapsAsPixels(element);
        return list.isEmpty() ? value : QVariant(list);
    }
    case QMetaType::QBitmap:
        return QVariantList{QStringLiteral("bitmap"),
                            value.value<QBitmap>().toImage().convertToFormat(QImage::Format_ARGB32)};
    default:
        return value;
    }
}

QByteArray quickBytes(const QVariant& value, int quality) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(SessionStream::currentVersion);
    EXPECT_TRUE(QuickVariantWriter::write(out, value, quality));
    return bytes;
}

QVariant readBack(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(SessionStream::currentVersion);
    QVariant value;
    in >> value;
    EXPECT_EQ(in.status(), QDataStream::Ok);
    EXPECT_TRUE(in.atEnd());
    return value;
}

// A device that takes `room` bytes and refuses the rest, as a full disk does.
class LimitedDevice : public QIODevice {
public:
    explicit LimitedDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override {
        if (length > room_)
            return -1;
        room_ -= length;
        return length;
    }

private:
    qint64 room_;
};

class QuickVariantWriterTest : public ::testing::Test {
protected:
    void SetUp() override { registerStreamedTypes(); }
};

TEST_F(QuickVariantWriterTest, AtQtsOwnQualityTheBytesAreQtsOwn) {
    // Only the PNG files may differ between the two writers: at the same quality nothing may.
    const QVariantMap session = sessionLike();
    const QVariant cases[] = {session, session["list_"], session["segImg_"], QVariant(QVariantMap()),
                              QVariant(), QVariant(QImage()), QVariant(pattern(9, 9, QImage::Format_RGB32)),
                              QVariant(42)};
    for (const QVariant& value : cases) {
        SCOPED_TRACE(value.typeName() ? value.typeName() : "invalid");
        EXPECT_EQ(quickBytes(value, -1), bytesOf(value));
    }
}

TEST_F(QuickVariantWriterTest, QuickBytesReadBackToTheSamePicturesAndPassTheReadersCheck) {
    const QVariantMap session = sessionLike();
    const QByteArray quick = quickBytes(session, QuickVariantWriter::quickQuality);
    const QByteArray standard = bytesOf(session);
    EXPECT_NE(quick, standard) << "the pictures were compressed as Qt's writer does";

    qint64 end = 0;
    QString problem;
    ASSERT_TRUE(SessionStreamCheck::checkVariant(quick, 0, &end, &problem)) << problem.toStdString();
    EXPECT_EQ(end, quick.size());

    // Read back, the two give the very same values, pictures pixel for pixel included; Qt's
    // writer then spells both alike, but for the unused bits of bitmap rows.
    const QVariantMap fromQuick = readBack(quick).toMap();
    const QVariantMap fromStandard = readBack(standard).toMap();
    ASSERT_EQ(fromQuick.keys(), session.keys());
    for (const QString& key : session.keys()) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(bytesOf(withBitmapsAsPixels(fromQuick[key])),
                  bytesOf(withBitmapsAsPixels(fromStandard[key])));
    }
    EXPECT_EQ(fromQuick["segImg_"].toMap()["image_"].value<QImage>(),
              session["segImg_"].toMap()["image_"].value<QImage>());
    EXPECT_EQ(fromQuick["statusArray_"].value<QImage>(), fromStandard["statusArray_"].value<QImage>());
}

TEST_F(QuickVariantWriterTest, ARefusedWriteIsReportedWhereverItFalls) {
    const QVariantMap session = sessionLike();
    const int whole = quickBytes(session, QuickVariantWriter::quickQuality).size();
    for (qint64 room : {qint64(0), qint64(3), qint64(40), qint64(whole / 3), qint64(whole / 2),
                        qint64(whole - 1)}) {
        SCOPED_TRACE(room);
        LimitedDevice device(room);
        QDataStream out(&device);
        out.setVersion(SessionStream::currentVersion);
        EXPECT_FALSE(QuickVariantWriter::write(out, session));
    }
    LimitedDevice enough(whole);
    QDataStream out(&enough);
    out.setVersion(SessionStream::currentVersion);
    EXPECT_TRUE(QuickVariantWriter::write(out, session));
}

TEST_F(QuickVariantWriterTest, TheEncodingsDoNotDependOnTheWorkerCount) {
    std::vector<QImage> images;
    for (int i = 0; i < 7; ++i)
        images.push_back(pattern(30 + i, 20 + 2 * i, i % 2 ? QImage::Format_RGB32 : QImage::Format_ARGB32));
    const std::vector<QByteArray> one = QuickVariantWriter::encodeAll(images, 85, 1);
    ASSERT_EQ(one.size(), images.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(QImage::fromData(one[i], "png").convertToFormat(images[i].format()), images[i]);
    }
    for (unsigned workers : {0u, 2u, 3u, 16u})
        EXPECT_EQ(QuickVariantWriter::encodeAll(images, 85, workers), one) << workers << " workers";
    EXPECT_TRUE(QuickVariantWriter::encodeAll({}, 85, 4).empty());
}

}  // namespace
