#include "common/PersistOptions.h"

#include "ScratchSettingsTest.h"
#include "common/GmColor.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

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

// A settings object that changed anything rewrites the whole file and waits for the disk when
// it goes: an exit that changed nothing must leave the file alone, or every quit waits for as
// many disk writes as there are options and colours. A rewrite replaces the file (a new
// inode), so the inode tells whether it was written.
TEST_F(PersistOptionsTest, AnExitThatChangedNothingLeavesTheSettingsFileAsItWas) {
    { PersistOptions firstRun; }   // writes the defaults
    const std::string path = QFile::encodeName(QSettings().fileName()).toStdString();
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0) << path;
    {
        PersistOptions options;
        options.color(PersistOptions::KeepMask)->restoreDefaultSlot();   // the colour it had
    }
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0) << path;
    EXPECT_EQ(after.st_ino, before.st_ino) << "the settings file was rewritten";

    {
        QSettings settings;
        settings.setValue("Colors/Keep Mask_red", 1);
    }
    ASSERT_EQ(::stat(path.c_str(), &before), 0) << path;
    {
        PersistOptions options;   // reads (1, 255, 0)
        options.color(PersistOptions::KeepMask)->restoreDefaultSlot();
    }
    ASSERT_EQ(::stat(path.c_str(), &after), 0) << path;
    EXPECT_NE(after.st_ino, before.st_ino) << "a changed colour must still be written";
    EXPECT_EQ(QSettings().value("Colors/Keep Mask_red").toInt(), 0);
}
