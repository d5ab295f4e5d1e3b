// The blending options against the real masking model: what a record shows and becomes, what
// the two controls write into the image-wide record, and what comes back at the next start.
#include "tests/masking/SavedTargets.h"

#include "masking/GmModel.h"
#include "masking/BlendingStuff.h"
#include "workspace/CommonBlendOptsWidget.h"
#include "workspace/EdgeBlendingTool.h"
#include "workspace/ToolOptions.h"

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

class BlendOptions : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        model = GmModel::instance();
        record().autoBlueWidthF_ = 0.75f;
        record().blendRatioF_ = 0.2f;
    }
    void TearDown() override {
        QSettings().clear();
        delete model;
    }
    static void setPreference(bool on) {
        QSettings().setValue(QStringLiteral("Preferences/PersistOptions"), on);
    }
    BlendingOptions& record() { return model->imageBlendage()->options; }

    GmModel* model = nullptr;
};

TEST_F(BlendOptions, ARecordSnapsToTheNearestChoicesAndIsWrittenBack) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        float width, ratio;
        int index;          // shown in the width box
        float storedWidth;
        int position;       // of the slider
        float storedRatio;
        const char* label;
    };
    const Case cases[] = {
        {"record defaults", 0.75f, 0.2f, 2, 0.75f, 6, 0.25f, "1:3"},
        {"0.3 is nearer Thin", 0.3f, 1.0f, 1, 0.15f, 0, 1.0f, "5:0"},
        {"a tie takes the lower choice", 0.075f, 0.0f, 0, 0.0f, 8, 0.0f, "0:5"},
        {"thick and half", 1.5f, 0.5f, 3, 1.5f, 4, 0.5f, "1:1"},
        // Damaged sessions: no crash, the controls and the record agree afterwards.
        {"ratio 2 and an infinite width", inf, 2.0f, 2, 0.75f, 0, 1.0f, "5:0"},
        {"ratio -1 and a width past Thick", 40.0f, -1.0f, 3, 1.5f, 8, 0.0f, "0:5"},
        {"a width too large for single precision distances", 1e30f, 0.2f, 0, 0.0f, 6, 0.25f,
         "1:3"},
        {"NaN ratio and NaN width", nan, nan, 2, 0.75f, 6, 0.25f, "1:3"},
    };
    CommonBlendOptsWidget options(true);
    QSignalSpy announced(model, &GmModel::imageBlendRatioChanged);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        record().autoBlueWidthF_ = c.width;
        record().blendRatioF_ = c.ratio;
        options.loadOptions(&record());
        EXPECT_EQ(options.widthBox->currentIndex(), c.index);
        EXPECT_EQ(record().autoBlueWidthF_, c.storedWidth);
        EXPECT_EQ(options.ratioSlider->value(), c.position);
        EXPECT_EQ(record().blendRatioF_, c.storedRatio);
        EXPECT_EQ(options.ratioTitle->text(),
                  QStringLiteral("Intelligent Blending:    ") + QLatin1String(c.label));
        ASSERT_FALSE(announced.isEmpty());
        EXPECT_EQ(announced.takeLast().at(0).toFloat(), c.storedRatio);
    }
}

TEST_F(BlendOptions, DamagedSessionRecordsLeaveTheControlsAndTheRecordAgreeing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    CommonBlendOptsWidget options(true);
    for (const double ratio : {2.0, -1.0, nan}) {
        SCOPED_TRACE(ratio);
        QVariantMap stored;
        stored.insert(QStringLiteral("autoBlueWidthF_"), inf);
        stored.insert(QStringLiteral("blendRatioF_"), ratio);
        record() = BlendingStuff(QVariantMap{{QStringLiteral("bos_"), stored}}, nullptr).options;
        // What every new image does.
        options.imageChangedSlot();
        const int index = options.widthBox->currentIndex();
        ASSERT_GE(index, 0);
        EXPECT_EQ(record().autoBlueWidthF_, options.widths.at(index));
        EXPECT_EQ(record().blendRatioF_, 1.0f - options.ratioSlider->value() / 8.0f);
        EXPECT_TRUE(options.ratioTitle->text().endsWith(
            options.ratioLabels.at(options.ratioSlider->value())));
    }
}

TEST_F(BlendOptions, ARegionsRecordIsWrittenBackIntoItselfOnly) {
    savetest::SavedRectRegion region(QRectF(0, 0, 10, 10));
    region.blendage().options.autoBlueWidthF_ = 0.3f;
    region.blendage().options.blendRatioF_ = 0.45f;
    CommonBlendOptsWidget options(true);
    QSignalSpy announced(model, &GmModel::imageBlendRatioChanged);
    options.loadOptions(&region.blendage().options);
    EXPECT_EQ(region.blendage().options.autoBlueWidthF_, 0.15f);
    EXPECT_EQ(region.blendage().options.blendRatioF_, 0.5f);
    EXPECT_EQ(options.ratioSlider->value(), 4);
    EXPECT_EQ(record().blendRatioF_, 0.25f) << "the image-wide ratio took the region's";
    EXPECT_TRUE(announced.isEmpty());
}

