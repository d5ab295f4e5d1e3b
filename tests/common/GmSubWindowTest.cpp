#include "masking/GmModel.h"
#include "masking/RectRegion.h"
#include "common/FakeDock.h"
#include "common/GmSubWindow.h"
#include "common/TitleButton.h"
#include "common/TitleWidget.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

Q_DECLARE_METATYPE(QKeyEvent*)

namespace {

constexpr int cutOutTab = 2;
constexpr int compositionTab = 8;

class Panel : public GmSubWindow {
public:
    Panel(int mask, QWidget* menu, QWidget* parent)
        : GmSubWindow(QStringLiteral("Panel"), QStringLiteral("Panel"), menu,
                      QStringLiteral("F4"), parent),
          mask_(mask) {
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->addWidget(new QLabel(QStringLiteral("content"), content));
        setWidget(content);
    }
    bool isDocumentPanel() const override { return false; }
    int viewTabs() const override { return mask_; }

private:
    int mask_;
};

// The main window as far as sub-windows see it: a central area, the dock column at its right,
// and the keys that sub-windows let through.
class Host : public QWidget {
public:
    Host() {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* central = new QWidget(this);
        central->setMinimumSize(300, 300);
        layout->addWidget(central, 1);
        dock = new FakeDock(this);
        layout->addWidget(dock, 0);
        resize(600, 400);
        move(0, 0);
    }
    FakeDock* dock;
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override { keys.append(e->key()); }
};

// Placed as the main window's default layout places a sub-window: docked, keeping geometry.
std::unique_ptr<Panel> dockedPanel(Host& host, QMenu* menu, int mask = 63) {
    auto panel = std::make_unique<Panel>(mask, menu, &host);
    panel->subWindowData()->dock = host.dock;
    panel->subWindowData()->defaultFloatingPosition = QPoint(40, 50);
    panel->subWindowData()->defaultFloatingSize = QSize(220, 180);
    panel->setFloating(false, true);
    return panel;
}

void turnEventLoop() { QCoreApplication::sendPostedEvents(); }

// Shown in its place: in the dock column (which may itself still wait to be shown) or as a
// window of its own.
bool shown(const GmSubWindow& w) { return w.isVisibleTo(w.parentWidget()); }

struct PlacementCase {
    const char* name;
    bool floating;
    int mask;
    int tab;
    bool userWantsIt;
    bool visible;
    bool actionEnabled;
    bool actionChecked;
    bool dockShown;
};

class SubWindowPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(SubWindowPlacement, VisibilityFollowsWishTabAndPlacement) {
    const PlacementCase& c = GetParam();
    Host host;
    host.show();
    QMenu menu;
    auto panel = dockedPanel(host, &menu, c.mask);
    if (c.floating)
        panel->setFloating(true, false);
    if (c.userWantsIt)
        panel->toggleAction()->trigger();
    turnEventLoop();
    panel->viewTabChangedSlot(c.tab);
    turnEventLoop();

