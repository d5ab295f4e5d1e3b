#include "common/TitleButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>

#include <algorithm>

TitleButton::TitleButton(QWidget* parent) : QAbstractButton(parent) {}

QSize TitleButton::sizeHint() const {
    ensurePolished();
    int side = 4;
    if (!icon().isNull()) {
        const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        const QSize pixmap = icon().actualSize(QSize(iconSize, iconSize));
        side += std::max(pixmap.width(), pixmap.height());
    }
    return QSize(side, side);
}

QSize TitleButton::minimumSizeHint() const { return sizeHint(); }

void TitleButton::enterEvent(QEvent* e) {
    if (isEnabled())
        update();
    QAbstractButton::enterEvent(e);
}

void TitleButton::leaveEvent(QEvent* e) {
    if (isEnabled())
        update();
    QAbstractButton::leaveEvent(e);
}

void TitleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionToolButton option;
    option.initFrom(this);
    option.state |= QStyle::State_AutoRaise;
    if (isEnabled() && underMouse() && !isChecked() && !isDown())
        option.state |= QStyle::State_Raised;
    if (isChecked())
        option.state |= QStyle::State_On;
    if (isDown())
        option.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);

    QRect iconArea = rect();
    if (isDown()) {
        iconArea.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    iconArea.adjust(2, 2, -2, -2);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QIcon::Mode mode = !isEnabled() ? QIcon::Disabled
                             : underMouse() ? QIcon::Active
                                            : QIcon::Normal;
    const QPixmap pixmap = icon().pixmap(QSize(iconSize, iconSize), mode,
                                         isDown() ? QIcon::On : QIcon::Off);
    style()->drawItemPixmap(&painter, iconArea, Qt::AlignCenter, pixmap);
}
