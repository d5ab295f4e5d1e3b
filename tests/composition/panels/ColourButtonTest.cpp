#include "ModalDialogCloser.h"
#include "composition/panels/ColourButton.h"

#include <QColorDialog>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QColor swatchCentre(ColourButton& button) {
    QImage image(button.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(ColourButton, SettingAColourEmitsEvenWhenItIsUnchanged) {
    ColourButton button;
    EXPECT_FALSE(button.colour().isValid()) << "no colour until one is set";
    QSignalSpy changes(&button, &ColourButton::colorChanged);
    button.setColor(Qt::red);
    button.setColor(Qt::red);
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.at(1).at(0).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(button.colour(), QColor(Qt::red));
}

TEST(ColourButton, ShowingAColourRepaintsWithoutEmitting) {
    ColourButton button;
    button.resize(60, 30);
    QSignalSpy changes(&button, &ColourButton::colorChanged);
    button.showColour(QColor(0, 0, 255));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(swatchCentre(button), QColor(0, 0, 255));
}

TEST(ColourButton, ATranslucentColourIsPaintedWithItsTransparency) {
    ColourButton button;
    button.resize(60, 30);
    button.showColour(QColor(255, 0, 0, 128));
    const QColor centre = swatchCentre(button);
    // Half red over the button's own face: red stays high, green and blue come from the face.
    EXPECT_GT(centre.red(), 200);
    EXPECT_GT(centre.green(), 40);
    EXPECT_LT(centre.green(), 215);
}

struct DialogCase {
    const char* name;
    int result;
    bool expectChange;
};

class ColourDialog : public ::testing::TestWithParam<DialogCase> {};

TEST_P(ColourDialog, AClickAsksForAColourWithoutAlpha) {
    const DialogCase& c = GetParam();
    ColourButton button;
    button.resize(60, 30);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    button.setColor(QColor(10, 20, 30));
    QSignalSpy changes(&button, &ColourButton::colorChanged);

    bool offeredAlpha = true;
    QColor initial;
    ModalDialogCloser closer(
        [&](QDialog* dialog) {
            auto* colours = qobject_cast<QColorDialog*>(dialog);
            ASSERT_NE(colours, nullptr);
            offeredAlpha = colours->testOption(QColorDialog::ShowAlphaChannel);
            initial = colours->currentColor();
            colours->setCurrentColor(QColor(200, 100, 50));
        },
        c.result);
    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(closer.closed(), 1);
    EXPECT_FALSE(offeredAlpha);
    EXPECT_EQ(initial, QColor(10, 20, 30)) << "the dialog starts on the current colour";
    if (c.expectChange) {
        ASSERT_EQ(changes.count(), 1);
        EXPECT_EQ(button.colour(), QColor(200, 100, 50));
    } else {
        EXPECT_EQ(changes.count(), 0) << "a cancelled dialog emits nothing";
        EXPECT_EQ(button.colour(), QColor(10, 20, 30));
    }
}

INSTANTIATE_TEST_SUITE_P(ColourButton, ColourDialog,
                         ::testing::Values(DialogCase{"accepted", QDialog::Accepted, true},
                                           DialogCase{"cancelled", QDialog::Rejected, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
