// The edge-finding options against the real masking model and engine: which changes start an
// edge finding of the whole image, what Defaults does, the width across resolutions, and what
// comes back at the next start.
#include "masking/RectRegion.h"
#include "masking/SegmentationStuff.h"
#include "tests/masking/MaskingEngineFixture.h"

#include "masking/EDOs.h"
#include "workspace/EdgeDetectionOptions.h"
#include "workspace/EdgeFindingTool.h"
#include "workspace/GmTool.h"
#include "workspace/ToolOptions.h"

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

class EdgeOptions : public MaskingEngineFixture {
protected:
    void SetUp() override {
        QSettings().clear();
        MaskingEngineFixture::SetUp();
    }
    void TearDown() override {
        MaskingEngineFixture::TearDown();
        QSettings().clear();
    }
    static void setPreference(bool on) {
        QSettings().setValue(QStringLiteral("Preferences/PersistOptions"), on);
    }
    static QImage twoColours() {
        QImage image(96, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(30, 90, 200));
        for (int y = 16; y < 48; ++y)
            for (int x = 24; x < 72; ++x)
                image.setPixel(x, y, qRgb(220, 180, 40));
        return image;
    }
    EDOs& imageOptions() { return model->imageSmeg()->options(); }
};

TEST_F(EdgeOptions, EachUserChangeStartsOneEdgeFindingAndPushedValuesNone) {
    EdgeDetectionOptions options(true, true);
    QSignalSpy analyses(model, &GmModel::imageAnalysisHasBegun);
    open(twoColours());
    EXPECT_EQ(analyses.size(), 1) << "a beginning session finds the edges at once";
    EXPECT_TRUE(model->imageSmeg()->isAnalysisReady());

    options.sensitivitySlider->setValue(60);
    EXPECT_EQ(options.sensitivityLabel->text(), QStringLiteral("Number of Edges:    60 %"));
    EXPECT_EQ(analyses.size(), 2);
    EXPECT_EQ(imageOptions().sensitivity_.applied, 60);

    // The width's number box is the same control.
    options.widthRow->findChild<QSpinBox*>()->setValue(6);
    EXPECT_EQ(analyses.size(), 3);
    EXPECT_EQ(imageOptions().width_.applied, 6);

    // Values pushed into the controls start nothing.
    imageOptions().sensitivity_.value = 40;
    imageOptions().width_.value = 9;
    options.showValues(&imageOptions());
    EXPECT_EQ(options.sensitivitySlider->value(), 40);
    EXPECT_EQ(options.widthSlider->value(), 9);
    EXPECT_EQ(analyses.size(), 3);

    // Dragging through fifty values analyses once, on the release, with the last value.
    options.sensitivitySlider->setSliderDown(true);
    for (int v = 20; v < 70; ++v)
        options.sensitivitySlider->setValue(v);
    EXPECT_EQ(analyses.size(), 3);
    options.sensitivitySlider->setSliderDown(false);
    EXPECT_EQ(analyses.size(), 4);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(imageOptions().sensitivity_.applied, 69);
    EXPECT_TRUE(model->imageSmeg()->isAnalysisReady());
}

// The panel hears again of the edge finding it started once that is gone; a panel closed before
// then hears nothing, and the finding still ends as it would.
TEST_F(EdgeOptions, APanelClosedWhileItsEdgeFindingRunsIsNotCalledBack) {
    open(twoColours());
    auto* options = new EdgeDetectionOptions(true, true);
    QSignalSpy analyses(model, &GmModel::imageAnalysisHasBegun);
    options->widthSlider->setValue(options->widthSlider->value() == 7 ? 8 : 7);
    ASSERT_EQ(analyses.size(), 1);
    const int width = imageOptions().width_.applied;
    delete options;
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(imageOptions().width_.applied, width);
    EXPECT_TRUE(model->imageSmeg()->isAnalysisReady());
}

