// The real program played as a user plays it, through the test driver's script: the bench
// photo opened from the command line, keep and delete strokes painted with the mouse, the
// cut-out finished onto the composition and the pictures saved. The pictures are checked
// against the photo and its true alpha.
#include "HostMemoryFile.h"
#include "ScenarioImages.h"
#include "ScriptedProgramTest.h"
#include "XvfbDisplay.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
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

class ProgramScenarioTest : public zqtest::ScriptedProgramTest {
protected:
    /// The script ran to its close, which asked nothing (the picture was just saved), ended
    /// the program well and took the placed cut-outs' temporary files with it.
    void expectCleanEndAfterSaving(const ProgramProcess::Result& result) const {
        expectRanToTheEnd(result);
        EXPECT_EQ(standardError_.find("zqtest: modal QMessageBox"), std::string::npos)
            << standardError_;
        EXPECT_TRUE(filesIn(tmpFolder_).empty());
    }
};

TEST_F(ProgramScenarioTest, PaintedMarksReachTheCutoutAndBothSavedPictures) {
    const ProgramProcess::Result result = play(
        {photo}, joined({{"click cutoutRadioButton", "accept", "wait-tab 1."},
                         markTheCup,
                         // A slip across the cup, painted back with Restore.
                         {"action Erase", "stroke 270,155 295,155", "action Restore",
                          "stroke 270,155 295,155",
                          "action Finish", "wait-tab 2.", "items",
                          "save-item CutoutItem " + file("cutout.png"),
                          "save-as " + file("picture.png"), "save-as " + file("picture.jpg"),
                          "close"}}));
    ASSERT_TRUE(result.exited) << standardError_;
    expectCleanEndAfterSaving(result);

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

// ---------------------------------------------------------------------------------------------
// The whole way on a real X display: photo in, marks, undo and redo, Finish, a composed picture
// out, the cut-out reopened and finished again

/// The cut-out as the composition shows it on a white canvas, scaled into `size`.
QImage onWhite(const QImage& cutout, const QSize& size) {
    QImage canvas(size, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), cutout);
    return canvas;
}

double meanColourError(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += zqtest::colourDistance(a.pixelColor(x, y), b.pixelColor(x, y));
    return sum / double(a.width() * a.height());
}

/// The share of pixels whose alpha differs by more than a tenth.
double alphaMismatch(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 1.0;
    long differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 25;
    return double(differing) / double(a.width() * a.height());
}

class ProgramOnXTest : public ProgramScenarioTest {
protected:
    void SetUp() override {
        ProgramScenarioTest::SetUp();
        ASSERT_FALSE(display_.name().empty()) << display_.problem();
        extraEnvironment_["DISPLAY"] = display_.name();
        extraEnvironment_["QT_QPA_PLATFORM"] = "xcb";
    }
    XvfbDisplay display_;
};

