// Item handles on a double-density screen: this program runs with QT_SCALE_FACTOR=2.
#include "CompositionFixture.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/IconPixmap.h"
#include "composition/scene/ItemHandle.h"

#include <QGuiApplication>
#include <QImage>
#include <QPointer>

// The application library is static: its resources are registered by hand, outside any namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

class ItemHandleDensityTest : public CompositionFixture {
protected:
    void SetUp() override {
        registerProgramResources();
        CompositionFixture::SetUp();
    }
};

// Each handle shows the picture drawn at twice the pixels, pixel for pixel, not the 32-pixel
// one blown up to the screen's 64.
TEST_F(ItemHandleDensityTest, HandlePicturesUseEveryDevicePixelOfTheirDoubleDensityDrawing) {
    ASSERT_EQ(qGuiApp->devicePixelRatio(), 2.0);
    for (const char* name : {"translate", "rotate", "scale", "setwidth",
                             "generic_interaction_cursor"}) {
        SCOPED_TRACE(name);
        const QPixmap pixmap = handlePixmap(QLatin1String(name) + QStringLiteral(".png"));
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0);
        ASSERT_EQ(pixmap.size(), QSize(64, 64));
        const QImage drawn =
            QImage(QStringLiteral(":/images/fun/cursors32pix/%1@2x.png").arg(QLatin1String(name)))
                .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(drawn.size(), QSize(64, 64));
        const QImage shown = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int differing = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (!closeColours(pixelAt(shown, x, y), pixelAt(drawn, x, y)))
                    ++differing;
        EXPECT_EQ(differing, 0);
    }
}

// The denser picture keeps the handle's size and centre in logical pixels: 32 square, centred
// on the corner it marks.
TEST_F(ItemHandleDensityTest, HandlesStay32LogicalPixelsCentredOnTheirPoint) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    ASSERT_FALSE(item->handles().isEmpty());
    for (const QPointer<ItemHandle>& handle : item->handles()) {
        SCOPED_TRACE(handle->metaObject()->className());
        EXPECT_EQ(handle->boundingRect(), QRectF(-16, -16, 32, 32));
    }
}

}  // namespace
