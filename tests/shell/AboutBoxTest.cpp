#include "shell/AboutBox.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QStyle>

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, ChosenTwiceItIsTheSameWindow) {
    showAboutBox(nullptr);
    QDialog* first = aboutBox();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    first->close();
    showAboutBox(nullptr);
    EXPECT_EQ(aboutBox(), first);
    EXPECT_TRUE(first->isVisible());
    deleteAboutBox();
    EXPECT_EQ(aboutBox(), nullptr);
}

TEST(AboutBox, WithoutADistributorItShowsTheInformationIconAndNoDistributorText) {
    showAboutBox(nullptr);
    ASSERT_NE(aboutBox(), nullptr);
    const auto* logo = aboutBox()->findChild<QLabel*>(QStringLiteral("logo"));
    const auto* text = aboutBox()->findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_TRUE(logo && text);
    // The style's icon, at most the size message boxes give it (smaller when it has no larger).
    const int iconSize = QApplication::style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    const QPixmap shown = logo->pixmap(Qt::ReturnByValue);
    ASSERT_FALSE(shown.isNull());
    EXPECT_LE(shown.width(), iconSize);
    EXPECT_EQ(text->text().count(QStringLiteral("<p>")), 4) << text->text().toStdString();
    EXPECT_FALSE(text->text().contains(QStringLiteral("size=\"+1\"")));
    deleteAboutBox();
}

struct LogoCase {
    int width, height, shownWidth, shownHeight;
};

class AboutBoxLogo : public ::testing::TestWithParam<LogoCase> {};

TEST_P(AboutBoxLogo, WideLogosAreScaledToTwoHundredPixelsKeepingTheirShape) {
    QPixmap logo(GetParam().width, GetParam().height);
    logo.fill(Qt::red);
    const QPixmap shown = aboutBoxLogo(logo);
    EXPECT_EQ(shown.width(), GetParam().shownWidth);
    EXPECT_EQ(shown.height(), GetParam().shownHeight);
}

INSTANTIATE_TEST_SUITE_P(AboutBox, AboutBoxLogo,
                         ::testing::Values(LogoCase{400, 100, 200, 50}, LogoCase{201, 67, 200, 67},
                                           LogoCase{200, 80, 200, 80}, LogoCase{150, 60, 150, 60}));

TEST(AboutBox, TextHoldsNameDistributorVersionRightsAndDedicationInThatOrder) {
    const QString html = aboutBoxRichText(QStringLiteral("Acme <i>Edition</i>"));
    const int name = html.indexOf(QStringLiteral("<b>Zolquist\u2122</b>"));
    const int distributor =
        html.indexOf(QStringLiteral("<p><font size=\"+1\"><b>Acme <i>Edition</i></b></font></p>"));
    const int version = html.indexOf(QStringLiteral("<p>Version " ZQ_VERSION " <small>("));
    const int rights = html.indexOf(QStringLiteral("All rights reserved."));
    const int firstRule = html.indexOf(QStringLiteral("<hr/>"));
    const int secondRule = html.indexOf(QStringLiteral("<hr/>"), firstRule + 1);
    EXPECT_GE(name, 0);
    EXPECT_LT(name, distributor);
    EXPECT_LT(distributor, version);
    EXPECT_LT(version, rights);
    EXPECT_LT(rights, firstRule);
    EXPECT_LT(firstRule + 5, secondRule) << "the dedication stands between the two rules";
}

}  // namespace
