#include "common/TitleWidget.h"

#include "common/TitleButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

TitleWidget::TitleWidget(const QString& title, QWidget* parent)
    : QWidget(parent), label_(new QLabel(title, this)), closeButton_(new TitleButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    label_->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_, 1);
    closeButton_->setFocusPolicy(Qt::NoFocus);
    closeButton_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    layout->addWidget(closeButton_, 0, Qt::AlignVCenter);

    QPalette bar = palette();
    bar.setColor(QPalette::Window, QColor(0, 189, 242));
    setPalette(bar);
    setAutoFillBackground(true);
    QPalette text = label_->palette();
    text.setColor(QPalette::WindowText, Qt::white);
    label_->setPalette(text);
    hide();
}

void TitleWidget::setTitle(const QString& title) { label_->setText(title); }

QString TitleWidget::title() const { return label_->text(); }
