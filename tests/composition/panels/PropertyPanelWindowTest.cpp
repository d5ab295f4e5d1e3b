#include "CompositionFixture.h"
#include "ModalDialogCloser.h"
#include "composition/panels/BringFwdButton.h"
#include "composition/panels/BubbleChooser.h"
#include "composition/panels/BubbleColourChooser.h"
#include "composition/panels/BubbleOpacityChooser.h"
#include "composition/panels/BubbleTypeChooser.h"
#include "composition/panels/CloneButton.h"
#include "composition/panels/DeleteButton.h"
#include "composition/panels/EditCutoutButton.h"
#include "composition/panels/FontChooser.h"
#include "composition/panels/FontColourChooser.h"
#include "composition/panels/FontNameChooser.h"
#include "composition/panels/ImageItemPanel.h"
#include "composition/panels/ImageOverlayChooser.h"
#include "composition/panels/ImageOverlaySlider.h"
#include "composition/panels/ItemOpacityChooser.h"
#include "composition/panels/NoItemPanel.h"
#include "composition/panels/OpacityChooser.h"
#include "composition/panels/PropertyPanelWindow.h"
#include "composition/panels/PushBackButton.h"
#include "composition/panels/SpeechBubblePanel.h"
#include "composition/panels/TextAlignmentChooser.h"
#include "composition/panels/TextFieldItemPanel.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/NewSpeechBubbleCommand.h"
#include "composition/scene/SpeechBubbleItem.h"
#include "composition/scene/TextFieldItem.h"
#include "masking/SavedCutoutState.h"
#include "common/TitleButton.h"
#include "common/TitleWidget.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QSlider>
#include <QStackedWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

class PropertyPanelWindowTest : public CompositionFixture {
protected:
    void SetUp() override {
        CompositionFixture::SetUp();
        lastBubbleBodyShape = 0;
        lastBubbleTailShape = 0;
        panel = std::make_unique<PropertyPanelWindow>();
    }
    void TearDown() override {
        panel.reset();
        FrolixItem::emptyTrash();
        lastBubbleBodyShape = 0;
        lastBubbleTailShape = 0;
        CompositionFixture::TearDown();
    }

    CutoutItem* addPicture(const QColor& colour, const QPointF& at) {
        QPixmap pixmap(60, 60);
        pixmap.fill(colour);
        auto* item = new CutoutItem(view->itemScene(), pixmap, new SavedCutoutState);
        item->setPos(at);
        item->setTransform(QTransform());
        return item;
    }
    TextFieldItem* addText(const QString& text, const QPointF& at) {
        return new TextFieldItem(view->itemScene(), text, at);
    }
    QWidget* page() const { return panel->pages()->currentWidget(); }
    QImage renderSettled() const {
        FrolixItem::beginFinalRendering();
        const QImage image = renderCanvas();
        FrolixItem::endFinalRendering();
        return image;
    }
    /// The darkest grey level inside `area` (scene coordinates) of `image`.
    static int darkest(const QImage& image, const QRectF& area) {
        int least = 255;
        const QRect box = area.toAlignedRect().intersected(image.rect());
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                least = std::min(least, qGray(image.pixel(x, y)));
        return least;
    }
    template <typename Button>
    static Button* buttonOn(QWidget* page) {
        return page->findChild<Button*>();
    }

    std::unique_ptr<PropertyPanelWindow> panel;
};

TEST_F(PropertyPanelWindowTest, ThePageFollowsTheFirstSelectedItem) {
    CutoutItem* picture = addPicture(Qt::blue, QPointF(20, 20));
    TextFieldItem* text = addText(QStringLiteral("text"), QPointF(200, 100));
    auto* bubble = new SpeechBubbleItem;
    view->itemScene()->clearSelection();
    EXPECT_EQ(page(), panel->noItemPanel());

    bubble->setSelected(true);
    text->setSelected(true);
    EXPECT_EQ(page(), panel->speechBubblePanel()) << "a bubble never shows the text page";
    view->itemScene()->clearSelection();
    text->setSelected(true);
    EXPECT_EQ(page(), panel->textFieldItemPanel());
    view->itemScene()->clearSelection();
    picture->setSelected(true);
    text->setSelected(true);
    EXPECT_EQ(page(), panel->imageItemPanel()) << "the text field joins behind the picture";
    view->itemScene()->clearSelection();
    EXPECT_EQ(page(), panel->noItemPanel());

    panel->showPanelFor({nullptr});
    EXPECT_EQ(page(), panel->noItemPanel());
}

