#include "workspace/BitmapCursor.h"

#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <memory>

// The application library is static: its resources are registered by hand, outside any namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

// Each path is written as the code that loads it writes it, so a name that drifts from the
// resource file shows here rather than as a blank button.
struct Picture {
    const char* path;
    int size;
};

TEST(ProgramPicturesTest, EveryWindowAndToolPictureLoadsAtItsSize) {
    registerProgramResources();
    const Picture pictures[] = {
        {":/images/fun/cursors32pix/zoom_out.png", 32}, {":images/fun/cursors32pix/zoom_in.png", 32},
        {":/images/fun/icons48pix/apply.png", 48}, {":/images/fun/icons48pix/blend.png", 48},
        {":/images/fun/icons48pix/cancel.png", 48}, {":/images/fun/icons48pix/canvas_size.png", 48},
        {":/images/fun/icons48pix/delete_pixels.png", 48},
        {":/images/fun/icons48pix/delete_region.png", 48},
        {":/images/fun/icons48pix/display_colour.png", 48},
        {":/images/fun/icons48pix/original_image.png", 48},
        {":/images/fun/icons48pix/preview_image.png", 48}, {":/images/fun/icons48pix/redo.png", 48},
        {":/images/fun/icons48pix/restore.png", 48}, {":/images/fun/icons48pix/smoothing_off.png", 48},
        {":/images/fun/icons48pix/smoothing_on.png", 48},
        {":/images/fun/icons48pix/toggle_display.png", 48}, {":/images/fun/icons48pix/undo.png", 48},
        {":images/fun/icons48pix/print.png", 48}, {":fun/icon_floppydisc_orange_48.png", 48},
        {":frolix/tool_edge_blending.png", 24}, {":frolix/tool_edge_finding.png", 24},
        {":images/facebook_icon.png", 24}, {":images/flickr_icon.png", 24},
        {":images/nav_zoom_in.png", 24}, {":images/nav_zoom_out.png", 24},
        {":images/tool_image_pan.png", 24}, {":images/tool_mark_preview.png", 24},
        // The composition items' handles and item-menu icons.
        {":/images/fun/cursors32pix/translate.png", 32}, {":/images/fun/cursors32pix/rotate.png", 32},
        {":/images/fun/cursors32pix/scale.png", 32}, {":/images/fun/cursors32pix/setwidth.png", 32},
        {":/images/fun/cursors32pix/generic_interaction_cursor.png", 32},
        {":/images/fun/icons48pix/bring_forward.png", 48},
        {":/images/fun/icons48pix/push_backward.png", 48},
        {":/images/fun/icons48pix/delete.png", 48}, {":/images/fun/icons48pix/clone.png", 48},
        {":/images/fun/icons48pix/cutout.png", 48},
    };
    for (const Picture& picture : pictures) {
        const QPixmap pixmap(QString::fromLatin1(picture.path));
        EXPECT_FALSE(pixmap.isNull()) << picture.path;
        EXPECT_EQ(pixmap.size(), QSize(picture.size, picture.size)) << picture.path;
        // Its double-density twin, which icons take on a 2x screen.
        const QPixmap twin(QString::fromLatin1(picture.path).replace(".png", "@2x.png"));
        EXPECT_EQ(twin.size(), QSize(2 * picture.size, 2 * picture.size)) << picture.path;
    }
}

// Whether a one-bit picture has its pixel (x, y) set (drawn black).
bool isSet(const QImage& bits, int x, int y) { return bits.pixelColor(x, y) == Qt::black; }

struct HandCursor {
    const char* name;
    QPoint hotSpot;
};

// The hand cursors are drawn, not the standard shapes they fall back to, and each shows a dark
// outline round a white hand whose hot spot lies on the hand.
TEST(ProgramPicturesTest, HandCursorsAreOutlinedWhiteHandsUnderTheirHotSpots) {
    registerProgramResources();
    const HandCursor cursors[] = {
        {"handopen", {7, 7}}, {"handgrab", {8, 9}}, {"handpoint", {5, 1}}};
    for (const HandCursor& hand : cursors) {
        const QString data = QStringLiteral(":/images/curs_data_%1.png").arg(QLatin1String(hand.name));
        const QString mask = QStringLiteral(":/images/curs_mask_%1.png").arg(QLatin1String(hand.name));
        const std::unique_ptr<QCursor> cursor(
            makeBitmapCursor(hand.hotSpot.x(), hand.hotSpot.y(), data, mask, Qt::ArrowCursor));
        EXPECT_EQ(cursor->shape(), Qt::BitmapCursor) << hand.name;
        EXPECT_EQ(cursor->hotSpot(), hand.hotSpot) << hand.name;
        EXPECT_TRUE(cursor->pixmap().isNull()) << hand.name;   // at 1x: the one-bit bitmaps

        const QImage dataBits = QBitmap(data).toImage();
        const QImage maskBits = QBitmap(mask).toImage();
        ASSERT_EQ(dataBits.size(), QSize(32, 32)) << hand.name;
        ASSERT_EQ(maskBits.size(), QSize(32, 32)) << hand.name;
        EXPECT_TRUE(isSet(maskBits, hand.hotSpot.x(), hand.hotSpot.y())) << hand.name;
        int outline = 0, white = 0, outsideMask = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool inData = isSet(dataBits, x, y), inMask = isSet(maskBits, x, y);
                outline += inData && inMask;
                white += !inData && inMask;
                outsideMask += inData && !inMask;   // undefined on X11: never drawn
            }
        EXPECT_GT(outline, 20) << hand.name;
        EXPECT_GT(white, 20) << hand.name;
        EXPECT_EQ(outsideMask, 0) << hand.name;
    }
}

} // namespace
