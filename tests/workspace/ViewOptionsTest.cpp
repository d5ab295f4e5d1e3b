// The view options' edge switch: switching it off and on brings back what the user had.
#include "workspace/ViewOptions.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ViewSwitch : public ::testing::Test {
protected:
    void SetUp() override { ViewOptions::resetRememberedState(); }
    void TearDown() override { ViewOptions::resetRememberedState(); }
};

TEST_F(ViewSwitch, OffAndOnAgainRestoresTheRememberedState) {
    struct Case {
        const char* what;
        bool checkedBefore;
        bool setWhileOff;   // setShowVectorEdges(true) while switched off
    };
    const Case cases[] = {
        {"checked", true, false},
        {"unchecked", false, false},
        {"unchecked, checked while off", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ViewOptions::resetRememberedState();
        ViewOptions panel;
        EXPECT_EQ(theViewOptions, &panel);
        ASSERT_TRUE(panel.showEdgesBox);
        EXPECT_TRUE(panel.showEdgesBox->isChecked()) << "shown by default";
        EXPECT_EQ(panel.showEdgesBox->text(), QStringLiteral("Show Delete Edges"));
        panel.setShowVectorEdges(c.checkedBefore);
        panel.setShowVectorEdgesEnabled(false);
        EXPECT_FALSE(panel.showEdgesBox->isEnabled());
        EXPECT_FALSE(panel.showsVectorEdges());
        if (c.setWhileOff) {
            panel.setShowVectorEdges(true);
            EXPECT_TRUE(panel.showsVectorEdges());
        }
        // Switching off what is off changes nothing, the remembered state included.
        panel.setShowVectorEdgesEnabled(false);
        panel.setShowVectorEdgesEnabled(true);
        EXPECT_TRUE(panel.showEdgesBox->isEnabled());
        EXPECT_EQ(panel.showsVectorEdges(), c.checkedBefore);
    }
    EXPECT_EQ(theViewOptions, nullptr);
}

TEST_F(ViewSwitch, AClickAnnouncesTheNewStateTwiceAndIsNeverStored) {
    QSettings().remove(QStringLiteral("ViewOptions"));
    {
        ViewOptions panel;
        QSignalSpy modified(&panel, &ViewOptions::modified);
        QSignalSpy shown(&panel, &ViewOptions::showVectorEdges);
        panel.showEdgesBox->resize(160, 24);
        QTest::mouseClick(panel.showEdgesBox, Qt::LeftButton, Qt::NoModifier, QPoint(6, 12));
        EXPECT_EQ(modified.size(), 1);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_FALSE(shown.at(0).at(0).toBool());
        EXPECT_FALSE(panel.showsVectorEdges());
    }
    EXPECT_FALSE(QSettings().contains(QStringLiteral("ViewOptions/ShowDeleteEdges")));
    ViewOptions again;
    EXPECT_TRUE(again.showsVectorEdges());
}

} // namespace
