#include "CompositionFixture.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/DustbinSignaller.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/ItemHandle.h"
#include "composition/scene/ItemScene.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using TrashTest = CompositionFixture;

QList<uint> counts(const QSignalSpy& spy) {
    QList<uint> values;
    for (const QList<QVariant>& call : spy)
        values.append(call.at(0).toUInt());
    return values;
}

/// The texts of a menu's entries, "-" for a separator.
QStringList entryTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

/// Chooses, with the Return key, the entry `pick` returns from the next popup menu.
void chooseInNextMenu(const std::function<QAction*(QMenu*)>& pick) {
    QTimer::singleShot(0, [pick] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->setActiveAction(pick(menu));
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

TEST_F(TrashTest, CountsAreReportedOnTrashRestoreAndEmpty) {
    CutoutItem* item = addCutout(QSize(10, 10), Qt::red);
    QSignalSpy spy(theDustbinSignaller, &DustbinSignaller::sizeChanged);
    item->trash();
    EXPECT_EQ(item->scene(), nullptr);
    EXPECT_TRUE(liveItems.isEmpty());
    item->restore();
    FrolixItem::emptyTrash();
    EXPECT_EQ(counts(spy), (QList<uint>{1, 0, 0}));
}

TEST_F(TrashTest, RestoreGivesBackEveryProperty) {
    CutoutItem* item = addCutout(QSize(40, 20), Qt::red);
    CutoutItem* other = addCutout(QSize(40, 20), Qt::blue);
    item->setPos(12, 34);
    item->scaleHandleMoved(item->mapToScene(QPointF(-20, 10)), Qt::NoModifier);   // mirrors
    ASSERT_TRUE(item->isMirrored());
    item->setItemOpacity(0.4);
    item->tintStrength = 0.3f;
    item->saturation = 0.6f;
    item->tintColour = QColor(1, 2, 3, 4);
    item->refreshPixmap();
    const QTransform transform = item->transform();
    const double z = item->zValue();
    SavedCutoutState* state = item->savedState();
    const QList<QPointer<ItemHandle>> handles = item->handles();

    item->trash();
    for (const QPointer<ItemHandle>& handle : handles)
        EXPECT_EQ(handle->scene(), nullptr);
    other->bringToFront();
    item->restore();

    EXPECT_EQ(item->scene(), view->itemScene());
    EXPECT_EQ(item->pos(), QPointF(12, 34));
    EXPECT_EQ(item->transform(), transform);
    EXPECT_TRUE(item->isMirrored());
    EXPECT_DOUBLE_EQ(item->zValue(), z);
    EXPECT_DOUBLE_EQ(item->itemOpacity(), 0.4);
    EXPECT_FLOAT_EQ(item->tintStrength, 0.3f);
    EXPECT_FLOAT_EQ(item->saturation, 0.6f);
    EXPECT_EQ(item->tintColour, QColor(1, 2, 3, 4));
    EXPECT_EQ(item->savedState(), state);
    EXPECT_EQ(item->handles(), handles);
    for (const QPointer<ItemHandle>& handle : handles) {
        EXPECT_EQ(handle->scene(), view->itemScene());
        EXPECT_TRUE(handle->isVisible());
    }
    EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{item}));
    EXPECT_EQ(liveItems.last(), item);
}

TEST(RestoreEntryText, CutsLongTextsAndShowsAmpersands) {
    const QString exactly32(32, QLatin1Char('x'));
    EXPECT_EQ(restoreEntryText(exactly32), exactly32);
    EXPECT_EQ(restoreEntryText(exactly32 + "y"), QString(29, QLatin1Char('x')) + "...");
    EXPECT_EQ(restoreEntryText("Fish & Chips"), "Fish && Chips");
    EXPECT_EQ(restoreEntryText(QString()), QString());
}

TEST_F(TrashTest, EntriesShowTheIconOfAPictureWithoutText) {
    CutoutItem* item = addCutout(QSize(40, 20), Qt::red);
    item->trash();
    ASSERT_NE(item->restoreAction(), nullptr);
    EXPECT_TRUE(item->restoreAction()->text().isEmpty());
    EXPECT_FALSE(item->restoreAction()->icon().isNull());
    EXPECT_EQ(item->restoreAction()->data().value<void*>(), static_cast<FrolixItem*>(item));
}

TEST_F(TrashTest, EmptyingAsksFirstAndCancelKeepsEverything) {
    addCutout(QSize(10, 10), Qt::red)->trash();
    addCutout(QSize(10, 10), Qt::green)->trash();
    answerNextMessage(QMessageBox::tr("Cancel"));
    view->itemScene()->emptyDustbin();
    EXPECT_EQ(trashedItems.size(), 2);

    QSignalSpy spy(theDustbinSignaller, &DustbinSignaller::sizeChanged);
    answerNextMessage(QObject::tr("Empty Trash"));
    view->itemScene()->emptyDustbin();
    EXPECT_TRUE(trashedItems.isEmpty());
    EXPECT_EQ(counts(spy), (QList<uint>{0}));
}

