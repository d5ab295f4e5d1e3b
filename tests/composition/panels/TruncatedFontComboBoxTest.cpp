#include "composition/panels/TruncatedFontComboBox.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The limit the edit field must have, worked out from the names and the width alone.
int expectedLimit(const TruncatedFontComboBox& box) {
    const QFontMetrics metrics(box.lineEdit()->font());
    const int width = box.lineEdit()->width();
    int limit = 32767;
    for (int i = 0; i < box.count(); ++i) {
        const QString name = box.itemText(i);
        for (int n = 1; n < name.size(); ++n)
            if (metrics.horizontalAdvance(name.left(n)) >= width) {
                limit = std::min(limit, n);
                break;
            }
    }
    return limit;
}

// A hidden box takes a new size at once but hands it to its edit field only when it is shown:
// until then the field keeps its first width, and a font whose name is wider than that (the
// machine's fonts decide) would set the limit of any box.
::testing::AssertionResult showAtWidth(TruncatedFontComboBox& box, int width) {
    box.resize(width, 30);
    box.show();
    if (!QTest::qWaitForWindowExposed(&box))
        return ::testing::AssertionFailure() << "the box was never shown";
    // The arrow and the frame take less than 100 pixels in any style.
    const QRect field = box.lineEdit()->geometry();
    if (!box.rect().contains(field) || field.width() <= width - 100)
        return ::testing::AssertionFailure()
               << "the edit field is " << field.width() << " wide in a box of " << width;
    return ::testing::AssertionSuccess();
}

TEST(TruncatedFontComboBox, AnEditFieldOfNoWidthTakesOneCharacter) {
    TruncatedFontComboBox box;
    ASSERT_GT(box.count(), 0) << "the test needs installed fonts";
    box.lineEdit()->resize(0, 20);
    box.updateMaxLength();
    EXPECT_EQ(box.lineEdit()->maxLength(), 1);
}

TEST(TruncatedFontComboBox, AWideBoxDoesNotLimitNames) {
    TruncatedFontComboBox box;
    ASSERT_TRUE(showAtWidth(box, 6000));
    box.updateMaxLength();
    EXPECT_EQ(box.lineEdit()->maxLength(), 32767);
    EXPECT_EQ(box.lineEdit()->text(), box.currentText());
}

TEST(TruncatedFontComboBox, ANarrowBoxCutsTheShownNameToWhatFills) {
    TruncatedFontComboBox box;
    ASSERT_TRUE(showAtWidth(box, 70));
    box.updateMaxLength();
    const int limit = box.lineEdit()->maxLength();
    EXPECT_EQ(limit, expectedLimit(box));
    EXPECT_LE(box.lineEdit()->text().size(), limit);
    EXPECT_EQ(box.lineEdit()->text(), box.itemText(box.currentIndex()).left(limit));
}

TEST(TruncatedFontComboBox, ABoxLaidOutAfterConstructionShowsTheNameAgain) {
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* box = new TruncatedFontComboBox;
    box->lineEdit()->resize(0, 20);
    box->updateMaxLength();   // as before layout: one letter
    ASSERT_EQ(box->lineEdit()->maxLength(), 1);
    layout->addWidget(box);
    window.resize(400, 60);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const int limit = box->lineEdit()->maxLength();
    EXPECT_GT(limit, 1);
    const QString name = box->itemText(box->currentIndex());
    EXPECT_EQ(box->lineEdit()->text(), name.left(limit));
    EXPECT_GT(box->lineEdit()->text().size(), 1) << "not stuck at the one letter";
}

}  // namespace
