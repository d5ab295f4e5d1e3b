#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/panels/ItemOpacityChooser.h"
#include "composition/panels/PanelWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QWidget>

#include <memory>

namespace {

using PanelWidgetTest = CompositionFixture;

// A second item kind, so that choosers for one kind can be seen to skip the other.
class OtherItem : public TestPixmapItem {
public:
    using TestPixmapItem::TestPixmapItem;
};

// Binds a test item's x position (as an int) to a slider: what a chooser for one kind does.
class PositionChooser : public PanelWidget<int, OtherItem, QSlider> {
public:
    explicit PositionChooser(QGridLayout* grid = nullptr, const QString& label = QString(),
                             const QString& icon = QString())
        : PanelWidget(grid, QStringLiteral("tip"), label, icon, new QSlider(Qt::Horizontal)) {
        widget()->setRange(0, 1000);
    }
    void applyToItem(OtherItem* item) override { item->setX(widgetValue()); }
    void readFromItem(OtherItem* item) override { setWidgetValue(int(item->x())); }
};

TEST_F(PanelWidgetTest, TheSliderWritesEverySelectedItemAndReadsTheFirst) {
    ItemOpacityChooser chooser;
    const std::unique_ptr<QSlider> owned(chooser.widget());   // no layout takes it here
    QSlider* slider = chooser.widget();
    EXPECT_EQ(slider->minimum(), 10) << "no item can be made fully transparent";
    EXPECT_EQ(slider->value(), 10);
    EXPECT_TRUE(slider->invertedAppearance());

    TestPixmapItem* a = addItem(QSize(20, 20), Qt::red, QPointF(10, 10));
    TestPixmapItem* b = addItem(QSize(20, 20), Qt::blue, QPointF(50, 10));
    TestPixmapItem* untouched = addItem(QSize(20, 20), Qt::green, QPointF(90, 10));
    b->setItemOpacity(0.29);
    b->setSelected(true);
    EXPECT_EQ(slider->value(), 28) << "reads truncate: 0.29 x 100 lies just below 29";
    a->setSelected(true);
    EXPECT_EQ(slider->value(), 28) << "the first selected item is read";

    slider->setValue(50);
    EXPECT_DOUBLE_EQ(a->itemOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(b->itemOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(untouched->itemOpacity(), 1.0);
}

TEST_F(PanelWidgetTest, AReadDuringAFadeShowsTheRealOpacityAndStoresNothing) {
    ItemOpacityChooser chooser;
    const std::unique_ptr<QSlider> owned(chooser.widget());   // no layout takes it here
    TestPixmapItem* a = addItem(QSize(20, 20), Qt::red, QPointF(10, 10));
    a->setItemOpacity(0.8);
    a->setSelected(true);
    a->setFadeProportion(0.25);
    chooser.selectionChangedSlot();
    EXPECT_EQ(chooser.widget()->value(), 80);
    EXPECT_DOUBLE_EQ(a->itemOpacity(), 0.8) << "a read never writes";
}

TEST_F(PanelWidgetTest, RenderedOpacityFollowsTheSlider) {
    ItemOpacityChooser chooser;
    const std::unique_ptr<QSlider> owned(chooser.widget());   // no layout takes it here
    TestPixmapItem* a = addItem(QSize(40, 40), Qt::black, QPointF(100, 100));
    a->setSelected(true);
    chooser.widget()->setValue(50);
    a->setSelected(false);   // no handles or frames in the picture
    FrolixItem::beginFinalRendering();   // the selection's fade-in counts as finished
    const QColor mixed = pixelAt(renderCanvas(), 120, 120);
    FrolixItem::endFinalRendering();
    EXPECT_TRUE(closeColours(mixed, QColor(128, 128, 128), 2)) << mixed.name().toStdString();
}

TEST_F(PanelWidgetTest, OtherKindsAreSkippedAndKeepTheWidgetAsItWas) {
    PositionChooser chooser;
    const std::unique_ptr<QSlider> owned(chooser.widget());
    TestPixmapItem* plain = addItem(QSize(20, 20), Qt::red, QPointF(10, 10));
    auto* other = new OtherItem(view->itemScene(), QSize(20, 20), Qt::red, QPointF(300, 10));

    other->setSelected(true);
    EXPECT_EQ(chooser.widget()->value(), 300);
    other->setSelected(false);
    EXPECT_EQ(chooser.widget()->value(), 300) << "an empty selection leaves the widget alone";

    plain->setSelected(true);
    other->setSelected(true);
    EXPECT_EQ(chooser.widget()->value(), 300)
        << "a first item of another kind leaves the widget alone, whatever follows";
    chooser.widget()->setValue(123);
    EXPECT_DOUBLE_EQ(other->x(), 123);
    EXPECT_DOUBLE_EQ(plain->x(), 10) << "items of other kinds are not written";
}

TEST_F(PanelWidgetTest, AReadDoesNotWriteOtherSelectedItems) {
    PositionChooser chooser;
    const std::unique_ptr<QSlider> owned(chooser.widget());
    auto* first = new OtherItem(view->itemScene(), QSize(20, 20), Qt::red, QPointF(40, 0));
    auto* second = new OtherItem(view->itemScene(), QSize(20, 20), Qt::red, QPointF(200, 0));
    first->setSelected(true);
    second->setSelected(true);
    EXPECT_EQ(chooser.widget()->value(), 40);
    EXPECT_DOUBLE_EQ(second->x(), 200);
}

TEST_F(PanelWidgetTest, GridRowsTakeALabelOrSpanBothColumns) {
    QWidget holder;
    auto* grid = new QGridLayout(&holder);
    PositionChooser spanning(grid);
    PositionChooser labelled(grid, QStringLiteral("Width"));
    ASSERT_EQ(grid->rowCount(), 3) << "an empty grid reports one row, so rows 1 and 2 are used";

    int row, column, rowSpan, columnSpan;
    grid->getItemPosition(grid->indexOf(spanning.widget()), &row, &column, &rowSpan, &columnSpan);
    EXPECT_EQ(QList<int>({row, column, columnSpan}), QList<int>({1, 0, 2}));
    grid->getItemPosition(grid->indexOf(labelled.widget()), &row, &column, &rowSpan, &columnSpan);
    EXPECT_EQ(QList<int>({row, column, columnSpan}), QList<int>({2, 1, 1}));
    auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(2, 0)->widget());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString("Width:"));
    EXPECT_EQ(labelled.widget()->toolTip(), QString("tip"));
}

}  // namespace
