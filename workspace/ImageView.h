#pragma once

#include <QList>
#include <QPoint>
#include <QRectF>
#include <QWidget>

class QStackedWidget;
class QTabBar;
class TqWorkspace;

/// The central view: the masking workspace and the composition view as pages, chosen through
/// view tabs. The tab bar stays hidden; tabs change only through `ensureViewTab`, and every change
/// is announced by `viewTabChanged`. Several tabs may show the same page.
class ImageView : public QWidget {
    Q_OBJECT
public:
    /// Bit values of the view tabs; tools and panels carry masks of them.
    // A fixed underlying type: masks and values of tabs added later are plain ints.
    enum ViewTab : int { MaskingTab = 2, CompositionTab = 8 };
    Q_ENUM(ViewTab)

    explicit ImageView(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override { return QSize(400, 300); }

    /// Adds a tab showing `page` (a page already shown by another tab is shared, not added
    /// again); "&" is dropped from the title. Returns 0.
    int addViewTab(QWidget* page, const QString& title, const QString& whatsThis,
                   const QString& toolTip, ViewTab tab);
    /// The current tab's value; 2 when no recorded tab is current.
    ViewTab currentViewTab() const;
    /// Keeps the current tab when its value is in `mask`, else shows the first tab whose value is
    /// `fallback` (nothing happens when there is none).
    void ensureViewTab(int mask, ViewTab fallback);

    TqWorkspace* workspace() const { return workspace_; }
    /// The page the current tab shows.
    QWidget* currentPage() const;
    /// The hidden bar, whose order follows the tab list.
    QTabBar* tabBar() const { return tabBar_; }

signals:
    /// The visible part of the image in image coordinates (all zero: the whole image) and the zoom.
    void sayViewportRectChanged(const QRectF& rect, double zoom);
    void viewTabChanged(ImageView::ViewTab tab);
    void zoomChanged(double zoom);

public slots:
    void fitImageOnScreenSlot();
    void zoomToSlot(double factor);
    void zoomTo100PercentSlot();
    void moveImageViewportToSlot(const QRectF& rect);
    void panImageViewportSlot(const QPoint& delta);
    void centreViewportOnSlot(const QPoint& imagePoint);

private slots:
    void currentTabChanged(int index);

private:
    struct Tab {
        int viewTab;
        QWidget* page;
    };

    QTabBar* tabBar_;
    QStackedWidget* pages_;
    TqWorkspace* workspace_;
    QList<Tab> tabs_;
};

Q_DECLARE_METATYPE(ImageView::ViewTab)
