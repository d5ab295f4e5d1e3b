#pragma once

#include <QAbstractButton>

/// The close button of a sub-window's title bar: a square flat tool button around its icon,
/// raised while the mouse is over it.
class TitleButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TitleButton(QWidget* parent);

    /// A square of 4 + the icon's larger side at the small-icon size; 4 x 4 without an icon.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void enterEvent(QEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};
