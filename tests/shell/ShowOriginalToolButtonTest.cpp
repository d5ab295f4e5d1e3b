#include "shell/ShowOriginalToolButton.h"

#include "common/LogStream.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

class Window : public QWidget {
public:
    Window() {
        auto* layout = new QHBoxLayout(this);
        layout->addWidget(button);
        layout->addWidget(other);
        button->setShortcut(QKeySequence(QStringLiteral("O")));
        other->setFocus();
        show();
        activateWindow();
        QApplication::setActiveWindow(this);
    }
    ~Window() override { QApplication::setActiveWindow(nullptr); }

    // Where a key goes: to the keyboard grabber while there is one, as the window system does.
    QWidget* keyTarget() { return QWidget::keyboardGrabber() ? QWidget::keyboardGrabber() : this; }
    void pressO() { QTest::keyPress(keyTarget(), Qt::Key_O); }
    void releaseO() { QTest::keyRelease(keyTarget(), Qt::Key_O); }

    ShowOriginalToolButton* button = new ShowOriginalToolButton(this);
    QWidget* other = new QWidget(this);
    QWidget elsewhere;   // another application's window, as far as this one can tell
};

void repeatedRelease(QWidget* target) {
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_O, Qt::NoModifier, QStringLiteral("o"), true);
    QApplication::sendEvent(target, &release);
}

TEST(ShowOriginalToolButton, HoldingTheKeyGivesOnePressAndOneRelease) {
    Window window;
    QSignalSpy pressed(window.button, &QAbstractButton::pressed);
    QSignalSpy released(window.button, &QAbstractButton::released);

    window.pressO();
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_TRUE(window.button->isDown());
    EXPECT_EQ(QWidget::keyboardGrabber(), window.button);
    for (int repeat = 0; repeat < 5; ++repeat) {
        window.pressO();
        repeatedRelease(window.keyTarget());
    }
    EXPECT_EQ(pressed.count(), 1) << "key repeats add nothing";
    EXPECT_EQ(released.count(), 0);

    window.releaseO();
    EXPECT_EQ(released.count(), 1);
    EXPECT_FALSE(window.button->isDown());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

    window.pressO();   // the shortcut works again
    window.releaseO();
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(released.count(), 2);
}

struct InterruptionCase {
    const char* name;
    std::function<void(Window&)> interrupt;
    bool keyReleaseAfter;
};

class HoldInterruptions : public ::testing::TestWithParam<InterruptionCase> {};

TEST_P(HoldInterruptions, EveryHoldEndsAndLeavesTheKeyboardFree) {
    const InterruptionCase& c = GetParam();
    Window window;
    QSignalSpy released(window.button, &QAbstractButton::released);
    window.pressO();
    ASSERT_EQ(QWidget::keyboardGrabber(), window.button);

    c.interrupt(window);
    if (c.keyReleaseAfter)
        window.releaseO();

    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << "the window must get its keys back";
    EXPECT_FALSE(window.button->isDown());
    EXPECT_GE(released.count(), 1);

    QApplication::setActiveWindow(&window);
    QSignalSpy pressedAgain(window.button, &QAbstractButton::pressed);
    window.pressO();
    EXPECT_EQ(pressedAgain.count(), 1) << "the shortcut is on again";
    window.releaseO();
}

INSTANTIATE_TEST_SUITE_P(
    ShowOriginalToolButton, HoldInterruptions,
    ::testing::Values(
        InterruptionCase{"FocusOut",
                         [](Window& w) {
                             QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                             QApplication::sendEvent(w.button, &out);
                         },
                         false},
        InterruptionCase{"OtherWindowActivated",
                         [](Window& w) {
                             w.elsewhere.show();
                             QApplication::setActiveWindow(&w.elsewhere);
                         },
                         false},
        InterruptionCase{"MouseReleaseThenKeyRelease",
                         [](Window& w) { QTest::mouseRelease(w.button, Qt::LeftButton); }, true},
        InterruptionCase{"MouseClickThenKeyRelease",
                         [](Window& w) { QTest::mouseClick(w.button, Qt::LeftButton); }, true}),
    [](const ::testing::TestParamInfo<InterruptionCase>& info) { return info.param.name; });

TEST(ShowOriginalToolButton, AShortcutChangedDuringTheHoldIsLoggedAndLeftToItsNewOwner) {
    Window window;
    QSignalSpy pressed(window.button, &QAbstractButton::pressed);
    window.pressO();
    window.button->setShortcut(QKeySequence(QStringLiteral("P")));
    window.releaseO();
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

    ASSERT_NE(theLogStream, nullptr);
    QFile log(theLogStream->filePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(
        "Warning: Shortcut for ShowOriginalToolButton changed programmatically during the"));

    QTest::keyPress(&window, Qt::Key_P);
    EXPECT_EQ(pressed.count(), 2) << "the new shortcut is live";
    QTest::keyRelease(window.keyTarget(), Qt::Key_P);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

}  // namespace
