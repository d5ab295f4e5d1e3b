#include "common/GmColor.h"

#include "ModalDialogCloser.h"
#include "ScratchSettingsTest.h"

#include <QAction>
#include <QColorDialog>
#include <QCoreApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QToolButton>
#include <QVariantMap>

#include <gtest/gtest.h>

using GmColorTest = ScratchSettingsTest;

namespace {

QColor iconColour(const QIcon& icon) {
    return icon.pixmap(32, 32).toImage().pixelColor(16, 16);
}

// Picks `colour` in the next colour dialog and accepts it.
ModalDialogCloser choose(const QColor& colour) {
    return ModalDialogCloser([colour](QDialog* dialog) {
        auto* colourDialog = qobject_cast<QColorDialog*>(dialog);
        ASSERT_NE(colourDialog, nullptr);
        colourDialog->setCurrentColor(colour);
    });
}

}  // namespace

// Runs first in this program: the dialog's custom colours are loaded only once per process.
TEST_F(GmColorTest, CustomColoursAreLoadedOncePerProcessAndStoredAfterAChoice) {
    QSettings settings;
    settings.setValue("Colors/NumCustomColors", 2);
    settings.setValue("Colors/CustomColor0", QColor(1, 2, 3));   // CustomColor1 missing: red
    GmColor first(Qt::green, "Keep Mask", "Keep Mask", false);
    {
        ModalDialogCloser cancel({}, QDialog::Rejected);
        first.changeColorSlot();
        ASSERT_EQ(cancel.closed(), 1);
    }
    EXPECT_EQ(QColorDialog::customColor(0), QColor(1, 2, 3));
    EXPECT_EQ(QColorDialog::customColor(1), QColor(Qt::red));

    settings.setValue("Colors/CustomColor0", QColor(9, 9, 9));
    GmColor second(Qt::red, "Delete Mask", "Delete Mask", false);
    QColorDialog::setCustomColor(2, QColor(7, 8, 9));
    {
        ModalDialogCloser accept = choose(QColor(40, 50, 60));
        second.changeColorSlot();
    }
    EXPECT_EQ(QColorDialog::customColor(0), QColor(1, 2, 3)) << "not loaded a second time";
    settings.sync();
    EXPECT_EQ(settings.value("Colors/NumCustomColors").toInt(), QColorDialog::customCount());
    EXPECT_EQ(settings.value("Colors/CustomColor2").value<QColor>(), QColor(7, 8, 9));
    EXPECT_EQ(settings.value("Colors/CustomColor0").value<QColor>(), QColor(1, 2, 3));
}

TEST_F(GmColorTest, ChosenColourIsAppliedSignalledAndShownInTheSwatch) {
    GmColor colour(Qt::green, "Keep Mask", "Keep Mask", true);
    QSignalSpy changed(&colour, &GmColor::colorChanged);
    QAction* action = colour.changeAction();
    EXPECT_EQ(action->text(), QStringLiteral("Change Keep Mask color"));
    EXPECT_EQ(colour.toolButton()->toolTip(), QStringLiteral("Change Keep Mask color"));
    EXPECT_EQ(colour.toolButton()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(colour.changeAction(), action) << "made once, kept";
    {
        ModalDialogCloser accept = choose(QColor(10, 20, 30));
        action->trigger();
        ASSERT_EQ(accept.closed(), 1);
    }
    EXPECT_EQ(colour.color(), QColor(10, 20, 30));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QColor>(), QColor(10, 20, 30));
    EXPECT_EQ(iconColour(action->icon()), QColor(10, 20, 30));
    EXPECT_EQ(iconColour(colour.toolButton()->icon()), QColor(10, 20, 30));
}