    EXPECT_EQ(shown(*panel), c.visible);
    EXPECT_EQ(panel->isWindow(), c.floating);
    EXPECT_EQ(panel->toggleAction()->isEnabled(), c.actionEnabled);
    EXPECT_EQ(panel->toggleAction()->isChecked(), c.actionChecked);
    EXPECT_EQ(host.dock->isVisible(), c.dockShown);
    EXPECT_EQ(panel->subWindowData()->titleBar->isVisibleTo(panel.get()), !c.floating);
    const QByteArray state = panel->saveState();
    ASSERT_FALSE(state.isEmpty());
    EXPECT_EQ(state.at(0), c.userWantsIt ? 1 : 0) << "the wish is kept whatever the tab";
}

INSTANTIATE_TEST_SUITE_P(
    GmSubWindow, SubWindowPlacement,
    ::testing::Values(
        PlacementCase{"DockedShown", false, 63, cutOutTab, true, true, true, true, true},
        PlacementCase{"DockedOffTab", false, compositionTab, cutOutTab, true, false, false, false, false},
        PlacementCase{"DockedOnTab", false, compositionTab, compositionTab, true, true, true, true, true},
        PlacementCase{"DockedSwitchedOff", false, 63, cutOutTab, false, false, true, false, false},
        PlacementCase{"FloatingShown", true, 63, compositionTab, true, true, true, true, false},
        PlacementCase{"FloatingOffTab", true, compositionTab, cutOutTab, true, false, false, false, false}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

TEST(GmSubWindow, LeavingItsTabHidesItAndComingBackShowsItAgain) {
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr, compositionTab);
    panel->viewTabChangedSlot(compositionTab);
    panel->toggleAction()->trigger();
    turnEventLoop();
    ASSERT_TRUE(panel->isVisible());

    panel->viewTabChangedSlot(cutOutTab);
    EXPECT_FALSE(shown(*panel));
    EXPECT_FALSE(panel->toggleAction()->isEnabled());
    EXPECT_FALSE(panel->toggleAction()->isChecked());
    EXPECT_TRUE(panel->subWindowData()->wantedShown);

    panel->viewTabChangedSlot(compositionTab);
    EXPECT_TRUE(shown(*panel));
    EXPECT_TRUE(panel->toggleAction()->isEnabled());
    EXPECT_TRUE(panel->toggleAction()->isChecked());
}

TEST(GmSubWindow, TheDockColumnFollowsItsSubWindowsOneTurnLater) {
    Host host;
    host.show();
    auto first = dockedPanel(host, nullptr);
    auto second = dockedPanel(host, nullptr);
    turnEventLoop();
    ASSERT_FALSE(host.dock->isVisible());

    first->toggleViewSlot(true);
    second->toggleViewSlot(true);
    EXPECT_FALSE(host.dock->isVisible());
    turnEventLoop();
    EXPECT_TRUE(host.dock->isVisible());

    first->closeViewSlot();
    turnEventLoop();
    EXPECT_TRUE(host.dock->isVisible()) << "one sub-window is still in the column";

    second->subWindowData()->titleBar->closeButton()->click();
    EXPECT_TRUE(host.dock->isVisible());
    turnEventLoop();
    EXPECT_FALSE(host.dock->isVisible());
    EXPECT_FALSE(second->subWindowData()->wantedShown);
    EXPECT_FALSE(second->toggleAction()->isChecked());
}

TEST(GmSubWindow, ClosingTheFloatingWindowSwitchesItOff) {
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr);
    panel->toggleViewSlot(true);
    panel->setFloating(true, false);
    ASSERT_TRUE(panel->isVisible());
    ASSERT_TRUE(panel->isWindow());

    panel->close();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(panel->toggleAction()->isChecked());
    panel->viewTabChangedSlot(compositionTab);
    EXPECT_FALSE(panel->isVisible()) << "stays closed until switched on again";
    panel->toggleAction()->trigger();
    EXPECT_TRUE(panel->isVisible());
}

TEST(GmSubWindow, FloatingGeometryIsRestoredOnlyFromAFloatingPlacement) {
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr);
    panel->toggleViewSlot(true);

    panel->setFloating(true, false);   // never floated: the defaults
    EXPECT_EQ(panel->pos(), QPoint(40, 50));
    EXPECT_EQ(panel->size(), panel->sizeHint()) << "a fixed panel keeps its own size";

    panel->move(120, 90);              // the user moves it
    panel->setFloating(true, false);   // already floating: not moved again
    EXPECT_EQ(panel->pos(), QPoint(120, 90));

    panel->setFloating(false, false);  // docking keeps where it floated
    ASSERT_FALSE(panel->isWindow());
    panel->setFloating(false, false);  // docked again: its docked geometry must not be kept
    panel->setFloating(true, false);
    EXPECT_EQ(panel->pos(), QPoint(120, 90));
}