TEST_F(EdgeOptions, DefaultsIsEnabledOffTheDefaultsAndResetsAndReanalyses) {
    EdgeDetectionOptions options(true, true);
    QToolButton* defaults = options.defaultsButton();
    EXPECT_EQ(options.defaultsButton(), defaults);
    open(twoColours());
    EXPECT_FALSE(defaults->isEnabled()) << "the session starts on the engine's recommendation";
    const int recommended = imageOptions().width_.defaultValue;

    QSignalSpy analyses(model, &GmModel::imageAnalysisHasBegun);
    options.widthSlider->setValue(recommended == 32 ? 31 : recommended + 1);
    EXPECT_TRUE(defaults->isEnabled());
    // Contrast and texture count, but do not analyse.
    options.contrastHigh->click();
    EXPECT_EQ(imageOptions().contrast_.value, 2);
    EXPECT_EQ(analyses.size(), 1);

    QTest::mouseClick(defaults, Qt::LeftButton);
    EXPECT_EQ(analyses.size(), 2);
    EXPECT_EQ(options.widthSlider->value(), recommended);
    EXPECT_EQ(imageOptions().contrast_.value, imageOptions().contrast_.defaultValue);
    EXPECT_FALSE(imageOptions().anyOffDefault());
    EXPECT_FALSE(defaults->isEnabled());
    ASSERT_TRUE(waitIdle());
}

// A region that takes options of its own tells the panel so; the panel goes on showing and
// editing the image's options, its Defaults button true to them.
TEST_F(EdgeOptions, ARegionsOwnEdgeStatusIsAnnouncedAndThePanelKeepsTheImageOptions) {
    EdgeDetectionOptions options(true, true);
    QToolButton* defaults = options.defaultsButton();
    open(twoColours());
    ASSERT_TRUE(waitIdle());
    auto* region = new RectRegion(QRectF(10, 10, 40, 30));
    model->regions().append(region);
    model->setActiveRegion(region, 0);
    region->smeg().options().width_.value = 20;
    const int imageWidth = options.widthSlider->value();
    qRegisterMetaType<GmRegion*>();
    QSignalSpy own(model, &GmModel::ownSmegStatusChanged);

    region->smeg().setChecked(true);
    ASSERT_EQ(own.size(), 1);
    EXPECT_EQ(own.at(0).at(0).value<GmRegion*>(), region);
    EXPECT_EQ(options.widthSlider->value(), imageWidth);
    EXPECT_FALSE(defaults->isEnabled()) << "the image's options are still at their defaults";
    region->smeg().setChecked(true);   // no change, no news
    model->imageSmeg()->setChecked(true);   // the image's flag is no region's
    EXPECT_EQ(own.size(), 1);
    region->smeg().setChecked(false);
    EXPECT_EQ(own.size(), 2);

    options.widthSlider->setValue(imageWidth == 32 ? 31 : imageWidth + 1);
    EXPECT_EQ(imageOptions().width_.applied, options.widthSlider->value());
    EXPECT_EQ(region->smeg().options().width_.value, 20);
    EXPECT_TRUE(defaults->isEnabled());
    ASSERT_TRUE(waitIdle());
    model->setActiveRegion(nullptr, 0);
    model->regions().removeAll(region);
    delete region;
}

TEST_F(EdgeOptions, WithoutAnImageNothingIsAnalysedAndTheWidthSurvivesAResolutionRoundTrip) {
    EdgeDetectionOptions options(true, true);
    QSignalSpy analyses(model, &GmModel::imageAnalysisHasBegun);
    options.sensitivitySlider->setValue(70);
    options.widthSlider->setValue(5);
    QTest::mouseClick(options.defaultsButton(), Qt::LeftButton);
    options.widthSlider->setValue(5);
    EXPECT_EQ(analyses.size(), 0);
    EXPECT_EQ(imageOptions().width_.value, 5);
    EXPECT_EQ(imageOptions().widthInImageCoords_, 5);

    options.resolutionChangedSlot(1, 2);
    EXPECT_EQ(options.widthSlider->value(), 2);
    EXPECT_EQ(imageOptions().widthInImageCoords_, 5) << "the user's width at full resolution";
    options.resolutionChangedSlot(2, 1);
    EXPECT_EQ(options.widthSlider->value(), 5);
    EXPECT_EQ(imageOptions().width_.value, 5);
    EXPECT_EQ(analyses.size(), 0);
}

