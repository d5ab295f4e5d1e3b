#include "CompositionFixture.h"
#include "SceneDrag.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/CommandMapper.h"
#include "composition/scene/ItemHandle.h"
#include "composition/scene/NewTextFieldCommand.h"
#include "composition/scene/TextFieldItem.h"

#include <QAction>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

class TextFieldItemTest : public CompositionFixture {
protected:
    void SetUp() override {
        CompositionFixture::SetUp();
        view->activateWindow();
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }
    TextFieldItem* newField(const QString& text = QString(), const QPointF& at = QPointF()) {
        return static_cast<TextFieldItem*>(ItemController::instance()->createTextField(text, at));
    }
    static bool editing(const TextFieldItem* item) {
        return item->textInteractionFlags() == Qt::TextEditorInteraction;
    }
    /// The first laid-out line of `item` that does not begin a word, -1 when every line does.
    static int lineBeginningInsideAWord(const TextFieldItem* item) {
        const QString text = item->toPlainText();
        int line = 0;
        for (QTextBlock block = item->document()->begin(); block.isValid(); block = block.next())
            for (int i = 0; i < block.layout()->lineCount(); ++i, ++line) {
                const int start = block.position() + block.layout()->lineAt(i).textStart();
                if (start > block.position() && text.at(start - 1) != QLatin1Char(' '))
                    return line;
            }
        return -1;
    }
    /// A point inside the text, away from its handles.
    static QPointF inside(const TextFieldItem* item) {
        return item->mapToScene(item->boundingRect().center());
    }
};

// Counts the key presses a widget itself receives.
class KeySpy : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }
};