TEST_F(GmColorTest, CancelledDialogChangesNothingAndSignalsNothing) {
    GmColor colour(Qt::blue, "Blend Mask", "Blend Mask", true);
    QSignalSpy changed(&colour, &GmColor::colorChanged);
    ModalDialogCloser cancel({}, QDialog::Rejected);
    colour.changeColorSlot();
    EXPECT_EQ(cancel.closed(), 1);
    EXPECT_EQ(colour.color(), QColor(Qt::blue));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(GmColorTest, RevertGoesToTheCommittedColourAndRestoreToTheDefault) {
    GmColor colour(Qt::green, "Keep Mask", "Keep Mask", false);
    QSignalSpy changed(&colour, &GmColor::colorChanged);
    {
        ModalDialogCloser accept = choose(QColor(1, 1, 1));
        colour.changeColorSlot();
    }
    colour.commitChangeSlot();
    EXPECT_EQ(changed.count(), 1) << "committing emits nothing";
    {
        ModalDialogCloser accept = choose(QColor(2, 2, 2));
        colour.changeColorSlot();
    }
    colour.revertChangeSlot();
    EXPECT_EQ(colour.color(), QColor(1, 1, 1));
    colour.restoreDefaultSlot();
    EXPECT_EQ(colour.color(), QColor(Qt::green));
    EXPECT_EQ(changed.count(), 4);
}

TEST_F(GmColorTest, StoredColourIsReadByTheRulesOfItsKeys) {
    struct Case {
        const char* what;
        QVariantMap stored;   // under "Colors/"
        QColor expected;
    };
    const Case cases[] = {
        {"nothing stored", {}, QColor(Qt::green)},
        {"only the colour key", {{"Keep Mask", QColor(10, 20, 30)}}, QColor(10, 20, 30)},
        {"components win over the colour key",
         {{"Keep Mask", QColor(10, 20, 30)}, {"Keep Mask_red", 1}, {"Keep Mask_green", 2},
          {"Keep Mask_blue", 3}},
         QColor(1, 2, 3)},
        {"missing green comes from the default", {{"Keep Mask_red", 100}, {"Keep Mask_blue", 50}},
         QColor(100, 255, 50)},
        {"out of range components are clamped",
         {{"Keep Mask_red", 300}, {"Keep Mask_green", -4}, {"Keep Mask_blue", 256}},
         QColor(255, 0, 255)},
        {"a component that is no number counts as 0",
         {{"Keep Mask_red", "lots"}, {"Keep Mask_green", 7}, {"Keep Mask_blue", 8}}, QColor(0, 7, 8)},
        {"an unreadable colour key gives the default", {{"Keep Mask", "no colour"}},
         QColor(Qt::green)},
        {"a colour name is read", {{"Keep Mask", "#102030"}}, QColor(0x10, 0x20, 0x30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSettings settings;
        settings.clear();
        for (auto entry = c.stored.begin(); entry != c.stored.end(); ++entry)
            settings.setValue(QStringLiteral("Colors/") + entry.key(), entry.value());
        settings.sync();
        GmColor colour(Qt::green, "Keep Mask", "Keep Mask", true);
        EXPECT_EQ(colour.color(), c.expected);
        EXPECT_TRUE(colour.color().isValid());
    }
}

TEST_F(GmColorTest, PersistedColourWritesItselfWhenDestroyedAndReadsBackTheSame) {
    {
        GmColor colour(Qt::green, "Keep Mask", "Keep Mask", true);
        ModalDialogCloser accept = choose(QColor(11, 22, 33));
        colour.changeColorSlot();
    }
    QSettings settings;
    EXPECT_EQ(settings.value("Colors/Keep Mask").value<QColor>(), QColor(11, 22, 33));
    EXPECT_EQ(settings.value("Colors/Keep Mask_red").toInt(), 11);
    EXPECT_EQ(settings.value("Colors/Keep Mask_green").toInt(), 22);
    EXPECT_EQ(settings.value("Colors/Keep Mask_blue").toInt(), 33);
    GmColor again(Qt::green, "Keep Mask", "Keep Mask", true);
    EXPECT_EQ(again.color(), QColor(11, 22, 33));
}

TEST_F(GmColorTest, ColourNotPersistedNeitherReadsNorWritesSettings) {
    QSettings settings;
    settings.setValue("Colors/Foreground Override_red", 5);
    {
        GmColor colour(Qt::white, "Foreground Override", "Foreground Override", false);
        EXPECT_EQ(colour.color(), QColor(Qt::white));
        colour.restoreDefaultSlot();
    }
    settings.sync();
    EXPECT_FALSE(settings.contains("Colors/Foreground Override"));
}

TEST_F(GmColorTest, ColourFromAMapKeepsItsValuesButNeverTouchesTheUsersSettings) {
    QVariantMap map;
    map["qColor_"] = QColor(1, 2, 3);
    map["default_"] = QColor(Qt::white);
    map["keyname_"] = QStringLiteral("Keep Mask");   // a session file naming a user colour
    map["desc_"] = QStringLiteral("Foreground Override");
    map["persist_"] = 1;
    {
        GmColor colour{QVariant(map)};
        EXPECT_EQ(colour.color(), QColor(1, 2, 3));
        EXPECT_EQ(colour.defaultColor(), QColor(Qt::white));
        EXPECT_EQ(colour.toVariant().toMap(), map) << "what the file said is kept for saving";
        colour.revertChangeSlot();
        EXPECT_EQ(colour.color(), QColor(Qt::white)) << "committed starts at the default";
    }
    QSettings settings;
    settings.sync();
    EXPECT_TRUE(settings.childKeys().isEmpty());
    EXPECT_TRUE(settings.childGroups().isEmpty());
}

TEST_F(GmColorTest, ColourFromAnIncompleteMapFallsBackToItsDefault) {
    GmColor fromDefaultOnly{QVariant(QVariantMap{{"default_", QColor(Qt::black)}})};
    EXPECT_EQ(fromDefaultOnly.color(), QColor(Qt::black));
    GmColor fromNothing{QVariant()};
    EXPECT_FALSE(fromNothing.color().isValid());
    EXPECT_EQ(fromNothing.toVariant().toMap().value("persist_").toInt(), 0);
}