TEST_F(ProgramOnXTest, APhotoBecomesAComposedPictureAndItsCutoutOpensAgainAsItWas) {
    QImage backdrop(400, 300, QImage::Format_RGB32);
    {
        QPainter painter(&backdrop);
        QLinearGradient gradient(0, 0, 400, 300);
        gradient.setColorAt(0, QColor(135, 206, 235));
        gradient.setColorAt(1, QColor(46, 139, 87));
        painter.fillRect(backdrop.rect(), gradient);
    }
    ASSERT_TRUE(backdrop.save(QString::fromStdString(file("backdrop.png"))));

    const ProgramProcess::Result result = play(
        {photo},
        joined({{"click cutoutRadioButton", "accept", "wait-tab 1."},
                markTheCup,
                // A slip across the cup, taken back, brought again and taken back for good.
                {"action Erase", "stroke 270,155 295,155", "wait-idle",
                 "grab-canvas " + file("slip.png"), "action Undo", "wait-idle",
                 "grab-canvas " + file("undone.png"), "action Redo", "wait-idle",
                 "grab-canvas " + file("redone.png"), "action Undo", "wait-idle",
                 "action Finish", "wait-tab 2.", "items",
                 "save-item CutoutItem " + file("cutout.png"), "save-as " + file("alone.png"),
                 // Over a backdrop, moved and turned.
                 "action Set Up Canvas", "click setImagePushButton", "file " + file("backdrop.png"),
                 "accept", "wait-ready", "drag-item CutoutItem 40,10", "items",
                 "drag-item RotateItemHandle 60,30", "items",
                 // Opened again: one more keep dab where the cup already is, then Finish.
                 "scene-double-click CutoutItem", "wait-tab 1.", "action Restore",
                 "stroke 330,200 350,200", "action Finish", "wait-tab 2.", "items",
                 "save-item CutoutItem " + file("reopened.png"),
                 // Words.
                 "action Add Text", "type Hello", "action Add Speech Bubble", "type Hi there",
                 "items", "save-as " + file("final.png"), "save-as " + file("final.jpg"),
                 "close"}}));
    ASSERT_TRUE(result.exited) << standardError_;
    expectCleanEndAfterSaving(result);

    // The run stayed off the network.
    const std::string log = onlyLog();
    EXPECT_EQ(log.find("Update Current"), std::string::npos) << log;
    EXPECT_EQ(log.find("Error getting URL"), std::string::npos) << log;

    // Undo takes the slip off the canvas and Redo brings it back.
    const QImage slip(QString::fromStdString(file("slip.png")));
    const QImage undone(QString::fromStdString(file("undone.png")));
    const QImage redone(QString::fromStdString(file("redone.png")));
    ASSERT_FALSE(slip.isNull() || undone.isNull() || redone.isNull());
    EXPECT_NE(slip, undone) << standardError_;
    EXPECT_NE(undone, redone) << standardError_;

    // The cut-out: the cup whole (the slip was taken back), the bricks gone, and in the band
    // between them closer to the true alpha than keeping everything.
    const QImage original(QString::fromStdString(photo));
    const QImage cutout(QString::fromStdString(file("cutout.png")));
    ASSERT_FALSE(cutout.isNull());
    const QPoint offset = zqtest::offsetInPhoto(cutout, original);
    EXPECT_LT(zqtest::keptPixelError(cutout, original, offset), 3.0);
    const zqtest::AlphaScore score = zqtest::alphaScore(cutout, offset);
    EXPECT_GT(score.keptWhereKeep, 0.97);
    EXPECT_GT(score.deletedWhereDelete, 0.90);
    EXPECT_LT(score.sad, 0.8 * score.sadOpaque);
    RecordProperty("sadTimes1000", int(std::lround(score.sad * 1000)));
    std::cout << "SAD over the trimap's unknown band: " << score.sad << " (" << score.unknownPixels
              << " pixels, " << score.sad / double(score.unknownPixels)
              << " per pixel; keeping everything: " << score.sadOpaque << ")\n";

    // The first picture shows that cut-out on the white canvas, alpha and all.
    const std::vector<zqtest::ReportedItem> placed = zqtest::reportedItems(standardError_, 0);
    ASSERT_EQ(zqtest::countOf(placed, "CutoutItem"), 1) << standardError_;
    const QRect where = zqtest::firstOf(placed, "CutoutItem").rect.toAlignedRect();
    const QImage alone(QString::fromStdString(file("alone.png")));
    ASSERT_EQ(alone.size(), QSize(400, 300));
    const QRect inner = where.adjusted(2, 2, -2, -2);
    EXPECT_LT(meanColourError(alone.copy(inner),
                              onWhite(cutout, where.size()).copy(inner.translated(-where.topLeft()))),
              12.0);

    // Moved by the drag, turned by the handle; reopening and finishing keeps both.
    const std::vector<zqtest::ReportedItem> moved = zqtest::reportedItems(standardError_, 1);
    const QRectF before = zqtest::firstOf(placed, "CutoutItem").rect;
    const QRectF after = zqtest::firstOf(moved, "CutoutItem").rect;
    EXPECT_NEAR(after.center().x() - before.center().x(), 40, 2);
    EXPECT_NEAR(after.center().y() - before.center().y(), 10, 2);
    const zqtest::ReportedItem turned = zqtest::firstOf(zqtest::reportedItems(standardError_, 2), "CutoutItem");
    EXPECT_GT(std::abs(turned.rotation), 10);
    const std::vector<zqtest::ReportedItem> again = zqtest::reportedItems(standardError_, 3);
    ASSERT_EQ(zqtest::countOf(again, "CutoutItem"), 1) << standardError_;
    EXPECT_NEAR(zqtest::firstOf(again, "CutoutItem").rotation, turned.rotation, 0.5);
    EXPECT_NEAR(zqtest::firstOf(again, "CutoutItem").rect.center().x(), turned.rect.center().x(), 2);

    // The reopened cut-out had its marks: one more dab on the cup changed next to nothing.
    const QImage reopened(QString::fromStdString(file("reopened.png")));
    EXPECT_LT(alphaMismatch(reopened, cutout), 0.01);

    // The words, and the pictures: the backdrop at the corner, the JPEG readable by libjpeg's
    // own tool as well.
    const std::vector<zqtest::ReportedItem> words = zqtest::reportedItems(standardError_, 4);
    EXPECT_EQ(zqtest::countOf(words, "TextFieldItem"), 1);
    EXPECT_EQ(zqtest::countOf(words, "SpeechBubbleItem"), 1);
    EXPECT_NE(standardError_.find("TextFieldItem rect"), std::string::npos);
    EXPECT_NE(standardError_.find("text \"Hello\""), std::string::npos) << standardError_;
    EXPECT_NE(standardError_.find("text \"Hi there\""), std::string::npos) << standardError_;
    const QImage finalPng(QString::fromStdString(file("final.png")));
    const QImage finalJpeg(QString::fromStdString(file("final.jpg")));
    ASSERT_EQ(finalPng.size(), QSize(400, 300));
    ASSERT_EQ(finalJpeg.size(), QSize(400, 300));
    EXPECT_LT(zqtest::colourDistance(finalPng.pixelColor(3, 3), backdrop.pixelColor(3, 3)), 3);
    EXPECT_LT(zqtest::colourDistance(finalJpeg.pixelColor(3, 3), backdrop.pixelColor(3, 3)), 16);
    EXPECT_LT(meanColourError(finalPng, finalJpeg.convertToFormat(QImage::Format_ARGB32)), 8.0);
    const std::string djpeg = "djpeg -outfile /dev/null '" + file("final.jpg") + "'";
    EXPECT_EQ(std::system(djpeg.c_str()), 0) << djpeg;
}

