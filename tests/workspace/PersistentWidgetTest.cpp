#include "workspace/PersistentWidget.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Each case starts from settings without the key.
void clearKey(const QString& key) {
    QSettings settings;
    settings.remove(key);
    settings.sync();
}

TEST(PersistentWidget, KeysDropSpacesAndHyphensWithoutCapitals) {
    struct Case {
        const char* group;
        const char* label;
        const char* key;
    };
    const Case cases[] = {
        {"BlendingOptions", "Blend Width", "BlendingOptions/BlendWidth"},
        {"EdgeDetectionOptions/Edge Contrast", "High", "EdgeDetectionOptions/EdgeContrast/High"},
        {"EdgeDetectionOptions", "Number of Edges", "EdgeDetectionOptions/NumberofEdges"},
        {"EdgeDetectionOptions/Filtering", "Filter-out Texture",
         "EdgeDetectionOptions/Filtering/FilteroutTexture"},
        {"ViewOptions", "Show Delete Edges", "ViewOptions/ShowDeleteEdges"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PersistentWidget<QCheckBox, bool> box(QString::fromUtf8(c.group),
                                              QString::fromUtf8(c.label), false, false);
        EXPECT_EQ(box.key, QString::fromUtf8(c.key));
        EXPECT_EQ(box.objectName(), QString::fromUtf8(c.key));
        EXPECT_EQ(box.label, QString::fromUtf8(c.label));
    }
}

TEST(PersistentWidget, StoredTextAndOutOfRangeValuesReadSafely) {
    // What an edited or damaged settings file may hold, and what each widget then shows once its
    // owner has set the real range (1 to 100 for the numbers).
    struct Case {
        const char* stored;
        int sliderValue;
        bool checked;
    };
    const Case cases[] = {
        {"42", 42, true},     {"abc", 1, false},   {"", 1, false},  {"1000", 100, true},
        {"-7", 1, true},      {"true", 1, true},   {"false", 1, false}, {"0", 1, false},
        {"3.5", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        {
            QSettings settings;
            settings.setValue("Test/Value", QString::fromUtf8(c.stored));
            settings.setValue("Test/Flag", QString::fromUtf8(c.stored));
        }
        PersistentWidget<QSlider, int> slider("Test", "Value", 50, false);
        slider.setRange(1, 100);
        EXPECT_EQ(slider.value(), c.sliderValue);
        PersistentWidget<QSpinBox, int> spin("Test", "Value", 50, false);
        spin.setRange(1, 100);
        EXPECT_EQ(spin.value(), c.sliderValue);
        PersistentWidget<QCheckBox, bool> check("Test", "Flag", false, false);
        EXPECT_EQ(check.isChecked(), c.checked);
        PersistentWidget<QRadioButton, bool> radio("Test", "Flag", false, false);
        EXPECT_EQ(radio.isChecked(), c.checked);
    }
}

TEST(PersistentWidget, MissingKeyGivesTheDefaultAndARangeClampsIt) {
    clearKey("Test/Fresh");
    PersistentWidget<QSlider, int> inside("Test", "Fresh", 8, false);
    inside.setMinimum(0);
    inside.setMaximum(8);
    EXPECT_EQ(inside.value(), 8);
    PersistentWidget<QSpinBox, int> below("Test", "Fresh", 0, false);
    below.setRange(1, 400);
    EXPECT_EQ(below.value(), 1);
}

TEST(PersistentWidget, WritesBackOnlyWhenPersistIsSetAtDestruction) {
    struct Case {
        bool persistAtStart;
        bool persistAtEnd;
        int stored;
    };
    const Case cases[] = {{true, true, 77}, {false, false, 5}, {false, true, 77}, {true, false, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.persistAtStart << c.persistAtEnd);
        QSettings().setValue("Test/Persisted", 5);
        {
            PersistentWidget<QSpinBox, int> box("Test", "Persisted", 0, c.persistAtStart);
            box.setRange(0, 100);
            EXPECT_EQ(box.value(), 5) << "always loaded";
            box.setValue(77);
            box.persist = c.persistAtEnd;
        }
        EXPECT_EQ(QSettings().value("Test/Persisted").toInt(), c.stored);
    }
}

TEST(PersistentWidget, ComboBoxHoldsTheStoredTextAndFallsBackToTheOwnersFirstItem) {
    QSettings().setValue("Test/Width", "Medium");
    {
        PersistentWidget<QComboBox, QString> combo("Test", "Width", "Thin", true);
        ASSERT_EQ(combo.count(), 1);
        EXPECT_EQ(combo.currentText(), QStringLiteral("Medium"));
        // The owner's own list, then the stored text chosen again.
        combo.clear();
        combo.addItems({"Thin", "Medium", "Wide"});
        combo.setCurrentIndex(combo.findText("Medium"));
        EXPECT_EQ(combo.currentText(), QStringLiteral("Medium"));
        combo.setCurrentIndex(2);
    }
    EXPECT_EQ(QSettings().value("Test/Width").toString(), QStringLiteral("Wide"));

    QSettings().setValue("Test/Width", "Gigantic");
    PersistentWidget<QComboBox, QString> combo("Test", "Width", "Thin", false);
    combo.clear();
    combo.addItems({"Thin", "Medium"});
    EXPECT_EQ(combo.currentText(), QStringLiteral("Thin"));
}

TEST(PersistentWidget, CheckBoxWithPersistenceOffIsOnlyEverRead) {
    clearKey("ViewOptions/ShowDeleteEdges");
    {
        PersistentWidget<QCheckBox, bool> box("ViewOptions", "Show Delete Edges", true, false);
        EXPECT_TRUE(box.isChecked());
        box.setChecked(false);
    }
    EXPECT_FALSE(QSettings().contains("ViewOptions/ShowDeleteEdges"));
}

} // namespace
