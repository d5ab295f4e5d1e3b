#include "shell/ZolPreferences.h"

#include "shell/CutoutChoice.h"
#include "tests/shell/ScratchSettingsTest.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ZolPreferencesTest : public ScratchSettingsTest {
protected:
    void TearDown() override {
        delete ZolPreferences::existingInstance();
        ScratchSettingsTest::TearDown();
    }

    template <typename T>
    static T* child(QWidget* dialog, const char* name) {
        T* found = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Radio buttons and check boxes react to a click on their mark, at the left of the text.
    static void clickMark(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    }
};

TEST_F(ZolPreferencesTest, DefaultsWhenNothingIsStored) {
    EXPECT_EQ(ZolPreferences::onImageLoad(), 0);
    EXPECT_TRUE(ZolPreferences::showGettingStarted());
    EXPECT_TRUE(ZolPreferences::showCutOutTips());
    EXPECT_TRUE(ZolPreferences::showCompositionTips());
    EXPECT_TRUE(ZolPreferences::facebookSessionKey().isEmpty());
}

TEST_F(ZolPreferencesTest, DamagedOnImageLoadReadsAsAsk) {
    for (const QVariant& stored : {QVariant(7), QVariant(-1), QVariant(QStringLiteral("cut"))}) {
        QSettings().setValue("OnImageLoad", stored);
        EXPECT_EQ(ZolPreferences::onImageLoad(), 0) << stored.toString().toStdString();
    }
}

TEST_F(ZolPreferencesTest, DialogShowsOnlyTheVisibleGroupsAtItsSmallestSize) {
    ZolPreferences* dialog = ZolPreferences::instance();
    ASSERT_NE(dialog, nullptr);
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Preferences"));
    EXPECT_TRUE(child<QGroupBox>(dialog, "groupBox_2")->isVisible());
    EXPECT_TRUE(child<QGroupBox>(dialog, "groupBox")->isVisible());
    EXPECT_FALSE(child<QGroupBox>(dialog, "tipsGroupBox")->isVisible());
    EXPECT_FALSE(child<QGroupBox>(dialog, "facebookGroupBox")->isVisible());
    EXPECT_TRUE(child<QRadioButton>(dialog, "askMeRadioButton")->isChecked());
    EXPECT_LT(dialog->height(), 715);
    EXPECT_GE(dialog->width(), 329);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowContextHelpButtonHint);
}

TEST_F(ZolPreferencesTest, EachClickIsStoredAtOnce) {
    ZolPreferences* dialog = ZolPreferences::instance();
    dialog->show();
    struct Case {
        const char* button;
        int stored;
    };
    for (const Case& c : {Case{"cutoutRadioButton", 1}, Case{"imageRadioButton", 2},
                          Case{"askMeRadioButton", 0}}) {
        clickMark(child<QRadioButton>(dialog, c.button));
        EXPECT_EQ(QSettings().value("OnImageLoad").toInt(), c.stored) << c.button;
    }
    clickMark(child<QCheckBox>(dialog, "showGettingStartedCheckBox"));
    EXPECT_FALSE(QSettings().value("ShowGettingStarted").toBool());
    EXPECT_FALSE(ZolPreferences::showGettingStarted());
}

TEST_F(ZolPreferencesTest, UnknownStoredChoiceKeepsTheButtonsUntilTheFirstClick) {
    ZolPreferences* dialog = ZolPreferences::instance();
    auto* cutout = child<QRadioButton>(dialog, "cutoutRadioButton");
    cutout->setChecked(true);
    QSettings().setValue("OnImageLoad", 7);
    dialog->loadFromSettings();
    EXPECT_TRUE(cutout->isChecked());
    dialog->show();
    clickMark(child<QCheckBox>(dialog, "showGettingStartedCheckBox"));
    EXPECT_EQ(QSettings().value("OnImageLoad").toInt(), 1);
}

TEST_F(ZolPreferencesTest, ChoiceMadeElsewhereShowsInTheOpenDialog) {
    ZolPreferences* dialog = ZolPreferences::instance();
    dialog->show();
    ZolPreferences::setOnImageLoad(false);
    EXPECT_EQ(QSettings().value("OnImageLoad").toInt(), 2);
    EXPECT_TRUE(child<QRadioButton>(dialog, "imageRadioButton")->isChecked());
    ZolPreferences::setOnImageLoad(true);
    EXPECT_TRUE(child<QRadioButton>(dialog, "cutoutRadioButton")->isChecked());
    EXPECT_EQ(CutoutChoice::ask(QPixmap(), QStringLiteral("photo.jpg")), CutoutChoice::Cutout);
}

// Setting a new key writes it through the label; a stale label must not write the old key back.
TEST_F(ZolPreferencesTest, NewSessionKeyIsKeptAndClearRemovesIt) {
    QSettings().setValue("Facebook/SessionKey", QStringLiteral("old"));
    ZolPreferences* dialog = ZolPreferences::instance();
    child<QLineEdit>(dialog, "newFacebookSessionKey")->setText(QStringLiteral("new"));
    child<QPushButton>(dialog, "setFacebookSessionKey")->click();
    EXPECT_EQ(ZolPreferences::facebookSessionKey(), QStringLiteral("new"));
    EXPECT_EQ(child<QLabel>(dialog, "currentFacebookSessionKeyLabel")->text(), QStringLiteral("new"));
    child<QPushButton>(dialog, "clearFacebookSessionKey")->click();
    EXPECT_TRUE(ZolPreferences::facebookSessionKey().isEmpty());
}

TEST_F(ZolPreferencesTest, InstanceIsRebuiltAfterTheDialogWasDeleted) {
    ZolPreferences* first = ZolPreferences::instance();
    EXPECT_EQ(ZolPreferences::instance(), first);
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->show();
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ZolPreferences::existingInstance(), nullptr);
    ZolPreferences::setOnImageLoad(true);   // no dialog to update: must not touch freed memory
    ZolPreferences* second = ZolPreferences::instance();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(child<QRadioButton>(second, "cutoutRadioButton")->isChecked());
}

TEST_F(ZolPreferencesTest, ReopensWhereItWasLastClosed) {
    ZolPreferences* dialog = ZolPreferences::instance();
    dialog->show();
    dialog->move(120, 80);
    const QRect placed = dialog->geometry();
    child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Close)->click();
    EXPECT_FALSE(dialog->isVisible());
    dialog->move(0, 0);
    dialog->show();
    EXPECT_EQ(dialog->geometry(), placed);
    EXPECT_EQ(ZolPreferences::instance(), dialog);
}

}  // namespace
