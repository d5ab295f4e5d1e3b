#include "CompositionFixture.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/ImageEffects.h"
#include "composition/scene/ItemController.h"
#include "masking/NamedImage.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"

#include <QFileInfo>
#include <QPainter>
#include <QTest>
#include <QUrl>

#include <cmath>

namespace {

using ImageItemTest = CompositionFixture;

/// A 2 x 1 picture: an opaque pixel of `colour` and a fully transparent one.
QImage pixelPair(const QColor& colour) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixelColor(0, 0, colour);
    image.setPixelColor(1, 0, QColor(0, 0, 0, 0));
    return image;
}

struct EffectCase {
    const char* name;
    QColor source;
    float tint;
    float saturation;
    QColor tintColour;
    QColor expected;   // of the opaque pixel, after unpremultiplying
};

class EffectTable : public ::testing::TestWithParam<EffectCase> {};

TEST_P(EffectTable, FollowsTheByteArithmeticOfEachCase) {
    const EffectCase& c = GetParam();
    const QImage source = pixelPair(c.source);
    const QImage result =
        effectImage(source, greyImage(source), c.tint, c.saturation, c.tintColour)
            .convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(result.pixelColor(0, 0), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    ImageItem, EffectTable,
    ::testing::Values(
        // B = 0.5 x 255 + 0, G = 127.5 + 63, R = 127.5 + 127, each truncated
        EffectCase{"tint half on white", Qt::white, 0.5f, 1.0f, QColor(255, 127, 0),
                   QColor(254, 190, 127, 255)},
        EffectCase{"grey of white", Qt::white, 0.0f, 0.0f, QColor(255, 127, 0),
                   QColor(255, 255, 255)},
        EffectCase{"grey of mid grey", QColor(100, 100, 100), 0.0f, 0.0f, QColor(255, 127, 0),
                   QColor(100, 100, 100)},
        // grey of pure red: 0.3 x 200 = 60; halfway: 0.5 x 200 + 0.5 x 60 = 130, 0 + 30 = 30
        EffectCase{"saturation half on red", QColor(200, 0, 0), 0.0f, 0.5f, QColor(255, 127, 0),
                   QColor(130, 30, 30)},
        EffectCase{"tint half on grey", QColor(200, 0, 0), 0.5f, 0.0f, QColor(255, 127, 0),
                   QColor(30 + 127, 30 + 63, 30)},
        EffectCase{"silhouette", QColor(10, 200, 30), 1.0f, 0.3f, QColor(0, 0, 255),
                   QColor(0, 0, 255)}),
    [](const ::testing::TestParamInfo<EffectCase>& info) { return std::to_string(info.index); });

TEST(ImageEffects, SilhouetteKeepsTransparentSurroundingsAndScalesByTheTintAlpha) {
    const QImage source = pixelPair(QColor(10, 200, 30));
    const QImage grey = greyImage(source);
    const QImage solid = effectImage(source, grey, 1.0f, 1.0f, QColor(255, 127, 0));
    EXPECT_EQ(solid.pixelColor(1, 0).alpha(), 0) << "not a black rectangle";
    EXPECT_EQ(solid.pixelColor(0, 0).alpha(), 255);
    const QImage half = effectImage(source, grey, 1.0f, 1.0f, QColor(255, 127, 0, 128));
    EXPECT_EQ(half.pixelColor(0, 0).alpha(), 128);
    EXPECT_EQ(half.pixelColor(1, 0).alpha(), 0);
}

TEST(ImageEffects, HalfSaturationAveragesAlphaToo) {
    QImage source(1, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(200, 0, 0, 200));
    QImage grey = greyImage(source);
    grey.setPixel(0, 0, qRgba(60, 60, 60, 100));   // a grey picture with its own alpha
    const QImage result = effectImage(source, grey, 0.0f, 0.5f, Qt::white);
    EXPECT_EQ(qAlpha(result.pixel(0, 0)), 150);
    EXPECT_EQ(qRed(result.pixel(0, 0)), 130);
}

TEST(ImageEffects, SettingsOutOfRangeAreClamped) {
    const QImage source = pixelPair(QColor(200, 0, 0));
    const QImage grey = greyImage(source);
    auto opaquePixel = [&](float t, float s) {
        return effectImage(source, grey, t, s, QColor(255, 127, 0)).pixelColor(0, 0);
    };
    EXPECT_EQ(opaquePixel(NAN, NAN), QColor(200, 0, 0));
    EXPECT_EQ(opaquePixel(-3.0f, 7.0f), QColor(200, 0, 0));
    EXPECT_EQ(opaquePixel(0.0f, -1.0f), QColor(60, 60, 60));
    EXPECT_EQ(opaquePixel(5.0f, 1.0f), QColor(255, 127, 0));
}

TEST(ImageEffects, OtherFormatsAreTakenAsFourBytesFirst) {
    QImage indexed(2, 2, QImage::Format_Indexed8);
    indexed.setColor(0, qRgb(255, 255, 255));
    indexed.fill(0);
    const QImage grey = greyImage(indexed);
    EXPECT_EQ(grey.depth(), 32);
    EXPECT_EQ(grey.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(effectImage(indexed, grey, 0.5f, 1.0f, QColor(255, 127, 0)).pixelColor(0, 0),
              QColor(254, 190, 127));
}

TEST_F(ImageItemTest, RefreshShowsTheSourceItselfWithoutEffectAndTheGreyAtSaturationZero) {
    CutoutItem* item = addCutout(QSize(4, 4), QColor(200, 0, 0));
    item->refreshPixmap();
    EXPECT_EQ(item->pixmap().cacheKey(), item->sourcePixmap.cacheKey());
    item->saturation = 0.0f;
    item->refreshPixmap();
    EXPECT_EQ(item->pixmap().toImage().pixelColor(1, 1), QColor(60, 60, 60));
    item->saturation = 1.0f;
    item->tintStrength = 0.5f;
    item->refreshPixmap();
    EXPECT_EQ(item->pixmap().toImage().pixelColor(1, 1), QColor(100 + 127, 63, 0));
}

TEST_F(ImageItemTest, ANewPictureCoversAQuarterOfTheVisibleAreaAtItsCentre) {
    const QRectF visible = view->visibleSceneRect();
    CutoutItem* wide = addCutout(QSize(4000, 1000), Qt::red);
    const double f = std::min(visible.width() / 4000, visible.height() / 1000) * 0.25;
    EXPECT_NEAR(wide->transform().m11(), f, 1e-9);
    const QRectF placed = wide->mapRectToScene(wide->localRect());
    EXPECT_NEAR(placed.center().x(), visible.center().x(), 1e-6);
    EXPECT_NEAR(placed.center().y(), visible.center().y(), 1e-6);
}

TEST_F(ImageItemTest, RenderedAtHalfOpacityOverTheBackdrop) {
    CutoutItem* item = addCutout(QSize(40, 40), QColor(255, 0, 0));
    item->setTransform(QTransform());
    item->setPos(100, 100);
    item->setItemOpacity(0.5);
    view->itemScene()->clearSelection();
    // Placing selects the item, which fades it in first.
    ASSERT_TRUE(QTest::qWaitFor([item] { return !item->fader().timer().isActive(); }, 240000));
    const QImage image = renderCanvas();
    EXPECT_TRUE(closeColours(pixelAt(image, 120, 120), QColor(255, 127, 127), 1))
        << pixelAt(image, 120, 120).name().toStdString();
    EXPECT_EQ(pixelAt(image, 160, 120), QColor(Qt::white));
}

TEST_F(ImageItemTest, ReplacePixmapKeepsPlaceTransformAndSettings) {
    CutoutItem* item = addCutout(QSize(40, 20), QColor(255, 255, 255));
    item->setPos(33, 44);
    item->setTransform(QTransform().rotate(30).scale(0.7, 0.7));
    item->tintStrength = 0.5f;
    item->refreshPixmap();
    QPixmap next(10, 10);
    next.fill(Qt::white);
    item->replacePixmap(next, item->savedState());
    EXPECT_EQ(item->pos(), QPointF(33, 44));
    EXPECT_EQ(item->transform(), QTransform().rotate(30).scale(0.7, 0.7));
    EXPECT_EQ(item->localRect(), QRectF(0, 0, 10, 10));
    EXPECT_EQ(item->pixmap().toImage().pixelColor(5, 5), QColor(254, 190, 127)) << "tint kept";
}

TEST_F(ImageItemTest, ACloneHasItsOwnSavedStateAndFile) {
    CutoutItem* item = addCutout(QSize(40, 20), Qt::red);
    item->tintStrength = 0.25f;
    item->setItemOpacity(0.6);
    auto* copy = static_cast<CutoutItem*>(item->cloneAndSelect());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->savedState(), nullptr);
    EXPECT_NE(copy->savedState(), item->savedState());
    EXPECT_EQ(copy->savedState()->item, static_cast<void*>(static_cast<FrolixItem*>(copy)));
    EXPECT_NE(copy->savedState()->fileName(), item->savedState()->fileName());
    EXPECT_TRUE(QFileInfo::exists(copy->savedState()->fileName()));
    EXPECT_EQ(copy->pos(), item->pos() + itemCascadeOffset);
    EXPECT_FLOAT_EQ(copy->tintStrength, 0.25f);
    EXPECT_DOUBLE_EQ(copy->itemOpacity(), 0.6);
    EXPECT_GT(copy->zValue(), item->zValue());
    EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{copy}));
    const QString copyFile = copy->savedState()->fileName();
    delete copy;
    EXPECT_FALSE(QFileInfo::exists(copyFile));
    EXPECT_TRUE(QFileInfo::exists(item->savedState()->fileName()));
}

