// The hand cursors on a double-density screen: this program runs with QT_SCALE_FACTOR=2.
#include "workspace/BitmapCursor.h"

#include <QBitmap>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// The application library is static: its resources are registered by hand, outside any namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

struct HandCursor {
    const char* name;
    QPoint hotSpot;
};

// Each hand shows its picture drawn at twice the pixels, pixel for pixel, with the hot spot
// where the small one has it in logical pixels: not the 32-pixel bitmap blown up to the screen's 64.
TEST(BitmapCursorDensityTest, HandCursorsShowTheirDoubleDensityDrawingWithTheLogicalHotSpot) {
    registerProgramResources();
    ASSERT_EQ(qGuiApp->devicePixelRatio(), 2.0);
    const HandCursor cursors[] = {
        {"handopen", {7, 7}}, {"handgrab", {8, 9}}, {"handpoint", {5, 1}}};
    for (const HandCursor& hand : cursors) {
        SCOPED_TRACE(hand.name);
        const QString data = QStringLiteral(":/images/curs_data_%1.png").arg(QLatin1String(hand.name));
        const QString mask = QStringLiteral(":/images/curs_mask_%1.png").arg(QLatin1String(hand.name));
        const std::unique_ptr<QCursor> cursor(
            makeBitmapCursor(hand.hotSpot.x(), hand.hotSpot.y(), data, mask, Qt::ArrowCursor));
        EXPECT_EQ(cursor->shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor->hotSpot(), hand.hotSpot);
        const QPixmap pixmap = cursor->pixmap();
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0);
        ASSERT_EQ(pixmap.size(), QSize(64, 64));

        const QImage dataBits =
            QBitmap(QStringLiteral(":/images/curs_data_%1@2x.png").arg(QLatin1String(hand.name)))
                .toImage().convertToFormat(QImage::Format_Mono);
        const QImage maskBits =
            QBitmap(QStringLiteral(":/images/curs_mask_%1@2x.png").arg(QLatin1String(hand.name)))
                .toImage().convertToFormat(QImage::Format_Mono);
        ASSERT_EQ(dataBits.size(), QSize(64, 64));
        ASSERT_EQ(maskBits.size(), QSize(64, 64));
        const QImage shown = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int differing = 0, outline = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool inData = dataBits.pixelIndex(x, y) == Qt::color1;
                const bool inMask = maskBits.pixelIndex(x, y) == Qt::color1;
                const QRgb expected = !inMask ? qRgba(0, 0, 0, 0)
                                      : inData ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                const QRgb pixel = shown.pixel(x, y);
                const bool same = qAlpha(pixel) == qAlpha(expected) &&
                                  (qAlpha(pixel) == 0 || pixel == expected);
                differing += !same;
                outline += inData && inMask;
            }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(outline, 40);   // the drawing is there, not a blank square
    }
}

// Pictures without twins leave the cursor as it is at 1x: the small bitmap, never a blank one.
TEST(BitmapCursorDensityTest, WithoutTwinsTheSmallBitmapStands) {
    registerProgramResources();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString data = folder.filePath(QStringLiteral("data.png"));
    const QString mask = folder.filePath(QStringLiteral("mask.png"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(":/images/curs_data_handopen.png"), data));
    ASSERT_TRUE(QFile::copy(QStringLiteral(":/images/curs_mask_handopen.png"), mask));
    const std::unique_ptr<QCursor> cursor(makeBitmapCursor(7, 7, data, mask, Qt::ArrowCursor));
    EXPECT_EQ(cursor->shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor->hotSpot(), QPoint(7, 7));
    EXPECT_TRUE(cursor->pixmap().isNull());
}

} // namespace
