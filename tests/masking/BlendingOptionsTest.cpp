#include "masking/BlendingOptions.h"
#include "masking/BlendingStuff.h"

#include <QVariantMap>

#include <gtest/gtest.h>

#include <limits>

namespace {

void expectSame(const BlendingOptions& a, const BlendingOptions& b) {
    EXPECT_EQ(a.toVariant(), b.toVariant());
}

TEST(BlendingOptions, DefaultRecordRoundTripsExactly) {
    const BlendingOptions defaults;
    const BlendingOptions read(defaults.toVariant());
    expectSame(read, defaults);
    EXPECT_EQ(read.autoBlueWidthF_, 0.75f);
    EXPECT_EQ(read.blendRatioF_, 0.2f);   // stored as a float, so exact
    EXPECT_EQ(read.feather_, 5);
    EXPECT_EQ(read.fgOverride_, QColor(Qt::white));
    EXPECT_EQ(read.bgOverride_, QColor(Qt::black));
}

TEST(BlendingOptions, ChangedRecordRoundTripsExactly) {
    BlendingOptions options;
    options.autoBlueWidthF_ = 1.5f;
    options.blendRatioF_ = 0.375f;
    options.isPatchBlendRatioTrackingImage_ = true;
    options.feather_ = -2;
    options.isChoices_ = true;
    options.choices1F_ = 0.1f;
    options.choices2F_ = 0.9f;
    options.isMembrane_ = true;
    options.membrane1F_ = 0.3f;
    options.isUniformBg_ = true;
    options.fgChecked_ = true;
    options.fgOverride_ = QColor(10, 20, 30);
    options.bgChecked_ = true;
    options.bgOverride_ = QColor(200, 100, 50);
    const BlendingOptions read(options.toVariant());
    expectSame(read, options);
    EXPECT_EQ(read.bgOverride_, QColor(200, 100, 50));
    EXPECT_EQ(read.toVariant().toMap().size(), 14);
}

TEST(BlendingOptions, MissingKeysReadAsZeroOrAsTheRecordDefaults) {
    const BlendingStuff empty(QVariantMap{{"bos_", QVariantMap{}}}, nullptr);
    const BlendingOptions& o = empty.options;
    EXPECT_EQ(o.autoBlueWidthF_, 0.0f);
    EXPECT_EQ(o.blendRatioF_, 0.0f);
    EXPECT_EQ(o.feather_, 0);
    EXPECT_FALSE(o.isPatchBlendRatioTrackingImage_ || o.isChoices_ || o.isMembrane_ ||
                 o.isUniformBg_ || o.fgChecked_ || o.bgChecked_);
    EXPECT_EQ(o.choices1F_, 0.5f);
    EXPECT_EQ(o.choices2F_, 0.5f);
    EXPECT_EQ(o.membrane1F_, 0.5f);
    // Colours without a map keep the record's own, usable colours.
    EXPECT_EQ(o.fgOverride_, QColor(Qt::white));
    EXPECT_EQ(o.bgOverride_, QColor(Qt::black));

    const BlendingStuff noKey(QVariantMap{}, nullptr);
    expectSame(noKey.options, o);
}

TEST(BlendingOptions, ForeignAndDamagedValuesAreNarrowedAndKeptInRange) {
    struct Row { const char* label; QVariant width, ratio; float expectedWidth, expectedRatio; };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {"double ratio", 0.5, 0.1, 0.5f, float(0.1)},
        {"too large", 9.0, 3.0, 1.5f, 1.0f},
        {"negative", -1.0, -0.5, 0.0f, 0.0f},
        {"not finite", nan, nan, 0.75f, 0.2f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const BlendingOptions read(QVariantMap{{"autoBlueWidthF_", row.width}, {"blendRatioF_", row.ratio}});
        EXPECT_EQ(read.autoBlueWidthF_, row.expectedWidth);
        EXPECT_EQ(read.blendRatioF_, row.expectedRatio);
    }
}

TEST(BlendingStuff, HolderMapRoundTripsAndRecordsCopyAsValues) {
    BlendingStuff holder;
    holder.options.fgChecked_ = true;
    holder.options.fgOverride_ = Qt::green;
    const QVariant saved = holder.toVariant();
    EXPECT_EQ(saved.toMap().keys(), QStringList{"bos_"});
    const BlendingStuff read(saved, nullptr);
    expectSame(read.options, holder.options);
    BlendingOptions copy = read.options;   // the mask generation takes such a copy
    copy.fgOverride_ = Qt::red;
    EXPECT_EQ(read.options.fgOverride_, QColor(Qt::green));
}

}  // namespace