TEST_F(PropertyPanelWindowTest, TransparencyReachesEveryKindAndTintOnlyPictures) {
    CutoutItem* picture = addPicture(Qt::black, QPointF(20, 20));
    TextFieldItem* text = addText(QStringLiteral("WWW"), QPointF(250, 150));
    text->setTransform(QTransform());
    const QRectF textArea = text->sceneBoundingRect();
    ASSERT_LT(darkest(renderSettled(), textArea), 60) << "black text before";

    picture->setSelected(true);
    text->setSelected(true);
    ASSERT_EQ(page(), panel->imageItemPanel());
    panel->imageItemPanel()->opacityChooser()->opacityChooser()->widget()->setValue(50);
    EXPECT_DOUBLE_EQ(picture->itemOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(text->itemOpacity(), 0.5);
    view->itemScene()->clearSelection();
    const QImage half = renderSettled();
    EXPECT_TRUE(closeColours(pixelAt(half, 50, 50), QColor(128, 128, 128), 2))
        << pixelAt(half, 50, 50).name().toStdString();
    EXPECT_NEAR(darkest(half, textArea), 128, 20) << "the darkest text is half grey";

    picture->setSelected(true);
    text->setSelected(true);
    panel->imageItemPanel()->tintControls()->strengthChooser()->widget()->setValue(51);
    EXPECT_FLOAT_EQ(picture->tintStrength, 0.51f);
    view->itemScene()->clearSelection();
    picture->setSelected(true);
    EXPECT_EQ(panel->imageItemPanel()->tintControls()->strengthChooser()->widget()->value(), 50)
        << "0.51 in single precision lies just below 0.51";
}

TEST_F(PropertyPanelWindowTest, AReadDuringAFadeShowsTheItemsOwnOpacity) {
    TextFieldItem* text = addText(QStringLiteral("fading"), QPointF(200, 150));
    text->setItemOpacity(0.8);
    text->setSelected(true);
    ASSERT_LT(text->fadeProportion(), 1.0) << "a selection starts the fade-in";
    QSlider* slider = panel->textFieldItemPanel()->opacityChooser()->opacityChooser()->widget();
    EXPECT_EQ(slider->value(), 80);
}

TEST_F(PropertyPanelWindowTest, WrongKindsAndEmptySelectionsLeaveTheWidgetsAlone) {
    TextFieldItem* text = addText(QStringLiteral("red"), QPointF(200, 150));
    text->setDefaultTextColor(Qt::red);
    CutoutItem* picture = addPicture(Qt::blue, QPointF(20, 20));
    ColourButton* colour =
        panel->textFieldItemPanel()->fontChooser()->fontColourChooser()->widget();
    text->setSelected(true);
    EXPECT_EQ(colour->colour(), QColor(Qt::red));
    view->itemScene()->clearSelection();
    picture->setSelected(true);
    text->setSelected(true);
    EXPECT_EQ(colour->colour(), QColor(Qt::red));
    view->itemScene()->clearSelection();
    EXPECT_EQ(colour->colour(), QColor(Qt::red));
    EXPECT_EQ(text->defaultTextColor(), QColor(Qt::red)) << "no read writes";
}

TEST_F(PropertyPanelWindowTest, ACancelledTextColourDialogChangesNothing) {
    TextFieldItem* text = addText(QStringLiteral("keep"), QPointF(200, 150));
    text->setDefaultTextColor(Qt::darkGreen);
    text->setSelected(true);
    panel->show();
    ColourButton* colour =
        panel->textFieldItemPanel()->fontChooser()->fontColourChooser()->widget();
    ModalDialogCloser closer([](QDialog*) {}, QDialog::Rejected);
    QTest::mouseClick(colour, Qt::LeftButton);
    EXPECT_EQ(closer.closed(), 1);
    EXPECT_EQ(text->defaultTextColor(), QColor(Qt::darkGreen));
}

TEST_F(PropertyPanelWindowTest, TheBubbleTypeAppliesAndBecomesTheNextBubblesType) {
    auto* bubble = new SpeechBubbleItem;
    bubble->selectAlone();
    ASSERT_EQ(page(), panel->speechBubblePanel());
    BubbleTypeChooser* types = panel->speechBubblePanel()->bubbleChooser()->typeChooser();
    EXPECT_TRUE(types->buttons().at(0)->isChecked()) << "a new bubble reads as type 0";
    QTest::mouseClick(types->buttons().at(2), Qt::LeftButton);
    EXPECT_EQ(bubble->bodyShape(), 1);
    EXPECT_EQ(bubble->tailShape(), 1);
    bubble->setShapes(0, 0);
    QTest::mouseClick(types->buttons().at(2), Qt::LeftButton);
    EXPECT_EQ(bubble->tailShape(), 1) << "a click on the checked button applies again";

    NewSpeechBubbleCommand().execute();
    auto* next = dynamic_cast<SpeechBubbleItem*>(FrolixItem::firstSelectedItem());
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, bubble);
    EXPECT_EQ(next->bodyShape(), 1);
    EXPECT_EQ(next->tailShape(), 1);
    EXPECT_TRUE(next->textInteractionFlags() & Qt::TextEditable);
}

