#include "masking/GmModel.h"
#include "masking/GmModelKeys.h"
#include "masking/GmModelTypes.h"
#include "masking/GmStatusArray.h"
#include "masking/NamedImage.h"
#include "masking/SessionFile.h"
#include "masking/SessionStream.h"
#include "masking/SessionStreamCheck.h"
#include "masking/TqSourceImage.h"
#include "common/StreamedTypes.h"
#include "tests/masking/MaskPixels.h"
#include "tests/masking/SavedSessionFixture.h"
#include "tests/masking/SavedTargets.h"
#include "masking/BrushSizeValue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBitmap>
#include <QBuffer>
#include <QMessageBox>
#include <QPainterPath>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using masktest::strokePixels;
using savetest::bytesOf;
using savetest::SavedBrushRegion;
using savetest::SavedEdge;
using savetest::SavedRectRegion;

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 5 % 256, y * 7 % 256, (x + y) % 256));
    return image;
}

// Closes every message box that comes up with OK and keeps its text.
class MessageBoxCloser : public QObject {
public:
    MessageBoxCloser() {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer_.start(5);
    }
    QStringList texts;

private:
    QTimer timer_;
};

class SessionStreamTest : public savetest::SavedSessionFixture {
protected:
    // A 64 x 48 picture at `divisor` with a protected rectangle region, brush regions in
    // black, white and red, and a forced edge.
    void openWithWork(int divisor) {
        model->setResolution(divisor, true);
        ASSERT_TRUE(model->setImage(GmSession::KeepSettings, 1,
                                    new TqSourceImage(NamedImage(gradient(64, 48),
                                                                 QUrl("file:///work.png")))));
        ASSERT_EQ(model->resolution(), divisor);
        auto* rect = new SavedRectRegion(QRectF(4, 5, 20, 10));
        rect->setProtected(true);
        model->regions().append(rect);
        const QColor colours[] = {Qt::black, Qt::white, Qt::red};
        int row = 8;
        for (const QColor& colour : colours) {
            auto* brush = new SavedBrushRegion(colour);
            brush->stroke().startStroke(QPointF(6, row));
            brush->stroke().strokeTo(QPointF(40, row + 6));
            model->regions().append(brush);
            row += 12;
        }
        model->forcedEdges().append(new SavedEdge(QPolygonF(QVector<QPointF>{QPointF(1, 1), QPointF(30, 40)}), 5));
    }

    QByteArray saved() {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(SessionFile::save(buffer));
        return buffer.data();
    }

    bool load(const QByteArray& bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return SessionFile::load(buffer);
    }

    std::vector<masktest::PixelSet> strokeSets() {
        std::vector<masktest::PixelSet> sets;
        for (GmRegion* region : model->regions())
            if (auto* brush = dynamic_cast<SavedBrushRegion*>(region))
                sets.push_back(strokePixels(brush->stroke()));
        return sets;
    }
};


QVariantMap mapOf(const QByteArray& stream) {
    QDataStream in(stream.mid(SessionStream::headerSize));
    in.setVersion(SessionStream::currentVersion);
    QVariant value;
    in >> value;
    return value.toMap();
}

