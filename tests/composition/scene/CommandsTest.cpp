#include "CompositionFixture.h"
#include "composition/scene/CommandMapper.h"
#include "composition/scene/CopyItemCommand.h"
#include "composition/scene/CreateCutoutItemCommand.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/DeleteItemCommand.h"
#include "composition/scene/EditCutoutCommand.h"
#include "composition/scene/MoveItemBackwardCommand.h"
#include "composition/scene/MoveItemForwardCommand.h"
#include "masking/SavedCutoutState.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using CommandsTest = CompositionFixture;

/// A command that counts its runs.
struct CountingCommand : Command {
    static int runs;
    void execute() override { ++runs; }
};
int CountingCommand::runs = 0;

TEST_F(CommandsTest, MapRunsOneCommandPerTriggerAndNothingWithoutAFactory) {
    CommandMapper* mapper = CommandMapper::instance();
    CountingCommand::runs = 0;
    mapper->map();   // no sender
    QAction unregistered(QStringLiteral("nothing"));
    QObject::connect(&unregistered, &QAction::triggered, mapper, &CommandMapper::map);
    unregistered.trigger();
    EXPECT_EQ(CountingCommand::runs, 0);

    {
        QAction action(QStringLiteral("count"));
        mapper->addCommandFactory<CountingCommand>(&action);
        mapper->addCommandFactory<CountingCommand>(&action);   // still one command per trigger
        const int registered = mapper->factoryCount();
        action.trigger();
        EXPECT_EQ(CountingCommand::runs, 1);
        QPushButton button;
        mapper->addFactory(&button, new CommandFactory<CountingCommand>);
        QObject::connect(&button, &QPushButton::clicked, mapper, &CommandMapper::map);
        button.click();
        EXPECT_EQ(CountingCommand::runs, 2);
        EXPECT_EQ(mapper->factoryCount(), registered + 1);
    }
    EXPECT_EQ(mapper->factoryCount(), 0) << "gone triggers leave no entries behind";
}

TEST_F(CommandsTest, CopyOfTwoMakesTwoCopiesAndSelectsTheLast) {
    CutoutItem* a = addCutout(QSize(10, 10), Qt::red);
    CutoutItem* b = addCutout(QSize(10, 10), Qt::green);
    a->setSelected(true);
    CopyItemCommand().execute();
    ASSERT_EQ(liveItems.size(), 4);
    const QList<FrolixItem*> selected = FrolixItem::selectedItems();
    ASSERT_EQ(selected.size(), 1);
    auto* lastCopy = dynamic_cast<CutoutItem*>(selected.first());
    ASSERT_NE(lastCopy, nullptr);
    EXPECT_NE(lastCopy, a);
    EXPECT_NE(lastCopy, b);
    EXPECT_EQ(lastCopy->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red))
        << "b was selected first, so a is copied last";
}

TEST_F(CommandsTest, DeleteAndMoveWorkOnTheSelection) {
    CutoutItem* a = addCutout(QSize(10, 10), Qt::red);
    CutoutItem* b = addCutout(QSize(10, 10), Qt::green);
    CutoutItem* c = addCutout(QSize(10, 10), Qt::blue);
    for (CutoutItem* item : {a, b, c})
        item->setPos(0, 0);   // all overlap
    view->itemScene()->clearSelection();
    b->setSelected(true);
    MoveItemBackwardCommand().execute();
    EXPECT_LT(b->zValue(), a->zValue());
    MoveItemForwardCommand().execute();
    EXPECT_GT(b->zValue(), a->zValue());
    EXPECT_LT(b->zValue(), c->zValue());

    c->setSelected(true);
    DeleteItemCommand().execute();
    EXPECT_EQ(trashedItems, (QList<FrolixItem*>{b, c}));
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{a}));
    DeleteItemCommand().execute();   // nothing selected now
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{a}));
}

TEST_F(CommandsTest, AFinishedCutoutGoesBackIntoTheItemItCameFrom) {
    CutoutItem* item = addCutout(QSize(10, 10), Qt::red);
    QPixmap edited(20, 30);
    edited.fill(Qt::blue);
    CreateCutoutItemCommand(QPixmap(), item->savedState()).execute();
    EXPECT_EQ(item->localRect(), QRectF(0, 0, 10, 10)) << "a null picture changes nothing";

    item->trash();
    CreateCutoutItemCommand(edited, item->savedState()).execute();
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{item})) << "restored, not left in the trash";
    EXPECT_EQ(item->localRect(), QRectF(0, 0, 20, 30));

    auto* fresh = new SavedCutoutState(nullptr);
    CreateCutoutItemCommand(edited, fresh).execute();
    ASSERT_EQ(liveItems.size(), 2);
    EXPECT_EQ(static_cast<CutoutItem*>(liveItems.last())->savedState(), fresh);
}

TEST_F(CommandsTest, AFailedReopenForgetsTheEditedCutoutAndSaysSo) {
    CutoutItem* item = addCutout(QSize(10, 10), Qt::red);
    QString shown;
    answerNextMessage(QString(), &shown);
    EditCutoutCommand().execute();   // no masking view here, so the reopen fails
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(editedCutoutState, nullptr);
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{item}));

    // A double click reopens too.
    shown.clear();
    answerNextMessage(QString(), &shown);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                       viewPoint(item->sceneBoundingRect().center()));
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(editedCutoutState, nullptr);
}

}  // namespace