TEST_F(EdgeOptions, ValuesComeBackAtTheNextStartOnlyWithThePreference) {
    struct Case {
        const char* what;
        bool preference;
        bool changeFirst;
        int sensitivity, width, contrast;
    };
    const Case cases[] = {
        {"preference on, nothing stored", true, false, 10, 8, 1},
        {"preference on, changed before", true, true, 70, 12, 2},
        {"preference off, changed before", false, true, EDOs::defaultSensitivity,
         EDOs::defaultWidth, EDOs::defaultContrast},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSettings().clear();
        setPreference(c.preference);
        imageOptions().resetAll();
        if (c.changeFirst) {
            EdgeDetectionOptions first(true, true);
            first.sensitivitySlider->setValue(70);
            first.widthSlider->setValue(12);
            first.contrastHigh->click();
        }
        imageOptions().resetAll();
        EdgeDetectionOptions again(true, true);
        EXPECT_EQ(again.sensitivitySlider->value(), c.sensitivity);
        EXPECT_EQ(again.widthSlider->value(), c.width);
        EXPECT_EQ(imageOptions().sensitivity_.value, c.sensitivity);
        EXPECT_EQ(imageOptions().width_.value, c.width);
        EXPECT_EQ(imageOptions().contrast_.value, c.contrast);
        EXPECT_EQ(again.contrastHigh->isChecked(), c.contrast == 2);
        if (!c.preference) {
            EXPECT_FALSE(QSettings().contains(QStringLiteral("EdgeDetectionOptions/NumberofEdges")));
        }
    }
}

TEST_F(EdgeOptions, DamagedStoredOptionsShowClampedAndUnknownChoicesLeaveTheButtons) {
    EdgeDetectionOptions options(true, false);
    QVariantMap stored;
    stored.insert(QStringLiteral("sensitivity_"), QVariantList{500, 500});
    stored.insert(QStringLiteral("width_"), QVariantList{});
    stored.insert(QStringLiteral("contrast_"), QVariantList{7, 7, 7, 7});
    stored.insert(QStringLiteral("texture_"), QStringLiteral("fine"));
    EDOs damaged{QVariant(stored)};
    imageOptions().copyValues(damaged);
    options.showValues(&imageOptions());
    EXPECT_EQ(options.sensitivitySlider->value(), 100);
    EXPECT_EQ(imageOptions().sensitivity_.value, 100);
    EXPECT_EQ(options.widthSlider->value(), EDOs::defaultWidth);
    EXPECT_TRUE(options.contrastHigh->isChecked());
    EXPECT_TRUE(options.textureMedium->isChecked());

    // A value set past the reading leaves the buttons as they were.
    imageOptions().contrast_.value = 7;
    imageOptions().texture_.value = -3;
    options.showValues(&imageOptions());
    EXPECT_TRUE(options.contrastHigh->isChecked());
    EXPECT_FALSE(options.contrastMedium->isChecked());
    EXPECT_TRUE(options.textureMedium->isChecked());
}

TEST_F(EdgeOptions, TheEdgeFindingToolShowsItsPanelAsAToolOptionsPage) {
    ToolOptions area;
    NoTool noTool(&area);
    EdgeFindingTool tool(nullptr, nullptr, nullptr, &area);
    EXPECT_FALSE(tool.action()->isEnabled()) << "usable only with an image";
    open(twoColours());
    ASSERT_TRUE(tool.action()->isEnabled());
    EXPECT_TRUE(tool.action()->shortcut().isEmpty());
    EXPECT_TRUE(tool.action()->associatedWidgets().isEmpty());
    ASSERT_TRUE(tool.installSlot());
    EXPECT_EQ(theCurrentTool, &tool);
    QWidget* panel = tool.optionsWidget();
    EXPECT_EQ(area.stack()->currentWidget(), panel);
    EXPECT_TRUE(panel->isAncestorOf(tool.edgeOptions->sensitivitySlider));
    EXPECT_TRUE(panel->isAncestorOf(tool.edgeOptions->widthSlider));
    EXPECT_TRUE(panel->isAncestorOf(tool.edgeOptions->defaultsButton()));
    EXPECT_FALSE(panel->isAncestorOf(tool.edgeOptions->contrastHigh));
    noTool.installSlot();
}

} // namespace