TEST_F(ImageItemTest, NothingIsMadeWithoutAPicture) {
    ItemController* controller = ItemController::instance();
    EXPECT_EQ(controller->createCutoutItem(nullptr), nullptr);
    EXPECT_EQ(controller->addCutoutItem(QPixmap(), nullptr), nullptr);
    EXPECT_TRUE(liveItems.isEmpty());
}

TEST_F(ImageItemTest, AnOpenedPictureBecomesACutoutOwningItsImage) {
    ItemController* controller = ItemController::instance();
    TqSourceImage empty{NamedImage(QImage(), QUrl(QStringLiteral("file:///none.png")))};
    EXPECT_EQ(controller->createCutoutItem(&empty), nullptr) << "not taken over";
    EXPECT_TRUE(liveItems.isEmpty());

    QImage picture(30, 20, QImage::Format_ARGB32);
    picture.fill(QColor(10, 20, 30));
    auto* image = new TqSourceImage(NamedImage(picture, QUrl(QStringLiteral("file:///a.png"))));
    auto* item = dynamic_cast<CutoutItem*>(controller->createCutoutItem(image));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->savedState(), nullptr);
    EXPECT_EQ(item->savedState()->image(), image);
    EXPECT_EQ(item->savedState()->item, static_cast<void*>(static_cast<FrolixItem*>(item)));
    EXPECT_EQ(item->localRect(), QRectF(0, 0, 30, 20));
    EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{item}));
}

TEST_F(ImageItemTest, ADestroyedStateIsNoLongerTheOneBeingEdited) {
    CutoutItem* item = addCutout(QSize(4, 4), Qt::red);
    editedCutoutState = item->savedState();
    delete item;
    EXPECT_EQ(editedCutoutState, nullptr);
}

}  // namespace
