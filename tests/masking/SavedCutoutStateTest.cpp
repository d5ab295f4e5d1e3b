#include "masking/GmModel.h"
#include "masking/GmModelTypes.h"
#include "masking/NamedImage.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"
#include "common/StreamedTypes.h"
#include "tests/masking/SavedSessionFixture.h"
#include "tests/masking/SavedTargets.h"
#include "masking/BrushSizeValue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

TqSourceImage* picture(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qRgb(90, 120, 150));
    return new TqSourceImage(NamedImage(image, QUrl("file:///cut.png")));
}

QByteArray contentOf(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeContent(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

using SavedCutoutStateTest = savetest::SavedSessionFixture;

TEST_F(SavedCutoutStateTest, CopiesTakeTheBytesAndAPictureOfTheirOwn) {
    SavedCutoutState empty(picture(20, 10));
    empty.x = 3;
    SavedCutoutState emptyCopy(empty);
    EXPECT_EQ(emptyCopy.savedSize(), 0);
    ASSERT_NE(emptyCopy.image(), nullptr);
    EXPECT_NE(emptyCopy.image(), empty.image());
    EXPECT_EQ(emptyCopy.image()->image(), empty.image()->image());
    EXPECT_EQ(emptyCopy.x, 0);
    EXPECT_NE(emptyCopy.fileName(), empty.fileName());

    // 2500 bytes go over in blocks of 1024, 1024 and 452.
    SavedCutoutState saved;
    QByteArray bytes(2500, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31 + 7);
    writeContent(saved.fileName(), bytes);
    SavedCutoutState copy(saved);
    EXPECT_EQ(copy.savedSize(), 2500);
    EXPECT_EQ(contentOf(copy.fileName()), bytes);
    EXPECT_EQ(copy.image(), nullptr);
}

TEST_F(SavedCutoutStateTest, SaveWritesTheSessionAndRestoreBringsItBack) {
    ASSERT_TRUE(model->setImage(GmSession::KeepSettings, 1, picture(40, 30)));
    model->regions().append(new savetest::SavedRectRegion(QRectF(2, 3, 10, 8)));
    SavedCutoutState state(picture(40, 30));
    ASSERT_TRUE(state.save());
    EXPECT_EQ(state.image(), nullptr);
    EXPECT_GT(state.savedSize(), 10);

    model->closeImage();
    ASSERT_EQ(model->sourceImage(), nullptr);
    ASSERT_TRUE(state.restore());
    ASSERT_NE(model->sourceImage(), nullptr);
    EXPECT_EQ(model->sourceImage()->width(), 40);
    EXPECT_EQ(model->regions().size(), 1);
}

TEST_F(SavedCutoutStateTest, RestoreOfAPictureOnlyOpensACopyAndOfNothingFails) {
    SavedCutoutState nothing;
    EXPECT_FALSE(nothing.restore());
    EXPECT_EQ(model->sourceImage(), nullptr);

    SavedCutoutState pictureOnly(picture(24, 12));
    ASSERT_TRUE(pictureOnly.restore());
    ASSERT_NE(model->sourceImage(), nullptr);
    EXPECT_NE(model->sourceImage(), pictureOnly.image());
    EXPECT_EQ(model->sourceImage()->image(), pictureOnly.image()->image());
}

TEST_F(SavedCutoutStateTest, AFailedSaveKeepsTheEarlierBytesAndThePicture) {
    ASSERT_TRUE(model->setImage(GmSession::KeepSettings, 1, picture(40, 30)));
    SavedCutoutState state(picture(40, 30));
    const QByteArray earlier("an earlier session");
    writeContent(state.fileName(), earlier);

    // A file size limit stands in for a full device: writes past it fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = state.save();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);

    EXPECT_FALSE(saved);
    EXPECT_EQ(contentOf(state.fileName()), earlier);
    EXPECT_NE(state.image(), nullptr);
}

}  // namespace
