#include "workspace/Slider.h"

#include <QBoxLayout>
#include <QPixmap>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QToolButton* buttonAt(Slider& slider, int index) {
    return qobject_cast<QToolButton*>(slider.layout->itemAt(index)->widget());
}

TEST(Slider, NudgeButtonsStepTheSliderUntilSomeoneListens) {
    Slider slider;
    slider.slider->setRange(-25, 25);
    slider.slider->setSingleStep(1);
    QPixmap icon(8, 8);
    slider.setNudgeIcons(icon, icon);
    ASSERT_EQ(slider.layout->count(), 3);
    QToolButton* down = buttonAt(slider, 0);
    QToolButton* up = buttonAt(slider, 2);
    ASSERT_NE(down, nullptr);
    ASSERT_NE(up, nullptr);

    up->click();
    up->click();
    down->click();
    EXPECT_EQ(slider.slider->value(), 1);

    int upRequests = 0;
    int downRequests = 0;
    QObject::connect(&slider, &Slider::requestNudgeUp, [&] { ++upRequests; });
    QObject::connect(&slider, &Slider::requestNudgeDown, [&] { ++downRequests; });
    up->click();
    down->click();
    down->click();
    EXPECT_EQ(slider.slider->value(), 1) << "listened to: the buttons only ask";
    EXPECT_EQ(upRequests, 1);
    EXPECT_EQ(downRequests, 2);
}

TEST(Slider, ToolTipsGoToTheirOwnItems) {
    Slider slider;
    QPixmap icon(8, 8);
    slider.setNudgeIcons(icon, icon);
    slider.setToolTips("slide", "less", "more");
    EXPECT_EQ(buttonAt(slider, 0)->toolTip(), QStringLiteral("less"));
    EXPECT_EQ(slider.slider->toolTip(), QStringLiteral("slide"));
    EXPECT_EQ(buttonAt(slider, 2)->toolTip(), QStringLiteral("more"));
    EXPECT_TRUE(buttonAt(slider, 0)->autoRepeat());
    EXPECT_TRUE(buttonAt(slider, 2)->autoRaise());
}

} // namespace