TEST_F(PropertyPanelWindowTest, TheAlignmentButtonsReadAndWriteTheDocument) {
    TextFieldItem* text = addText(QStringLiteral("aligned"), QPointF(200, 150));
    text->setSelected(true);
    const QList<QToolButton*> buttons =
        panel->textFieldItemPanel()->fontChooser()->alignmentChooser()->buttons();
    ASSERT_EQ(buttons.size(), 4);
    EXPECT_TRUE(buttons.at(2)->isChecked()) << "new fields are centred";
    QTest::mouseClick(buttons.at(1), Qt::LeftButton);
    EXPECT_EQ(text->alignment(), Qt::AlignRight);
    text->setAlignment(Qt::AlignRight | Qt::AlignTop);
    view->itemScene()->clearSelection();
    text->setSelected(true);
    EXPECT_TRUE(buttons.at(1)->isChecked()) << "a mixed alignment leaves the buttons alone";
}

TEST_F(PropertyPanelWindowTest, TextChoosersReachTextFieldsAndBubblesAlike) {
    TextFieldItem* small = addText(QStringLiteral("small"), QPointF(100, 100));
    auto* bubble = new SpeechBubbleItem;
    QFont smallFont = small->font();
    smallFont.setPointSize(20);
    small->setFont(smallFont);
    small->setSelected(true);
    bubble->setSelected(true);
    FontChooser* text = panel->textFieldItemPanel()->fontChooser();

    text->fontColourChooser()->widget()->setColor(Qt::blue);
    EXPECT_EQ(small->defaultTextColor(), QColor(Qt::blue));
    EXPECT_EQ(bubble->defaultTextColor(), QColor(Qt::blue)) << "a bubble is a text field";

    TruncatedFontComboBox* box = text->fontNameChooser()->widget();
    int other = 0;
    while (other < box->count() && box->itemText(other) == small->font().family())
        ++other;
    ASSERT_LT(other, box->count()) << "the test needs two font families";
    box->setCurrentIndex(other);
    EXPECT_EQ(small->font().family(), box->currentFont().family());
    EXPECT_EQ(bubble->font().family(), box->currentFont().family());
    EXPECT_EQ(small->font().pointSize(), 20) << "each item keeps its own size";
    EXPECT_EQ(bubble->font().pointSize(), 32);
}

TEST_F(PropertyPanelWindowTest, BubbleColourAndOpacityLeaveEachOtherAlone) {
    auto* bubble = new SpeechBubbleItem;
    bubble->selectAlone();
    BubbleChooser* choosers = panel->speechBubblePanel()->bubbleChooser();
    QSlider* opacity = choosers->opacityChooser()->widget();
    EXPECT_EQ(opacity->value(), 255);
    EXPECT_TRUE(opacity->invertedAppearance());
    opacity->setValue(100);
    EXPECT_EQ(bubble->bubbleColour(), QColor(255, 255, 255, 100));
    choosers->colourChooser()->widget()->setColor(QColor(0, 200, 0));
    EXPECT_EQ(bubble->bubbleColour(), QColor(0, 200, 0, 100)) << "the transparency stays";
    opacity->setValue(30);
    EXPECT_EQ(bubble->bubbleColour(), QColor(0, 200, 0, 30)) << "the colour stays";
}

struct ButtonCase {
    const char* text;
    const char* shortcut;
};