// ---------------------------------------------------------------------------------------------
// A host image editor hands its picture over, the user deletes a strip, Save and Apply

struct HostCase {
    const char* name;
    int bits;
    const char* tag;
    bool bigEndian;
};

class ProgramHostScenario : public ProgramScenarioTest,
                            public ::testing::WithParamInterface<HostCase> {
protected:
    static constexpr int width = 160;
    static constexpr int height = 120;

    /// The bench photo, scaled, in the host's layout: red, green, blue, alpha per pixel, in
    /// channels of `bits`, words in the host's byte order.
    static std::vector<unsigned char> hostPicture(const HostCase& row) {
        const QImage picture = QImage(QString::fromStdString(photo))
                                   .scaled(width, height, Qt::IgnoreAspectRatio,
                                           Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_ARGB32);
        std::vector<unsigned char> bytes;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = picture.pixel(x, y);
                for (int channel : {qRed(pixel), qGreen(pixel), qBlue(pixel), 255})
                    putChannel(bytes, row, channel);
            }
        return bytes;
    }
    static void putChannel(std::vector<unsigned char>& bytes, const HostCase& row, int value) {
        if (row.bits == 8) {
            bytes.push_back(static_cast<unsigned char>(value));
            return;
        }
        // A host's 16-bit channels run from 0 to 32768.
        const unsigned word = (unsigned(value) * 32768 + 127) / 255;
        const auto high = static_cast<unsigned char>(word >> 8);
        const auto low = static_cast<unsigned char>(word & 0xFF);
        bytes.push_back(row.bigEndian ? high : low);
        bytes.push_back(row.bigEndian ? low : high);
    }
    /// Channel `channel` (0 red .. 3 alpha) of pixel (x, y), scaled to 0..255. Only the tag
    /// "little" means least significant byte first; "Little" does not.
    static double channelAt(const std::vector<unsigned char>& bytes, const HostCase& row, int x,
                            int y, int channel) {
        const std::size_t size = std::size_t(row.bits / 8);
        const std::size_t at = ((std::size_t(y) * width + std::size_t(x)) * 4 + std::size_t(channel)) * size;
        if (row.bits == 8)
            return bytes[at];
        const unsigned word = row.bigEndian ? (unsigned(bytes[at]) << 8) | bytes[at + 1]
                                            : (unsigned(bytes[at + 1]) << 8) | bytes[at];
        return word * 255.0 / 32768.0;
    }
};

TEST_P(ProgramHostScenario, AStripDeletedWithTheMouseComesBackInTheHostsLayout) {
    const HostCase& row = GetParam();
    const std::vector<unsigned char> picture = hostPicture(row);
    const std::vector<unsigned char> untouchedResult(picture.size(), 0x5A);
    HostMemoryFile input(picture);
    HostMemoryFile result(untouchedResult);
    ASSERT_TRUE(input.ready() && result.ready());
    const ProgramProcess::Result exit =
        play({"--gp", result.handle(), input.handle(), std::to_string(width),
              std::to_string(height), std::to_string(row.bits), row.tag, "host picture"},
             {"click cutoutRadioButton", "accept", "wait-tab 1.", "action Erase",
              "stroke 5,60 155,60", "action Save and Apply"});
    ASSERT_TRUE(exit.exited) << "signal " << exit.signal << "\n" << standardError_;
    EXPECT_EQ(exit.exitCode, 0) << standardError_;
    EXPECT_EQ(standardError_.find("Sanitizer"), std::string::npos) << standardError_;
    EXPECT_EQ(input.content(), picture);   // the host's own picture is never written
    const std::vector<unsigned char> written = result.content();
    ASSERT_EQ(written.size(), picture.size());
    ASSERT_NE(written, untouchedResult) << standardError_ << onlyLog();
    // On the strip: deleted. Far from it: the host's pixel as it came, opaque.
    EXPECT_EQ(channelAt(written, row, 80, 60, 3), 0);
    for (const QPoint& far : {QPoint(80, 10), QPoint(20, 110), QPoint(150, 5)}) {
        EXPECT_DOUBLE_EQ(channelAt(written, row, far.x(), far.y(), 3), 255)
            << far.x() << "," << far.y();
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(channelAt(written, row, far.x(), far.y(), channel),
                        channelAt(picture, row, far.x(), far.y(), channel), 1.0)
                << "channel " << channel << " at " << far.x() << "," << far.y();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramHostScenario,
    ::testing::Values(HostCase{"eightBits", 8, "little", false},
                      HostCase{"sixteenLittle", 16, "little", false},
                      HostCase{"sixteenBig", 16, "big", true},
                      HostCase{"sixteenCapitalLittle", 16, "Little", true}),
    [](const ::testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

}  // namespace