TEST(GmSubWindow, SavedStateHoldsTheWishAndTheFloatingGeometry) {
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr);
    EXPECT_EQ(panel->saveState(), QByteArray(1, '\0')) << "docked and never floated";
    panel->toggleViewSlot(true);
    EXPECT_EQ(panel->saveState(), QByteArray(1, '\1'));

    panel->setFloating(true, false);
    panel->move(70, 80);
    const QByteArray state = panel->saveState();
    ASSERT_GT(state.size(), 1);
    EXPECT_EQ(state.at(0), 1);
    panel->move(300, 10);
    ASSERT_TRUE(panel->restoreGeometry(state.mid(1)));
    EXPECT_EQ(panel->pos(), QPoint(70, 80));
}

TEST(GmSubWindow, AResizableSubWindowTakesTheSpareHeightAndFloatsWithAGrip) {
    Host host;
    host.show();
    auto fixed = dockedPanel(host, nullptr);
    auto resizable = std::make_unique<Panel>(63, nullptr, &host);
    resizable->setResizable(true);
    resizable->subWindowData()->dock = host.dock;
    resizable->setFloating(false, true);
    fixed->toggleViewSlot(true);
    resizable->toggleViewSlot(true);
    turnEventLoop();
    ASSERT_TRUE(host.dock->isVisible());
    host.dock->layout()->activate();

    EXPECT_EQ(fixed->height(), fixed->sizeHint().height());
    EXPECT_GT(resizable->height(), host.dock->height() / 2);

    fixed->setFloating(true, false);
    const QSize fixedSize = fixed->size();
    fixed->resize(fixedSize + QSize(100, 100));
    EXPECT_EQ(fixed->size(), fixedSize) << "a fixed floating panel cannot be resized";
    EXPECT_EQ(fixed->findChild<QSizeGrip*>(), nullptr);

    resizable->setFloating(true, false);
    resizable->resize(300, 260);
    EXPECT_EQ(resizable->size(), QSize(300, 260));
    auto* grip = resizable->findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->geometry().bottomRight(), resizable->rect().bottomRight());

    resizable->setFloating(false, false);
    EXPECT_EQ(resizable->findChild<QSizeGrip*>(), nullptr) << "docked panels have no grip";
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    int escapeSignals;
    int deleteSignals;
    bool reachesHost;
};

class SubWindowKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SubWindowKeys, EscapeAndBackspaceStayOtherKeysTravelOn) {
    const KeyCase& c = GetParam();
    qRegisterMetaType<QKeyEvent*>();
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr);
    panel->toggleViewSlot(true);
    QSignalSpy escapes(panel.get(), &GmSubWindow::escapeKeyPressed);
    QSignalSpy deletes(panel.get(), &GmSubWindow::deleteKeyPressed);

    QTest::keyClick(panel.get(), c.key);
    EXPECT_EQ(escapes.count(), c.escapeSignals);
    EXPECT_EQ(deletes.count(), c.deleteSignals);
    EXPECT_EQ(host.keys.contains(c.key), c.reachesHost);
}

INSTANTIATE_TEST_SUITE_P(GmSubWindow, SubWindowKeys,
                         ::testing::Values(KeyCase{"Escape", Qt::Key_Escape, 1, 0, false},
                                           KeyCase{"Backspace", Qt::Key_Backspace, 0, 1, false},
                                           KeyCase{"Letter", Qt::Key_A, 0, 0, true},
                                           KeyCase{"Return", Qt::Key_Return, 0, 0, true}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) {
                             return info.param.name;
                         });