TEST_F(PropertyPanelWindowTest, ButtonsCarryTheirTextsToolTipsAndShortcuts) {
    QWidget* textPage = panel->textFieldItemPanel();
    const QList<QPair<QToolButton*, ButtonCase>> rows = {
        {buttonOn<BringFwdButton>(textPage), {"Bring Item Forward", "Ctrl+F"}},
        {buttonOn<PushBackButton>(textPage), {"Push Item Backward", "Ctrl+B"}},
        {buttonOn<DeleteButton>(textPage),
         {"Delete Item. Right-click to Restore Deleted Items", "Del"}},
        {buttonOn<CloneButton>(textPage), {"Clone Item", "Ctrl+X"}},
        {buttonOn<EditCutoutButton>(panel->imageItemPanel()), {"Edit Cut-Out", "Ctrl+E"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.second.text);
        ASSERT_NE(row.first, nullptr);
        EXPECT_EQ(row.first->text(), QString(row.second.text));
        EXPECT_EQ(row.first->shortcut().toString(), QString(row.second.shortcut));
        EXPECT_EQ(row.first->toolTip(),
                  QString("%1 (%2)").arg(row.second.text, row.second.shortcut));
        EXPECT_EQ(row.first->iconSize(), QSize(32, 32));
        EXPECT_FALSE(row.first->icon().isNull());
    }
}

TEST_F(PropertyPanelWindowTest, ThePageButtonsRunTheirCommands) {
    TextFieldItem* text = addText(QStringLiteral("twice"), QPointF(200, 150));
    text->setSelected(true);
    QWidget* textPage = panel->textFieldItemPanel();
    QTest::mouseClick(buttonOn<CloneButton>(textPage), Qt::LeftButton);
    ASSERT_EQ(liveItems.size(), 2);
    auto* copy = dynamic_cast<TextFieldItem*>(FrolixItem::firstSelectedItem());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_EQ(copy->toPlainText(), QString("twice"));

    QTest::mouseClick(buttonOn<DeleteButton>(panel->speechBubblePanel()), Qt::LeftButton);
    EXPECT_EQ(liveItems.size(), 1);
    EXPECT_EQ(trashedItems.size(), 1);
}

TEST_F(PropertyPanelWindowTest, OnlyTheShownPageAnswersAShortcut) {
    TextFieldItem* lower = addText(QStringLiteral("lower"), QPointF(200, 150));
    TextFieldItem* upper = addText(QStringLiteral("upper"), QPointF(205, 152));
    ASSERT_LT(lower->zValue(), upper->zValue());
    lower->setSelected(true);
    panel->show();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    auto* fwd = buttonOn<BringFwdButton>(panel->textFieldItemPanel());
    QSignalSpy clicks(fwd, &QAbstractButton::clicked);
    QTest::keyClick(panel.get(), Qt::Key_F, Qt::ControlModifier);
    // A shortcut clicks the button the animated way, from the event loop.
    ASSERT_TRUE(clicks.count() == 1 || clicks.wait(5000));
    EXPECT_GT(lower->zValue(), upper->zValue()) << "brought forward past the one it overlaps";
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(liveItems.size(), 2);
}

TEST_F(PropertyPanelWindowTest, TheEmptyPageShowsDeleteOnlyWhileTheTrashHoldsItems) {
    DeleteButton* button = panel->noItemPanel()->deleteButton();
    EXPECT_TRUE(button->isHidden());
    TextFieldItem* text = addText(QStringLiteral("bin me"), QPointF(200, 150));
    text->trash();
    EXPECT_FALSE(button->isHidden());
    FrolixItem::emptyTrash();
    EXPECT_TRUE(button->isHidden());
}

TEST_F(PropertyPanelWindowTest, ARightClickOnDeleteRestoresFromTheTrashMenu) {
    TextFieldItem* text = addText(QStringLiteral("come back"), QPointF(200, 150));
    text->trash();
    panel->show();
    DeleteButton* button = panel->noItemPanel()->deleteButton();
    ASSERT_TRUE(button->isVisible());

    QStringList entries;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            entries << action->text();
            if (action->data().value<void*>() == static_cast<FrolixItem*>(text))
                menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &click);

    EXPECT_TRUE(entries.contains(QStringLiteral("come back"))) << entries.join("|").toStdString();
    EXPECT_TRUE(liveItems.contains(text));
    EXPECT_TRUE(trashedItems.isEmpty());
    EXPECT_TRUE(button->isHidden()) << "the trash is empty again";
}

TEST_F(PropertyPanelWindowTest, ThePanelLivesInTheCompositionTabWithoutACloseButton) {
    EXPECT_EQ(panel->objectName(), QString("DockWidget: Property Panel"));
    EXPECT_EQ(panel->windowTitle(), QString(" "));
    EXPECT_EQ(panel->viewTabs(), 8);
    EXPECT_TRUE(panel->subWindowData()->titleBar->closeButton()->isHidden());
    panel->viewTabChangedSlot(2);
    EXPECT_FALSE(panel->toggleAction()->isEnabled());
    panel->viewTabChangedSlot(8);
    EXPECT_TRUE(panel->toggleAction()->isEnabled());
}

TEST_F(PropertyPanelWindowTest, ANewPanelLeavesThePicturesTintAlone) {
    CutoutItem* picture = addPicture(Qt::blue, QPointF(20, 20));
    picture->tintColour = QColor(0, 0, 255);
    picture->setSelected(true);
    PropertyPanelWindow second;
    EXPECT_EQ(picture->tintColour, QColor(0, 0, 255));
    panel.reset();
}

TEST_F(PropertyPanelWindowTest, APanelDestroyedBeforeTheSceneIsForgotten) {
    TextFieldItem* text = addText(QStringLiteral("after"), QPointF(200, 150));
    panel.reset();
    EXPECT_EQ(ItemController::instance()->propertyPanel(), nullptr);
    text->setSelected(true);   // reaches no destroyed panel
    view->itemScene()->clearSelection();
}

}  // namespace
