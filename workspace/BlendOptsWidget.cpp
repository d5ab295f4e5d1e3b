#include "workspace/BlendOptsWidget.h"

#include "common/PersistOptions.h"
#include "workspace/PersistentWidget.h"

#include <QFrame>
#include <QPainter>
#include <QSettings>
#include <QStyleOption>

BlendOptsWidget::BlendOptsWidget(bool persist) : QWidget(nullptr), persist(persist) {}

BlendOptsWidget::~BlendOptsWidget() = default;

bool BlendOptsWidget::persistOptionsPreference() {
    if (theOptions)
        return theOptions->persistOptions();
    return persistentValueFrom(
        QSettings().value(QStringLiteral("Preferences/") + QStringLiteral("PersistOptions")),
        false);
}

void BlendOptsWidget::paintEvent(QPaintEvent*) {
    paintStyledBackground(this);
}

void paintStyledBackground(QWidget* widget) {
    QStyleOption option;
    option.initFrom(widget);
    QPainter painter(widget);
    widget->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, widget);
}

QFrame* raisedVerticalLine() {
    auto* line = new QFrame;
    line->setFrameStyle(QFrame::VLine | QFrame::Raised);
    return line;
}
