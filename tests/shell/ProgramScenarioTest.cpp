// The real program played as a user plays it, through the test driver's script: the bench
// photo opened from the command line, keep and delete strokes painted with the mouse, the
// cut-out finished onto the composition and the pictures saved. The pictures are checked
// against the photo and its true alpha.
#include "ScenarioImages.h"
#include "ScriptedProgramTest.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <iostream>

namespace {

using zqtest::joined;

const std::string photo = ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png";

// Keep strokes across the cup, delete strokes (edge-following) over the bricks at the border.
const std::vector<std::string> markTheCup = {
    "action Restore",
    "stroke 260,200 420,200",
    "stroke 340,120 340,330",
    "stroke 250,260 430,300",
    "stroke 300,110 420,110",
    "stroke 220,300 400,340",
    "stroke 450,160 470,260",
    "action Flood Erase",
    "stroke 20,20 620,20",
    "stroke 20,460 620,460",
    "stroke 20,40 20,440",
    "stroke 620,40 620,440",
    "stroke 60,40 60,440",
    "stroke 590,40 590,440",
};

using ProgramScenarioTest = zqtest::ScriptedProgramTest;

TEST_F(ProgramScenarioTest, PaintedMarksReachTheCutoutAndBothSavedPictures) {
    const ProgramProcess::Result result = play(
        {photo}, joined({{"click cutoutRadioButton", "accept", "wait-tab 1."},
                         markTheCup,
                         {"action Finish", "wait-tab 2.", "items",
                          "save-item CutoutItem " + file("cutout.png"),
                          "save-as " + file("picture.png"), "save-as " + file("picture.jpg"),
                          "close"}}));
    ASSERT_TRUE(result.exited) << standardError_;
    EXPECT_EQ(result.exitCode, 0) << standardError_;
    EXPECT_NE(standardError_.find("close\nzqtest: done"), std::string::npos) << standardError_;
    EXPECT_EQ(standardError_.find("Sanitizer"), std::string::npos) << standardError_;
    // Saved just before closing: no question, and the saved cut-out went with its item.
    EXPECT_EQ(standardError_.find("zqtest: modal QMessageBox"), std::string::npos) << standardError_;
    EXPECT_TRUE(filesIn(tmpFolder_).empty());

    const std::vector<zqtest::ReportedItem> items = zqtest::reportedItems(standardError_);
    ASSERT_EQ(zqtest::countOf(items, "CutoutItem"), 1) << standardError_;
    const QRectF placed = zqtest::firstOf(items, "CutoutItem").rect;

    const QImage original(QString::fromStdString(photo));
    const QImage cutout(QString::fromStdString(file("cutout.png")));
    ASSERT_FALSE(cutout.isNull());
    ASSERT_TRUE(cutout.hasAlphaChannel());
    // Smaller than the photo: the bricks at the border were deleted.
    EXPECT_LT(cutout.width(), original.width());
    const QPoint offset = zqtest::offsetInPhoto(cutout, original);
    // What is kept is the photo itself.
    EXPECT_LT(zqtest::keptPixelError(cutout, original, offset), 3.0);
    const zqtest::AlphaScore score = zqtest::alphaScore(cutout, offset);
    // The cup is kept and the bricks far from it are gone.
    EXPECT_GT(score.keptWhereKeep, 0.97);
    EXPECT_GT(score.deletedWhereDelete, 0.90);
    std::cout << "cut-out: kept " << score.keptWhereKeep << " of keep, deleted "
              << score.deletedWhereDelete << " of delete; SAD over the unknown band "
              << score.sad << " over " << score.unknownPixels << " pixels (keeping all: "
              << score.sadOpaque << ")\n";

    const QImage png(QString::fromStdString(file("picture.png")));
    const QImage jpeg(QString::fromStdString(file("picture.jpg")));
    ASSERT_EQ(png.size(), QSize(400, 300));
    ASSERT_EQ(jpeg.size(), QSize(400, 300));
    // The cut-out's middle shows the cup in both; outside it, both show the canvas.
    const QPoint middle = placed.center().toPoint();
    const QColor cup = png.pixelColor(middle);
    EXPECT_EQ(cup.alpha(), 255) << cup.name(QColor::HexArgb).toStdString() << " at "
                                << middle.x() << "," << middle.y();
    EXPECT_LT(zqtest::colourDistance(cup, jpeg.pixelColor(middle)), 40);
    EXPECT_EQ(png.pixelColor(10, 10), QColor(Qt::white));
    EXPECT_LT(zqtest::colourDistance(jpeg.pixelColor(10, 10), Qt::white), 12);
}

}  // namespace