TEST_F(SessionStreamTest, EveryResolutionRoundTripsTheWholeModel) {
    for (int divisor : {1, 2, 4, 8}) {
        SCOPED_TRACE(divisor);
        openWithWork(divisor);
        const auto strokes = strokeSets();
        ASSERT_EQ(strokes.size(), 3u);
        for (const auto& set : strokes)
            EXPECT_FALSE(set.empty());
        const QByteArray first = saved();

        model->closeImage();
        model->setResolution(divisor == 1 ? 2 : 1, true);
        ASSERT_TRUE(load(first));
        EXPECT_EQ(model->resolution(), divisor);
        ASSERT_EQ(model->regions().size(), 4);
        ASSERT_EQ(model->forcedEdges().size(), 1);
        EXPECT_TRUE(model->regions()[0]->isProtected());
        EXPECT_EQ(model->forcedEdges()[0]->width(), 5);
        EXPECT_EQ(strokeSets(), strokes);
        const QColor colours[] = {Qt::black, Qt::white, Qt::red};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(static_cast<SavedBrushRegion*>(model->regions()[i + 1])->stroke().colour(),
                      colours[i]);
        // Written again, every entry of the restored model's map gives the very same bytes.
        const QVariantMap again = model->toVariant().toMap();
        const QVariantMap before = mapOf(first);
        ASSERT_EQ(again.keys(), before.keys());
        for (const QString& key : before.keys()) {
            if (key != GmKeys::arrowTargetList) {
                EXPECT_EQ(bytesOf(again[key]), bytesOf(before[key])) << key.toStdString();
            }
        }
        // A rectangle region's rectangle always comes back snapping; all else is as saved.
        const QVariantList targetsAgain = again[GmKeys::arrowTargetList].toList();
        const QVariantList targetsBefore = before[GmKeys::arrowTargetList].toList();
        ASSERT_EQ(targetsAgain.size(), targetsBefore.size());
        EXPECT_EQ(static_cast<SavedRectRegion*>(model->regions()[0])->rectangle().snap(), 1);
        for (int i = 0; i < targetsBefore.size(); ++i) {
            QVariantMap a = targetsAgain[i].toMap();
            QVariantMap b = targetsBefore[i].toMap();
            for (QVariantMap* m : {&a, &b}) {
                QVariantMap rect = (*m)[GmKeys::rectangle].toMap();
                rect.remove(QStringLiteral("snap_"));
                if (m->contains(GmKeys::rectangle))
                    (*m)[GmKeys::rectangle] = rect;
            }
            EXPECT_EQ(bytesOf(a), bytesOf(b)) << "target " << i;
        }
        model->closeImage();
    }
}

TEST_F(SessionStreamTest, HeaderIsBigEndianMagicVersionAndImageCheck) {
    openWithWork(1);
    const QByteArray bytes = saved();
    ASSERT_GT(bytes.size(), 10);
    EXPECT_EQ(bytes.left(8).toHex(), QByteArray("08e116020000000b"));
    EXPECT_EQ(qFromBigEndian<quint16>(bytes.constData() + 8), model->sourceImage()->imageCheck());
}

TEST_F(SessionStreamTest, AUsersSessionIsQtsOwnStreamAndAQuickOneDiffersOnlyInItsPictures) {
    openWithWork(1);
    const QByteArray user = saved();
    // Past the header, a user's file is exactly what Qt's own writer makes of the map.
    EXPECT_EQ(user.mid(SessionStream::headerSize), bytesOf(model->toVariant()));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(SessionFile::saveQuickly(buffer));
    const QByteArray quick = buffer.data();
    EXPECT_EQ(quick.left(SessionStream::headerSize), user.left(SessionStream::headerSize));
    const QVariantMap fromQuick = mapOf(quick);
    const QVariantMap fromUser = mapOf(user);
    ASSERT_EQ(fromQuick.keys(), fromUser.keys());
    for (const QString& key : fromUser.keys())
        EXPECT_EQ(bytesOf(fromQuick[key]), bytesOf(fromUser[key])) << key.toStdString();

    const int regions = model->regions().size();
    model->closeImage();
    ASSERT_TRUE(load(quick));
    EXPECT_EQ(model->regions().size(), regions);
    EXPECT_EQ(model->sourceImage()->image(), gradient(64, 48));
}

TEST_F(SessionStreamTest, VersionsEightToElevenReadAndOthersAreRefused) {
    openWithWork(2);
    const QByteArray good = saved();
    const struct { qint32 version; bool reads; } cases[] = {
        {7, false}, {8, true}, {9, true}, {10, true}, {11, true}, {12, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        QByteArray bytes = good;
        qToBigEndian(c.version, bytes.data() + 4);
        MessageBoxCloser closer;
        EXPECT_EQ(load(bytes), c.reads);
        if (!c.reads) {
            ASSERT_EQ(closer.texts.size(), 1);
            EXPECT_TRUE(closer.texts[0].startsWith(QStringLiteral("Cannot load unsupported version %1")
                                                       .arg(c.version)));
        }
    }
}

TEST_F(SessionStreamTest, TrailingBytesAreIgnored) {
    openWithWork(1);
    const QByteArray good = saved();
    ASSERT_TRUE(load(good + QByteArray(100, '\x7f')));
    EXPECT_EQ(model->regions().size(), 4);
}

// A copy of the saved map with one change, written as a stream.
QByteArray streamOf(const QVariantMap& map) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SessionStream::write(buffer, 0, map);
    return buffer.data();
}

