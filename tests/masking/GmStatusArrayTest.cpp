#include "masking/GmStatusArray.h"
#include "masking/PixelState.h"
#include "tests/masking/EngineTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <vector>

namespace {

// An engine-style status buffer whose rows are `stride` bytes apart.
struct StatusBuffer {
    StatusBuffer(int width, int height, int stride, const std::vector<JxPixelStatus>& pixels)
        : bytes(std::size_t(stride) * height, 0xEE) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bytes[std::size_t(y) * stride + x] = pixels[std::size_t(y) * width + x];
        record = JxImage{width, height, stride, JxFormatStatus, bytes.data()};
    }
    std::vector<unsigned char> bytes;
    JxImage record;
};

bool nearlyEqual(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 &&
           std::abs(qBlue(a) - qBlue(b)) <= 1 && std::abs(qAlpha(a) - qAlpha(b)) <= 1;
}

TEST(GmStatusArray, OverlayColourKeepsHueAndValueAndFadesSaturationAndAlpha) {
    // Red at opacity 0.5: saturation sqrt(0.5), so green and blue are 255 x (1 - 0.7071).
    EXPECT_TRUE(nearlyEqual(GmStatusArray::overlayColour(Qt::red, 0.0, 0.5), qRgba(255, 75, 75, 128)));
    // The highlight's floor of 0.85 keeps it nearly opaque at any opacity.
    const QRgb highlight = GmStatusArray::overlayColour(Qt::blue, 0.85, 0.0);
    EXPECT_EQ(qAlpha(highlight), 217);
    EXPECT_EQ(GmStatusArray::overlayOpacity(), 0.5);
}

TEST(GmStatusArray, StatusImageFollowsTheEngineStrideAndColoursOnlyMarks) {
    // 5 pixels a row, rows 7 bytes apart: QImage's default alignment would read wrong bytes.
    StatusBuffer buffer(5, 2, 7, {1, 2, 4, 8, 0x14, 0x24, 0x22, 0, 2, 2});
    GmStatusArray status;
    status.setStatusImage(&buffer.record);
    const QImage& image = status.statusImage();
    ASSERT_EQ(image.size(), QSize(5, 2));
    EXPECT_EQ(image.constBits(), buffer.bytes.data());   // laid over the buffer, not copied
    EXPECT_EQ(image.pixelIndex(4, 0), 0x14);
    EXPECT_EQ(image.pixelIndex(0, 1), 0x24);
    const QRgb deleteColour = GmStatusArray::overlayColour(Qt::red, 0, 0.5);
    const QRgb protectColour = GmStatusArray::overlayColour(Qt::white, 0, 0.5);
    EXPECT_EQ(image.pixel(0, 0), 0u);   // unassigned: transparent
    EXPECT_EQ(image.pixel(1, 0), 0u);   // keep: transparent
    EXPECT_EQ(image.pixel(2, 0), deleteColour);
    EXPECT_EQ(image.pixel(3, 0), GmStatusArray::overlayColour(Qt::blue, 0, 0.5));
    EXPECT_EQ(image.pixel(4, 0), deleteColour);   // forced edge over delete shows delete
    EXPECT_EQ(image.pixel(0, 1), protectColour);
    EXPECT_EQ(image.pixel(1, 1), protectColour);
    EXPECT_EQ(image.pixel(2, 1), GmStatusArray::overlayColour(Qt::white, 0, 0.5));   // 0
    EXPECT_EQ(status.highlightMask().size(), QSize(5, 2));
    EXPECT_EQ(status.snapshot().pixelIndex(4, 0), 0x14);
}

TEST(GmStatusArray, RescanStopsOnceEveryClassIsSeen) {
    struct Row { const char* label; std::vector<JxPixelStatus> pixels; JxPixelStatus present; };
    const Row rows[] = {
        {"keep only", {2, 2, 2, 2, 0, 0}, 2},
        {"flags count", {2, 0x22, 0, 0x14, 2, 2}, 0x36},
        {"stops early", {1, 2, 4, 8, 0x10, 0x20}, 15},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        StatusBuffer buffer(3, 2, 3, row.pixels);
        GmStatusArray status;
        QSignalSpy changed(&status, &GmStatusArray::statusChanged);
        QSignalSpy present(&status, &GmStatusArray::statusesPresentChanged);
        status.setStatusImage(&buffer.record);
        EXPECT_EQ(status.statusesPresent(), row.present);
        EXPECT_EQ(changed.count(), 1);
        ASSERT_EQ(present.count(), 1);
        status.rescan();   // nothing new: no second announcement
        EXPECT_EQ(present.count(), 1);
        EXPECT_EQ(changed.count(), 2);
    }
}

