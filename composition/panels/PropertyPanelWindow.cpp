#include "composition/panels/PropertyPanelWindow.h"

#include "composition/panels/ImageItemPanel.h"
#include "composition/panels/NoItemPanel.h"
#include "composition/panels/SpeechBubblePanel.h"
#include "composition/panels/TextFieldItemPanel.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/SpeechBubbleItem.h"
#include "common/TitleButton.h"
#include "common/TitleWidget.h"
#include "workspace/ImageView.h"

#include <QStackedWidget>

struct PropertyPanelWindow::Pages {
    QStackedWidget* stack = nullptr;
    NoItemPanel* noItem = nullptr;
    ImageItemPanel* image = nullptr;
    SpeechBubblePanel* bubble = nullptr;
    TextFieldItemPanel* text = nullptr;
};

PropertyPanelWindow::PropertyPanelWindow(QWidget* /*parent*/)
    : GmSubWindow(QStringLiteral("Property Panel"), QStringLiteral(" "), nullptr, QString(),
                  nullptr),
      d_(std::make_unique<Pages>()) {
    d_->stack = new QStackedWidget;
    // The choosers connect themselves to the item scene in this order.
    d_->noItem = new NoItemPanel;
    d_->image = new ImageItemPanel;
    d_->bubble = new SpeechBubblePanel;
    d_->text = new TextFieldItemPanel;
    d_->stack->addWidget(d_->noItem);
    d_->stack->addWidget(d_->image);
    d_->stack->addWidget(d_->bubble);
    d_->stack->addWidget(d_->text);
    d_->stack->setCurrentWidget(d_->noItem);
    setWidget(d_->stack);
    ItemController::instance()->setPropertyPanel(
        this, [this](const QList<FrolixItem*>& items) { showPanelFor(items); });
    if (GmSubWindowData* data = subWindowData(); data && data->titleBar)
        data->titleBar->closeButton()->hide();
}

PropertyPanelWindow::~PropertyPanelWindow() {
    // The pages go before the frame does: a selection change meanwhile must not reach them.
    if (ItemController::exists()) {
        ItemController* controller = ItemController::instance();
        if (controller->propertyPanel() == this)
            controller->setPropertyPanel(nullptr, {});
    }
}

int PropertyPanelWindow::viewTabs() const { return ImageView::CompositionTab; }

void PropertyPanelWindow::showPanelFor(QList<FrolixItem*> items) {
    QWidget* page = d_->noItem;
    FrolixItem* first = items.isEmpty() ? nullptr : items.first();
    if (dynamic_cast<SpeechBubbleItem*>(first))
        page = d_->bubble;
    else if (dynamic_cast<TextFieldItem*>(first))
        page = d_->text;
    else if (dynamic_cast<CutoutItem*>(first) || (first && FrolixItem::isPlainImage(first)))
        page = d_->image;
    d_->stack->setCurrentWidget(page);
}

QStackedWidget* PropertyPanelWindow::pages() const { return d_->stack; }
NoItemPanel* PropertyPanelWindow::noItemPanel() const { return d_->noItem; }
ImageItemPanel* PropertyPanelWindow::imageItemPanel() const { return d_->image; }
SpeechBubblePanel* PropertyPanelWindow::speechBubblePanel() const { return d_->bubble; }
TextFieldItemPanel* PropertyPanelWindow::textFieldItemPanel() const { return d_->text; }