TEST_F(SessionStreamTest, BadStreamsAreRefusedAndTheWorkStays) {
    openWithWork(1);
    const QByteArray good = saved();
    const QVariantMap map = model->toVariant().toMap();
    const int header = good.indexOf("IHDR");
    ASSERT_GT(header, 0);
    const int idat = good.indexOf("IDAT");
    ASSERT_GT(idat, 0);

    auto withResolution = [&](const QVariant& value) {
        QVariantMap m = map;
        if (value.isValid())
            m[GmKeys::resolution] = value;
        else
            m.remove(GmKeys::resolution);
        return streamOf(m);
    };
    auto patched = [&](int at, quint32 value) {
        QByteArray bytes = good;
        qToBigEndian(value, bytes.data() + at);
        return bytes;
    };
    QVariantMap smallerOutput = map;
    {
        QVariantMap output = map[GmKeys::blendImg].toMap();
        output[QString::fromLatin1(TqSourceImage::imageImageKey)] = gradient(10, 10);
        smallerOutput[GmKeys::blendImg] = output;
    }
    QByteArray flipped = good;
    flipped[idat + 20] = char(flipped[idat + 20] ^ 0x5a);
    // More patches and forced edges than anyone draws: the largest count is still taken.
    auto withTargets = [&](int count) {
        QVariantMap m = map;
        const QVariant edge = map[GmKeys::arrowTargetList].toList().last();
        QVariantList targets;
        for (int i = 0; i < count; ++i)
            targets.append(edge);
        m[GmKeys::arrowTargetList] = targets;
        return m;
    };
    EXPECT_TRUE(model->checkVariant(withTargets(GmModel::largestTargetCount), nullptr));
    // A brush stroke's red colour: its type, the null flag, then kind 1 (RGB) and alpha 0xFFFF.
    const int colour = good.indexOf(QByteArray("\0\0\0\x43\0\x01\xff\xff", 8));
    ASSERT_GT(colour, 0);
    QByteArray badSpec = good;
    badSpec[colour + 5] = char(0x7b);

    const struct { const char* name; QByteArray bytes; } cases[] = {
        {"wrong magic", patched(0, 0x08E11603)},
        {"empty", QByteArray()},
        {"cut in the header", good.left(6)},
        {"cut after the header", good.left(10)},
        {"cut inside the map", good.left(80)},
        {"cut inside a picture", good.left(idat + 30)},
        {"flipped picture byte", flipped},
        {"colour of an unknown kind", badSpec},
        {"hostile map count", patched(15, 0x7FFFFFFF)},
        {"hostile key length", patched(19, 0x7FFFFFF0)},
        {"huge picture", patched(header + 4, 100000)},
        {"too many pixels", [&] { QByteArray b = patched(header + 4, 20000);
                                   qToBigEndian(quint32(20000), b.data() + header + 8); return b; }()},
        {"resolution 0", withResolution(0)},
        {"resolution 3", withResolution(3)},
        {"resolution -1", withResolution(-1)},
        {"resolution 1000", withResolution(1000)},
        {"no resolution", withResolution(QVariant())},
        {"no map", streamOf(QVariantMap())},
        {"images of two sizes", streamOf(smallerOutput)},
        {"too many targets", streamOf(withTargets(GmModel::largestTargetCount + 1))},
    };
    TqSourceImage* source = model->sourceImage();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxCloser closer;
        EXPECT_FALSE(load(c.bytes));
        ASSERT_EQ(closer.texts.size(), 1);
        EXPECT_TRUE(closer.texts[0].startsWith(QStringLiteral("File is not of the correct format")));
        EXPECT_EQ(model->sourceImage(), source);
        EXPECT_EQ(model->regions().size(), 4);
        EXPECT_EQ(model->forcedEdges().size(), 1);
    }
    {
        QVariant plain(42);
        MessageBoxCloser closer;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        SessionStream::write(buffer, 0, plain);
        EXPECT_FALSE(load(buffer.data()));
        EXPECT_EQ(model->sourceImage(), source);
    }
}