TEST_F(TrashTest, HoveredEntriesPreviewOneItemAtATime) {
    CutoutItem* a = addCutout(QSize(10, 10), Qt::red);
    CutoutItem* b = addCutout(QSize(10, 10), Qt::green);
    a->trash();
    b->trash();
    ItemScene* scene = view->itemScene();
    scene->restoreItemHovered(a->restoreAction());
    EXPECT_EQ(a->scene(), scene);
    EXPECT_EQ(scene->previewedEntry(), a);
    scene->restoreItemHovered(b->restoreAction());
    EXPECT_EQ(a->scene(), nullptr);
    EXPECT_EQ(b->scene(), scene);
    QAction plain(QStringLiteral("Empty Trash"));
    scene->restoreItemHovered(&plain);
    EXPECT_EQ(b->scene(), nullptr);
    EXPECT_EQ(scene->previewedEntry(), nullptr);
    scene->restoreItemHovered(a->restoreAction());
    scene->restoreItemHide();
    EXPECT_EQ(a->scene(), nullptr);
    EXPECT_EQ(trashedItems, (QList<FrolixItem*>{a, b}));
    scene->restoreItemHovered(b->restoreAction());
    FrolixItem::emptyTrash();   // deleting the previewed item takes the preview along
    EXPECT_EQ(scene->previewedEntry(), nullptr);
}

TEST_F(TrashTest, TheMenuListsTheTrashAndRestoresTheChosenItem) {
    CutoutItem* a = addCutout(QSize(10, 10), Qt::red);
    a->trash();
    QStringList texts;
    chooseInNextMenu([&](QMenu* menu) {
        texts = entryTexts(menu);
        return a->restoreAction();
    });
    showDustbinMenu(QPoint(10, 10));
    EXPECT_EQ(texts, (QStringList{"Restore Items", "-", "", "-", "Empty Trash"}));
    EXPECT_TRUE(trashedItems.isEmpty());
    EXPECT_EQ(a->scene(), view->itemScene());

    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_FALSE(menu->actions()[0]->isEnabled());
        EXPECT_EQ(menu->actions()[0]->text(), "Trash is Empty");
        menu->close();
    });
    showDustbinMenu(QPoint(10, 10));
}

TEST_F(TrashTest, TheItemMenuOfACutoutDeletesItIntoTheTrash) {
    CutoutItem* item = addCutout(QSize(40, 40), Qt::red);
    CutoutItem* other = addCutout(QSize(40, 40), Qt::green);
    other->setPos(item->pos() + QPointF(400, 0));
    QStringList texts;
    chooseInNextMenu([&](QMenu* menu) {
        texts = entryTexts(menu);
        EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{item}));
        return menu->actions().at(2);
    });
    const QPoint at = viewPoint(item->sceneBoundingRect().center());
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
    EXPECT_EQ(texts, (QStringList{"Bring Forwards", "Push Backwards", "Delete", "Clone", "-",
                                  "Edit Cut-Out"}));
    EXPECT_EQ(trashedItems, (QList<FrolixItem*>{item}));
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{other}));
}

TEST_F(TrashTest, ClearingTheCanvasKeepsTheTrash) {
    CutoutItem* kept = addCutout(QSize(10, 10), Qt::red);
    addCutout(QSize(10, 10), Qt::green);
    kept->trash();
    ItemController::instance()->clearAll();
    EXPECT_TRUE(liveItems.isEmpty());
    ASSERT_EQ(trashedItems, (QList<FrolixItem*>{kept}));
    kept->restore();
    EXPECT_EQ(kept->scene(), view->itemScene());
}

TEST_F(TrashTest, SelectionFadesInToFullProportion) {
    CutoutItem* a = addCutout(QSize(10, 10), Qt::red);
    CutoutItem* b = addCutout(QSize(10, 10), Qt::green);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !b->fader().timer().isActive(); }, 240000));
    a->setSelected(true);   // b stays selected: both restart
    EXPECT_LT(a->fadeProportion(), 1.0);
    EXPECT_LT(b->fadeProportion(), 1.0);
    EXPECT_DOUBLE_EQ(b->itemOpacity(), 1.0) << "the item's own opacity is not the faded one";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !a->fader().timer().isActive() && !b->fader().timer().isActive(); },
        240000));
    EXPECT_EQ(a->fadeProportion(), 1.0);
    EXPECT_EQ(b->fadeProportion(), 1.0);
    EXPECT_EQ(a->fader().timer().durationMs(), 500);
}

}  // namespace