TEST_F(BlendOptions, StartingWithThePreferenceTakesTheStoredChoices) {
    struct Case {
        const char* what;
        const char* storedWidth;   // null: nothing stored
        int storedPosition;        // -1: nothing stored
        int index;
        float width;
        int position;
        float ratio;
    };
    const Case cases[] = {
        // Nothing stored: the controls' own defaults, not the record's, become the values.
        {"nothing stored", nullptr, -1, 1, 0.15f, 0, 1.0f},
        {"stored Thick and 3", "Thick", 3, 3, 1.5f, 3, 0.625f},
        {"a width text of another language", "Mittel", 2, 0, 0.0f, 2, 0.75f},
        {"a position out of range", "Medium", 40, 2, 0.75f, 8, 0.0f},
    };
    setPreference(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSettings settings;
        settings.remove(QStringLiteral("BlendingOptions"));
        if (c.storedWidth)
            settings.setValue(QStringLiteral("BlendingOptions/BlendWidth"), c.storedWidth);
        if (c.storedPosition >= 0)
            settings.setValue(QStringLiteral("BlendingOptions/IntelligentBlending"),
                              c.storedPosition);
        settings.sync();
        CommonBlendOptsWidget options(true);
        EXPECT_EQ(options.widthBox->currentIndex(), c.index);
        EXPECT_EQ(options.widthBox->count(), 4);
        EXPECT_EQ(record().autoBlueWidthF_, c.width);
        EXPECT_EQ(options.ratioSlider->value(), c.position);
        EXPECT_EQ(record().blendRatioF_, c.ratio);
    }
}

TEST_F(BlendOptions, ChoicesComeBackAtTheNextStartOnlyWithThePreference) {
    for (const bool preference : {true, false}) {
        SCOPED_TRACE(preference ? "preference on" : "preference off");
        QSettings().clear();
        setPreference(preference);
        {
            CommonBlendOptsWidget options(true);
            options.widthBox->setCurrentIndex(3);
            options.autoBlueWidthChangedSlot(3);
            options.ratioSlider->setValue(2);
            EXPECT_EQ(record().autoBlueWidthF_, 1.5f);
            EXPECT_EQ(record().blendRatioF_, 0.75f);
        }
        record().autoBlueWidthF_ = 0.75f;
        record().blendRatioF_ = 0.2f;
        CommonBlendOptsWidget again(true);
        if (preference) {
            EXPECT_EQ(again.widthBox->currentText(), QStringLiteral("Thick"));
            EXPECT_EQ(again.ratioSlider->value(), 2);
            EXPECT_EQ(record().autoBlueWidthF_, 1.5f);
            EXPECT_EQ(record().blendRatioF_, 0.75f);
        } else {
            EXPECT_FALSE(QSettings().contains(QStringLiteral("BlendingOptions/BlendWidth")));
            EXPECT_EQ(again.widthBox->currentText(), QStringLiteral("Medium"));
            EXPECT_EQ(record().blendRatioF_, 0.25f);
        }
    }
}

TEST_F(BlendOptions, TheToolSetsTheWidthPerBrushAndEdgeSmoothingTheRatio) {
    ToolOptions area;
    EdgeBlendingTool tool(nullptr, nullptr, nullptr, &area);
    CommonBlendOptsWidget& options = *tool.blendOptions;
    const int shownIndex = options.widthBox->currentIndex();
    const int position = options.ratioSlider->value();

    // The main window asks Medium for Flood Erase and Thin for the other tools; the box keeps
    // showing the user's choice.
    emit tool.setAutoBlueWidthToChoiceSignal(CommonBlendOptsWidget::Medium);
    EXPECT_EQ(record().autoBlueWidthF_, 0.75f);
    emit tool.setAutoBlueWidthToChoiceSignal(CommonBlendOptsWidget::Thin);
    EXPECT_EQ(record().autoBlueWidthF_, 0.15f);
    for (const int outside : {-1, 4, 99}) {
        emit tool.setAutoBlueWidthToChoiceSignal(CommonBlendOptsWidget::BlendWidths(outside));
        options.autoBlueWidthChangedSlot(outside);
        EXPECT_EQ(record().autoBlueWidthF_, 0.15f) << outside;
    }
    EXPECT_EQ(options.widthBox->currentIndex(), shownIndex);

    QSignalSpy announced(model, &GmModel::imageBlendRatioChanged);
    emit tool.setBinaryBlendRatioSignal(true);
    EXPECT_EQ(record().blendRatioF_, 1.0f);
    EXPECT_EQ(options.ratioTitle->text(), QStringLiteral("Intelligent Blending:    5:0"));
    emit tool.setBinaryBlendRatioSignal(false);
    EXPECT_EQ(record().blendRatioF_, 0.0f);
    EXPECT_EQ(options.ratioTitle->text(), QStringLiteral("Intelligent Blending:    0:5"));
    EXPECT_EQ(options.ratioSlider->value(), position);
    EXPECT_EQ(announced.size(), 2);
    // A later slider move overrides the toggle.
    options.ratioSlider->setValue(position == 5 ? 4 : 5);
    EXPECT_EQ(record().blendRatioF_, 1.0f - options.ratioSlider->value() / 8.0f);

    // The panel shows both rows; it is a page of the tool options.
    QWidget* panel = tool.optionsWidget();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isAncestorOf(options.widthBox));
    EXPECT_TRUE(panel->isAncestorOf(options.ratioSlider));
    EXPECT_TRUE(tool.action()->shortcut().isEmpty());
}

} // namespace