// Backspace in a panel deletes the masking view's active patch, as it does in the window.
TEST(GmSubWindow, BackspaceDeletesTheActiveRegion) {
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr);
    panel->toggleViewSlot(true);
    GmModel* model = GmModel::instance();
    // Wired as the main window wires its panels.
    QObject::connect(panel.get(), &GmSubWindow::deleteKeyPressed, model,
                     &GmModel::deleteActiveRegionSlot);
    QPointer<GmRegion> region = new RectRegion(QRectF(10, 10, 40, 30));
    model->regions().append(region);
    model->setActiveRegion(region, 0);

    QTest::keyClick(panel.get(), Qt::Key_Backspace);
    EXPECT_EQ(model->activeRegion(), nullptr);
    EXPECT_FALSE(model->regions().contains(region.data()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(region.isNull()) << "nothing else owns the deleted region";
    QTest::keyClick(panel.get(), Qt::Key_Backspace);   // none active: nothing happens
    EXPECT_FALSE(host.keys.contains(Qt::Key_Backspace));
}

TEST(GmSubWindow, NewContentReplacesTheOldWhichIsHiddenAndDeleted) {
    Host host;
    host.show();
    auto panel = dockedPanel(host, nullptr);
    panel->toggleViewSlot(true);
    QPointer<QWidget> old = panel->widget();
    ASSERT_TRUE(old);

    auto* replacement = new QWidget;
    auto* inner = new QVBoxLayout(replacement);
    inner->setContentsMargins(9, 9, 9, 9);
    panel->setWidget(replacement);
    EXPECT_EQ(panel->widget(), replacement);
    EXPECT_TRUE(replacement->isVisibleTo(panel.get()));
    EXPECT_EQ(inner->contentsMargins(), QMargins(0, 0, 0, 0));
    EXPECT_EQ(inner->spacing(), 5);
    if (old) {
        EXPECT_FALSE(old->isVisibleTo(panel.get()));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());

    delete replacement;
    EXPECT_EQ(panel->widget(), nullptr) << "a deleted content is forgotten";
}

TEST(GmSubWindow, ConstructionNamesItAndItsActionFollowsTheTitle) {
    QWidget parent;
    QMenu menu;
    Panel panel(63, &menu, &parent);
    EXPECT_EQ(panel.objectName(), QStringLiteral("DockWidget: Panel"));
    EXPECT_TRUE(panel.isHidden());
    EXPECT_EQ(panel.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    ASSERT_TRUE(menu.actions().contains(panel.toggleAction()));
    EXPECT_TRUE(panel.toggleAction()->isCheckable());
    EXPECT_EQ(panel.toggleAction()->shortcut(), QKeySequence(QStringLiteral("F4")));
    EXPECT_EQ(panel.toolTip(), QStringLiteral("Panel (F4)"));
    EXPECT_EQ(panel.toggleAction()->toolTip(), QStringLiteral("Panel (F4)"));
    EXPECT_EQ(panel.toggleAction()->text(), QStringLiteral("Panel"));

    panel.setWindowTitle(QStringLiteral("Navigator"));
    EXPECT_EQ(panel.toggleAction()->text(), QStringLiteral("Navigator"));
    EXPECT_EQ(panel.subWindowData()->titleBar->title(), QStringLiteral("Navigator"));
}

TEST(TitleWidget, DrawsTheTitleBarBlueWithASquareCloseButton) {
    TitleWidget bar(QStringLiteral("Navigator"), nullptr);
    bar.resize(200, 30);
    bar.show();
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(1, 1)), QColor(0, 189, 242));
    EXPECT_EQ(QColor(image.pixel(1, image.height() - 2)), QColor(0, 189, 242));

    TitleButton* button = bar.closeButton();
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    const QSize hint = button->sizeHint();
    EXPECT_EQ(hint.width(), hint.height());
    const int small = button->style()->pixelMetric(QStyle::PM_SmallIconSize);
    EXPECT_LE(hint.width(), small + 4);
    EXPECT_GT(hint.width(), 4);

    TitleButton bare(nullptr);
    EXPECT_EQ(bare.sizeHint(), QSize(4, 4));
    EXPECT_EQ(bare.minimumSizeHint(), QSize(4, 4));
}

}  // namespace