TEST(GmStatusArray, DetachingEmptiesTheImagesAndTheSet) {
    StatusBuffer buffer(2, 2, 2, {2, 4, 2, 2});
    GmStatusArray status;
    status.setStatusImage(&buffer.record);
    QSignalSpy present(&status, &GmStatusArray::statusesPresentChanged);
    status.setStatusImage(nullptr);
    EXPECT_TRUE(status.statusImage().isNull());
    EXPECT_TRUE(status.highlightMask().isNull());
    EXPECT_EQ(status.engineImage(), nullptr);
    ASSERT_EQ(present.count(), 1);
    EXPECT_EQ(present.at(0).at(0).value<JxPixelStatus>(), 0);
    // A record whose stride cannot hold its rows is not laid over anything.
    JxImage broken{4, 4, 2, JxFormatStatus, buffer.bytes.data()};
    status.setStatusImage(&broken);
    EXPECT_TRUE(status.statusImage().isNull());
}

QImage* maskAt(int x, int y, const std::vector<std::vector<uchar>>& rows) {
    auto* mask = new QImage(int(rows[0].size()), int(rows.size()), QImage::Format_Indexed8);
    mask->setColorCount(256);
    for (int r = 0; r < mask->height(); ++r)
        for (int c = 0; c < mask->width(); ++c)
            mask->setPixel(c, r, rows[r][c]);
    mask->setOffset(QPoint(x, y));
    return mask;
}

QImage statusImage(int width, int height, uchar fill) {
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorCount(256);
    image.fill(fill);
    return image;
}

TEST(PixelState, IteratorVisitsSetPixelsRowByRowInWorkingCoordinates) {
    PixelState state;
    state.takeMask(maskAt(10, 20, {{0, 1, 0}, {0, 0, 0}, {1, 0, 1}}));
    EXPECT_GE(state.mask()->colorCount(), 9);
    std::vector<QPoint> visited;
    for (MaskPixelIterator* it = state.iterator(); !it->atEnd(); it->advance())
        visited.push_back(it->position());
    EXPECT_EQ(visited, (std::vector<QPoint>{{11, 20}, {10, 22}, {12, 22}}));
    state.takeMask(maskAt(0, 0, {{0, 0}}));
    EXPECT_TRUE(state.iterator()->atEnd());
}

TEST(PixelState, SavedStatusesTellWhetherAPreviewIsStillCurrent) {
    PixelState state;
    QImage status = statusImage(4, 4, 2);
    status.setPixel(2, 1, 0x24);   // delete, protected
    EXPECT_TRUE(state.differsFromStatus(status));   // nothing saved yet
    state.takeMask(maskAt(1, 1, {{1, 1}, {0, 1}}));
    state.saveStatuses(status);
    EXPECT_TRUE(state.saved);
    EXPECT_EQ(state.mask()->pixelIndex(1, 0), 4);   // the class, flags dropped
    EXPECT_EQ(state.mask()->pixelIndex(0, 0), 2);
    EXPECT_EQ(state.mask()->pixelIndex(0, 1), 0);   // unset pixels stay unset
    EXPECT_FALSE(state.differsFromStatus(status));
    status.setPixel(2, 2, 8);
    EXPECT_TRUE(state.differsFromStatus(status));
    status.setPixel(2, 2, 2);
    status.setPixel(1, 2, 8);   // under an unset mask pixel: no difference
    EXPECT_FALSE(state.differsFromStatus(status));
}

TEST(PixelState, SavingWithoutAMaskOnlyLogs) {
    zqtest::WarningCollector warnings;
    PixelState state;
    state.saveStatuses(statusImage(2, 2, 2));
    EXPECT_FALSE(state.saved);
    EXPECT_TRUE(warnings.contains("Caught (and avoided) crash in PixelState::savemask (bug 1196)"));
}

TEST(PixelState, TakeOverlapCopiesTheOtherIndexWhereBothAreSet) {
    PixelState mine, other;
    mine.takeMask(maskAt(0, 0, {{1, 1, 1}, {1, 0, 1}}));
    other.takeMask(maskAt(1, 1, {{5, 6}, {7, 7}}));
    mine.takeOverlap(other);
    EXPECT_EQ(mine.mask()->pixelIndex(0, 0), 1);
    EXPECT_EQ(mine.mask()->pixelIndex(1, 1), 0);   // unset here: stays unset
    EXPECT_EQ(mine.mask()->pixelIndex(2, 1), 6);
}

}  // namespace