TEST_F(SessionStreamTest, UnusableEntriesAreLeftOutOfAnOtherwiseGoodRestore) {
    openWithWork(2);
    const QVariantMap map = model->toVariant().toMap();
    QVariantList targets = map[GmKeys::arrowTargetList].toList();
    ASSERT_EQ(targets.size(), 5);

    QVariantMap unknown;
    unknown[GmKeys::type] = 9;
    QVariantMap oversize = targets[1].toMap();
    {
        QVariantMap brushing = oversize[GmKeys::brushing].toMap();
        QImage big(100, 100, QImage::Format_Mono);
        big.fill(0);
        brushing[GmKeys::bitmap] = QBitmap::fromImage(big);
        oversize[GmKeys::brushing] = brushing;
    }
    const QSize working(32, 24);
    QImage otherSize(working + QSize(1, 0), QImage::Format_Indexed8);
    otherSize.setColorCount(256);
    otherSize.fill(1);
    QImage goodStatuses(working, QImage::Format_Indexed8);
    goodStatuses.setColorCount(256);
    goodStatuses.fill(2);

    const struct { const char* name; QVariant extraTarget; QImage statuses; int regions; bool statusesKept; } cases[] = {
        {"unknown type", unknown, goodStatuses, 4, true},
        {"oversize stroke", oversize, goodStatuses, 4, true},
        {"status image of another size", QVariant(), otherSize, 4, false},
        {"status image not indexed", QVariant(), goodStatuses.convertToFormat(QImage::Format_ARGB32), 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QVariantMap m = map;
        QVariantList list = targets;
        if (c.extraTarget.isValid())
            list.insert(1, c.extraTarget);
        m[GmKeys::arrowTargetList] = list;
        m[GmKeys::statusArray] = c.statuses;
        MessageBoxCloser closer;
        ASSERT_TRUE(load(streamOf(m)));
        EXPECT_TRUE(closer.texts.isEmpty());
        EXPECT_EQ(model->regions().size(), c.regions);
        EXPECT_EQ(model->forcedEdges().size(), 1);
        EXPECT_EQ(model->statusArray()->savedStatuses().isNull(), !c.statusesKept);
        if (c.statusesKept) {
            const QImage& kept = model->statusArray()->savedStatuses();
            EXPECT_EQ(kept.format(), QImage::Format_Indexed8);
            EXPECT_EQ(kept.size(), working);
            EXPECT_EQ(kept.pixelIndex(5, 7), 2);
        }
    }
}

TEST_F(SessionStreamTest, AModelWithoutTargetsSavesAnEmptyList) {
    ASSERT_TRUE(model->setImage(GmSession::KeepSettings, 1,
                                new TqSourceImage(NamedImage(gradient(16, 16), QUrl("file:///e.png")))));
    const QVariantMap map = model->toVariant().toMap();
    EXPECT_EQ(map[GmKeys::arrowTargetList].type(), QVariant::List);
    EXPECT_TRUE(map[GmKeys::arrowTargetList].toList().isEmpty());
    ASSERT_TRUE(load(saved()));
    EXPECT_TRUE(model->regions().isEmpty());
    EXPECT_TRUE(model->forcedEdges().isEmpty());
}

// A PNG file that declares `width` x `height` RGBA pixels and holds the first row only; a
// private chunk of `padding` bytes, which readers skip, sets the file's length.
QByteArray declaredPicture(quint32 width, quint32 height, int padding) {
    auto chunk = [](const char* tag, const QByteArray& data) {
        QByteArray bytes(4, '\0');
        qToBigEndian(quint32(data.size()), bytes.data());
        return bytes + QByteArray(tag, 4) + data + QByteArray(4, '\0');   // the sum is not read
    };
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8;   // bits per channel
    header[9] = 6;   // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header)
           + chunk("IDAT", qCompress(QByteArray(int(width) * 4 + 1, '\0'), 9).mid(4))
           + (padding > 0 ? chunk("zqPd", QByteArray(padding, '\0')) : QByteArray())
           + chunk("IEND", QByteArray());
}

// Qt reads an empty path as its count alone. A check that took eight more bytes after it would
// read the next key's length and first character as the path's tail, the rest of the key as the
// length of a key of its own, and so read a whole picture as text: Qt would decode a picture of
// 16384 x 16384 pixels (1 GB) that the check never saw.
TEST_F(SessionStreamTest, AnEmptyPathHidesNoPictureFromTheCheck) {
    registerStreamedTypes();
    // An image, not null, present: nine bytes before the file; a text's length is even.
    QByteArray picture = QByteArray::fromHex("000000460000000001") + declaredPicture(16384, 16384, 0);
    if (picture.size() % 2 != 0)
        picture = QByteArray::fromHex("000000460000000001") + declaredPicture(16384, 16384, 1);

    QByteArray stream;
    {
        QDataStream out(&stream, QIODevice::WriteOnly);
        out.setVersion(SessionStream::currentVersion);
        out << qint32(SessionStream::magic) << qint32(SessionStream::currentVersion) << quint16(0);
        out << quint32(8) << qint8(0) << quint32(2);   // a map of two entries
        out << QStringLiteral("p") << QVariant::fromValue(QPainterPath());
        // The second key: eight bytes, the last four of which a check out of step reads as the
        // length of its own next key.
        out << quint32(8) << quint16('a') << quint16('b') << quint32(picture.size());
    }
    stream += picture;
    stream += bytesOf(QVariant(0));   // what the check out of step takes for the second value

    qint64 end = 0;
    QString problem;
    ASSERT_FALSE(SessionStreamCheck::checkVariant(stream, SessionStream::headerSize, &end, &problem));
    EXPECT_TRUE(problem.startsWith(QStringLiteral("picture of 16384 x 16384 pixels")))
        << problem.toStdString();
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    const SessionStream::Contents read = SessionStream::read(buffer, SessionFile::supportedVersions());
    EXPECT_EQ(read.outcome, SessionStream::Outcome::BadModel);
    EXPECT_FALSE(read.model.isValid());
}

// A stroke of a single dot has a path without points, and Qt drops the points of a damaged
// path that are not numbers: such a path is written as its count alone and must read back.
TEST_F(SessionStreamTest, AStrokeWithoutPointsSavesAndReadsBack) {
    auto dotted = [this] {
        openWithWork(1);
        auto* dot = new SavedBrushRegion(QColor(Qt::blue));
        dot->stroke().startStroke(QPointF(50, 30));
        model->regions().append(dot);
        return saved();
    };
    auto damaged = [this] {
        openWithWork(1);
        QByteArray bytes = saved();
        // The first stroke's first point: past the type's name and the element count, the
        // element's type, then x.
        const QByteArray name("\0\0\0\x0dQPainterPath\0", 17);
        const int path = bytes.indexOf(name);
        EXPECT_GT(path, 0);
        EXPECT_GT(qFromBigEndian<quint32>(bytes.constData() + path + name.size()), 0u);
        QByteArray notANumber;
        QDataStream(&notANumber, QIODevice::WriteOnly) << std::nan("");
        bytes.replace(path + name.size() + 8, notANumber.size(), notANumber);
        return bytes;
    };
    const struct { const char* name; std::function<QByteArray()> session; int strokes; } cases[] = {
        {"a stroke of one dot", dotted, 4},
        {"a stroke whose points are not numbers", damaged, 3},
    };
    MessageBoxCloser closer;   // a refused session would say so in a box
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray first = c.session();
        ASSERT_FALSE(first.isEmpty());
        model->closeImage();
        ASSERT_TRUE(load(first));
        const auto strokes = strokeSets();
        ASSERT_EQ(int(strokes.size()), c.strokes);
        for (const auto& set : strokes)
            EXPECT_FALSE(set.empty());

        const QByteArray again = saved();
        ASSERT_FALSE(again.isEmpty());
        model->closeImage();
        ASSERT_TRUE(load(again));
        EXPECT_EQ(strokeSets(), strokes);
        model->closeImage();
    }
    EXPECT_TRUE(closer.texts.isEmpty());
}

TEST_F(SessionStreamTest, RestoringAtAnotherResolutionAnnouncesItFirst) {
    openWithWork(4);
    const QByteArray bytes = saved();
    model->closeImage();
    model->setResolution(1, true);
    QList<QPair<int, int>> changes;
    QObject::connect(model, &GmModel::resolutionChanged,
                     [&](int from, int to) { changes.append({from, to}); });
    ASSERT_TRUE(load(bytes));
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.first(), qMakePair(1, 4));
}

}  // namespace