TEST_F(TextFieldItemTest, ANewFieldShowsItsDefaultsReadyToBeOvertyped) {
    TextFieldItem* item = newField();
    EXPECT_EQ(item->toPlainText(), QString("Write text here"));
    EXPECT_EQ(item->font().pointSize(), 32);
    EXPECT_DOUBLE_EQ(item->textWidth(), 160);
    EXPECT_EQ(item->defaultTextColor(), QColor(Qt::black));
    EXPECT_EQ(item->alignment(), Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(item->transform().m11(), 0.5) << "400-pixel canvas";
    EXPECT_DOUBLE_EQ(item->transform().m22(), 0.5);
    EXPECT_TRUE(item->isSelected());
    EXPECT_TRUE(editing(item));
    EXPECT_EQ(item->textCursor().selectedText(), item->toPlainText());
    const QPointF centre = item->sceneBoundingRect().center();
    const QPointF visible = view->visibleSceneRect().center();
    EXPECT_NEAR(centre.x(), visible.x(), 1e-6);
    EXPECT_NEAR(centre.y(), visible.y(), 1e-6);

    QTest::keyClicks(view.get(), "Hi");
    EXPECT_EQ(item->toPlainText(), QString("Hi")) << "typing replaces the default text";
}

// A new field is a narrow column, yet a typed word wider than the column stays whole: lines
// break only after a blank, and the field's box holds the whole word. Whatever faces the
// system has, the widest word is measured in the field's own font, and at least one is wider
// than the column.
TEST_F(TextFieldItemTest, ANewFieldKeepsOrdinaryWordsWhole) {
    struct Typed {
        const char* family;   // null: the new field's own font
        const char* text;
    };
    const Typed rows[] = {{nullptr, "Caption"},
                          {"DejaVu Sans Mono", "Fresh coffee"},
                          {nullptr, "Congratulations everyone"}};
    bool wordWiderThanColumn = false;
    for (const Typed& row : rows) {
        SCOPED_TRACE(row.text);
        TextFieldItem* item = newField();
        if (row.family)
            item->setFontFamily(QFont(QString::fromLatin1(row.family)));
        QTest::keyClicks(view.get(), QString::fromLatin1(row.text));
        const QString text = item->toPlainText();
        ASSERT_EQ(text, QString::fromLatin1(row.text));
        EXPECT_DOUBLE_EQ(item->textWidth(), 160) << "the narrow column stays";

        const double margins = 2 * item->document()->documentMargin();
        const QFontMetricsF metrics(item->font());
        double widest = 0;
        for (const QString& word : text.split(QLatin1Char(' ')))
            widest = std::max(widest, metrics.horizontalAdvance(word));
        wordWiderThanColumn = wordWiderThanColumn || widest > item->textWidth() - margins;
        EXPECT_GE(item->boundingRect().width(), widest + margins - 0.5)
            << "the box holds the widest word";
        ItemHandle* width = item->handles().at(0).data();
        ASSERT_NE(width, nullptr);
        EXPECT_NEAR(width->scenePos().x(), item->mapToScene(item->boundingRect().topRight()).x(), 1)
            << "the width handle sits at the box's edge";

        EXPECT_EQ(lineBeginningInsideAWord(item), -1);
    }
    EXPECT_TRUE(wordWiderThanColumn) << "no row tried a word wider than the column";
}

TEST_F(TextFieldItemTest, ASecondClickEditsAndADragDoesNot) {
    TextFieldItem* item = newField(QStringLiteral("abc"), QPointF(200, 150));
    view->itemScene()->clearSelection();
    ASSERT_FALSE(editing(item));

    clickAt(view.get(), inside(item));
    EXPECT_TRUE(item->isSelected());
    EXPECT_FALSE(editing(item)) << "the first click only selects";
    clickAt(view.get(), inside(item));
    EXPECT_TRUE(editing(item)) << "the second click puts the cursor in";
    EXPECT_TRUE(item->textCursor().selectedText().isEmpty());
    QTest::keyClick(view.get(), Qt::Key_End);
    QTest::keyClicks(view.get(), "de");
    EXPECT_EQ(item->toPlainText(), QString("abcde"));

    view->itemScene()->clearSelection();
    clickAt(view.get(), inside(item));
    const QPointF before = item->pos();
    dragScene(view.get(), inside(item), inside(item) + QPointF(30, 20));
    EXPECT_NEAR(item->pos().x() - before.x(), 30, 1);
    EXPECT_FALSE(editing(item)) << "moving never starts editing";
}

TEST_F(TextFieldItemTest, TheWidthHandleRewrapsAndStopsAtTheLeftEdge) {
    // Words so short that two share a line of the new field's column in any face.
    TextFieldItem* item = newField(QStringLiteral("ab cd ef gh"), QPointF(200, 150));
    ItemHandle* width = item->handles().at(0).data();
    ASSERT_NE(width, nullptr);
    const QPointF left = item->mapToScene(QPointF(0, 0));
    const double heightBefore = item->boundingRect().height();

    dragScene(view.get(), width->scenePos(), left + QPointF(-30, 0));
    EXPECT_DOUBLE_EQ(item->textWidth(), 0) << "never a negative width";
    EXPECT_GT(item->boundingRect().height(), heightBefore) << "rewrapped narrower";
    EXPECT_EQ(lineBeginningInsideAWord(item), -1) << "still only between words";
    EXPECT_DOUBLE_EQ(item->mapToScene(QPointF(0, 0)).x(), left.x()) << "the left edge stays";

    dragScene(view.get(), width->scenePos(), left + QPointF(150, 0));
    EXPECT_NEAR(item->textWidth(), 300, 1) << "150 scene pixels at scale 0.5";
    EXPECT_TRUE(item->isSelected());
    EXPECT_NEAR(width->scenePos().x(), item->mapToScene(item->boundingRect().topRight()).x(), 1)
        << "the handle follows the new width";
}

TEST_F(TextFieldItemTest, ShortcutsWaitWhileTypingAndSpaceWaitsWhileFocused) {
    QAction bringForward;
    bringForward.setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    view->addAction(&bringForward);
    QSignalSpy fired(&bringForward, &QAction::triggered);
    TextFieldItem* item = newField(QStringLiteral("abc"), QPointF(200, 150));

    ASSERT_TRUE(editing(item));
    QTest::keyClick(view.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(fired.count(), 0) << "typing text runs no shortcut";

    // A field as it is built, before any selection: focusable, focused, not edited.
    auto* fresh = new TextFieldItem(view->itemScene(), QStringLiteral("x"), QPointF(100, 80));
    fresh->setFocus();
    ASSERT_TRUE(fresh->hasFocus());
    ASSERT_FALSE(editing(fresh));
    KeySpy spy;
    view->installEventFilter(&spy);
    QTest::keyClick(view.get(), Qt::Key_Space);
    EXPECT_EQ(spy.presses, 0) << "a focused field that is not edited swallows Space";
    QTest::keyClick(view.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(fired.count(), 1) << "shortcuts work again";

    item->startEditing();
    QTest::keyClick(view.get(), Qt::Key_Space);
    EXPECT_EQ(item->toPlainText(), QString(" ")) << "while editing Space is typed";
    view->removeEventFilter(&spy);
}

TEST_F(TextFieldItemTest, DroppedTextIsCentredOnItsPoint) {
    NewTextFieldCommand(QStringLiteral("dropped"), QPointF(120, 80)).execute();
    auto* item = dynamic_cast<TextFieldItem*>(FrolixItem::firstSelectedItem());
    ASSERT_NE(item, nullptr);
    const QPointF centre = item->sceneBoundingRect().center();
    EXPECT_NEAR(centre.x(), 120, 1e-6);
    EXPECT_NEAR(centre.y(), 80, 1e-6);
    EXPECT_EQ(item->toPlainText(), QString("dropped"));
    EXPECT_TRUE(editing(item));
}

TEST_F(TextFieldItemTest, APositionThatIsNoPlaceCountsAsNone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TextFieldItem* item = newField(QStringLiteral("lost"), QPointF(nan, 10));
    EXPECT_TRUE(std::isfinite(item->pos().x()));
    const QPointF centre = item->sceneBoundingRect().center();
    EXPECT_NEAR(centre.x(), view->visibleSceneRect().center().x(), 1e-6);
}

TEST_F(TextFieldItemTest, AddTextMakesTheDefaultFieldInTheVisibleCentre) {
    QAction addText;
    CommandMapper::instance()->addCommandFactory<NewTextFieldCommand>(&addText);
    view->centerOn(QPointF(100, 80));
    addText.trigger();
    ASSERT_EQ(liveItems.size(), 1);
    auto* item = dynamic_cast<TextFieldItem*>(liveItems.first());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->toPlainText(), QString("Write text here"));
    const QPointF centre = item->sceneBoundingRect().center();
    EXPECT_NEAR(centre.x(), view->visibleSceneRect().center().x(), 1e-6);
    EXPECT_NEAR(centre.y(), view->visibleSceneRect().center().y(), 1e-6);
}

TEST_F(TextFieldItemTest, ACloneEqualsItsOriginalOffsetByTheCascade) {
    TextFieldItem* item = newField(QStringLiteral("copy me"), QPointF(200, 150));
    QFont font(QStringLiteral("Serif"));
    item->setFontFamily(font);
    item->setTextWidth(210);
    item->setDefaultTextColor(QColor(10, 120, 30));
    item->setAlignment(Qt::AlignRight);
    item->setTransform(QTransform(item->transform()).rotate(20));

    auto* copy = static_cast<TextFieldItem*>(item->clone());
    EXPECT_EQ(copy->toPlainText(), item->toPlainText());
    EXPECT_EQ(copy->font(), item->font());
    EXPECT_DOUBLE_EQ(copy->textWidth(), 210);
    EXPECT_EQ(copy->defaultTextColor(), QColor(10, 120, 30));
    EXPECT_EQ(copy->alignment(), Qt::AlignRight);
    EXPECT_EQ(copy->transform(), item->transform());
    EXPECT_EQ(copy->pos(), item->pos() + QPointF(10, 10));
    EXPECT_NE(copy->document(), item->document());
    EXPECT_EQ(copy->document()->parent(), copy) << "the copy owns its document";

    delete item;   // the copy's text must not go with it
    EXPECT_EQ(copy->toPlainText(), QString("copy me"));
}

}  // namespace
