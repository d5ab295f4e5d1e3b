#include "workspace/ImageView.h"

#include "workspace/TqWorkspace.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    qRegisterMetaType<ImageView::ViewTab>("ImageView::ViewTab");
    // A bar and a stack of our own instead of a QTabWidget: a tab records the page it shows, so
    // tabs can share pages and no reordering of the bar moves a page out from under its tab.
    tabBar_ = new QTabBar(this);
    tabBar_->hide();
    pages_ = new QStackedWidget(this);
    connect(tabBar_, &QTabBar::currentChanged, this, &ImageView::currentTabChanged);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabBar_);
    layout->addWidget(pages_);

    workspace_ = new TqWorkspace(this);
    connect(workspace_, &TqWorkspace::sayDisplayedRectChanged, this,
            &ImageView::sayViewportRectChanged);
    addViewTab(workspace_, tr("1. Delete Background", "[frolix]"),
               tr("<p><b>Delete Background</b> (1)</p><p>Delete the unwanted background from your "
                  "image to preserve the object or product.</p><p>Use the <b>Durodedud Viewer</b> "
                  "to see your progress.</p>",
                  "[tip]"),
               QString(), MaskingTab);
    ensureViewTab(MaskingTab, MaskingTab);
}

int ImageView::addViewTab(QWidget* page, const QString& title, const QString& whatsThis,
                          const QString& toolTip, ViewTab tab) {
    QString label = title;
    label.remove(QLatin1Char('&'));
    if (pages_->indexOf(page) < 0)
        pages_->addWidget(page);
    // The record goes in before the bar tab: adding the first tab makes it current at once, and
    // the change handler looks it up.
    tabs_.append(Tab{tab, page});
    const int index = tabBar_->addTab(label);
    tabBar_->setTabWhatsThis(index, whatsThis);
    tabBar_->setTabToolTip(index, toolTip);
    return 0;
}

ImageView::ViewTab ImageView::currentViewTab() const {
    const int index = tabBar_->currentIndex();
    if (index < 0 || index >= tabs_.size())
        return MaskingTab;
    return static_cast<ViewTab>(tabs_.at(index).viewTab);
}

QWidget* ImageView::currentPage() const {
    return pages_->currentWidget();
}

void ImageView::ensureViewTab(int mask, ViewTab fallback) {
    const int index = tabBar_->currentIndex();
    if (index >= 0 && index < tabs_.size() && (tabs_.at(index).viewTab & mask) != 0)
        return;
    for (int candidate = 0; candidate < tabs_.size(); ++candidate) {
        if (tabs_.at(candidate).viewTab == fallback) {
            tabBar_->setCurrentIndex(candidate);
            return;
        }
    }
}

void ImageView::currentTabChanged(int index) {
    if (index < 0 || index >= tabs_.size())
        return;
    pages_->setCurrentWidget(tabs_.at(index).page);
    emit viewTabChanged(currentViewTab());
}

void ImageView::fitImageOnScreenSlot() {
    workspace_->fitToViewport();
}

void ImageView::zoomToSlot(double factor) {
    workspace_->zoomTo(factor);
}

void ImageView::zoomTo100PercentSlot() {
    workspace_->zoomTo(1.0);
}

void ImageView::moveImageViewportToSlot(const QRectF& rect) {
    workspace_->moveTo(rect);
}

void ImageView::panImageViewportSlot(const QPoint& delta) {
    workspace_->panBy(delta);
}

void ImageView::centreViewportOnSlot(const QPoint& imagePoint) {
    workspace_->centreOn(imagePoint);
}
