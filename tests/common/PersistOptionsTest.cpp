#include "common/PersistOptions.h"

#include "ScratchSettingsTest.h"
#include "common/GmColor.h"

#include <QSettings>

#include <gtest/gtest.h>

using PersistOptionsTest = ScratchSettingsTest;

TEST_F(PersistOptionsTest, FreshMachineHasTheDefaults) {
    struct Expected {
        PersistOptions::ColorIndex index;
        const char* key;
        QColor colour;
    };
    const Expected expected[] = {
        {PersistOptions::KeepMask, "Keep Mask", Qt::green},
        {PersistOptions::DeleteMask, "Delete Mask", Qt::red},
        {PersistOptions::BlendMask, "Blend Mask", Qt::blue},
        {PersistOptions::PatchProtection, "Patch Protection", Qt::white},
        {PersistOptions::PatchOrForcedEdge, "Patch or Forced Edge", Qt::darkYellow},
        {PersistOptions::ActivePatchOrForcedEdge, "Active Patch or Forced Edge", Qt::yellow},
        {PersistOptions::ColorWorkspaceHighlight, "Color Workspace Highlight", Qt::yellow},
    };
    PersistOptions options;
    EXPECT_EQ(theOptions, &options);
    EXPECT_FALSE(options.persistOptions());
    EXPECT_TRUE(options.useTabletPressure());
    ASSERT_EQ(options.colors().size(), 7);
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        GmColor* colour = options.color(e.index);
        ASSERT_EQ(colour, options.colors().at(e.index));
        EXPECT_EQ(colour->keyName(), QLatin1String(e.key));
        EXPECT_EQ(colour->description(), QLatin1String(e.key));   // untranslated here
        EXPECT_EQ(colour->color(), e.colour);
    }
}

TEST_F(PersistOptionsTest, StoredFlagsAreReadAsBooleansAndAnythingElseAsFalse) {
    struct Case {
        QVariant stored;
        bool expected;
    };
    const Case cases[] = {
        {true, true},   {false, false}, {"true", true}, {"false", false},
        {"1", true},    {"0", false},   {"yes", false}, {"garbage", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        {
            QSettings settings;
            settings.setValue("Preferences/PersistOptions", c.stored);
            settings.setValue("Preferences/UseTabletPressure", c.stored);
        }
        PersistOptions options;
        EXPECT_EQ(options.persistOptions(), c.expected);
        EXPECT_EQ(options.useTabletPressure(), c.expected);
    }
}

TEST_F(PersistOptionsTest, EverythingIsWrittenAtExitAndReadBack) {
    {
        QSettings settings;
        settings.setValue("Preferences/PersistOptions", "true");
        settings.setValue("Preferences/UseTabletPressure", "false");
        settings.setValue("Colors/Blend Mask", QColor(1, 2, 3));
    }
    {
        PersistOptions options;
        options.color(PersistOptions::DeleteMask)->restoreDefaultSlot();
    }
    EXPECT_EQ(theOptions, nullptr);
    QSettings settings;
    EXPECT_EQ(settings.value("Preferences/PersistOptions").toString(), QStringLiteral("true"));
    EXPECT_EQ(settings.value("Preferences/UseTabletPressure").toString(), QStringLiteral("false"));
    EXPECT_EQ(settings.value("Colors/Blend Mask_red").toInt(), 1);
    EXPECT_EQ(settings.value("Colors/Blend Mask_green").toInt(), 2);
    EXPECT_EQ(settings.value("Colors/Blend Mask_blue").toInt(), 3);
    EXPECT_EQ(settings.value("Colors/Delete Mask").value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(settings.value("Colors/Color Workspace Highlight_green").toInt(), 255);

    PersistOptions again;
    EXPECT_TRUE(again.persistOptions());
    EXPECT_FALSE(again.useTabletPressure());
    EXPECT_EQ(again.color(PersistOptions::BlendMask)->color(), QColor(1, 2, 3));
}
