#include "common/GmSubWindow.h"

#include "common/FakeDock.h"
#include "common/GmSubWindowLayout.h"
#include "common/TitleButton.h"
#include "common/TitleWidget.h"

#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QSizeGrip>

GmSubWindow::GmSubWindow(const QString& name, const QString& title, QWidget* actionHolder,
                         const QString& shortcut, QWidget* parent)
    : QWidget(parent, Qt::Tool), d_(std::make_unique<GmSubWindowData>()) {
    d_->owner = this;
    d_->homeParent = parent;

    d_->layout = new GmSubWindowLayout(this);
    d_->layout->setContentsMargins(0, 0, 0, 0);
    d_->titleBar = new TitleWidget(QStringLiteral("Title"), this);
    d_->layout->addWidget(d_->titleBar);
    d_->toggleAction = new QAction(this);
    d_->toggleAction->setCheckable(true);
    connect(d_->toggleAction, &QAction::triggered, this, &GmSubWindow::toggleViewSlot);
    connect(d_->titleBar->closeButton(), &QAbstractButton::clicked, this,
            &GmSubWindow::closeViewSlot);

    setObjectName(QStringLiteral("DockWidget: ") + name);
    setWindowTitle(title);

    if (actionHolder) {
        if (!shortcut.isEmpty())
            d_->toggleAction->setShortcut(QKeySequence(shortcut));
        actionHolder->addAction(d_->toggleAction);
    }
    if (!shortcut.isEmpty()) {
        const QString tip = title + QStringLiteral(" (") + shortcut + QLatin1Char(')');
        setToolTip(tip);
        d_->toggleAction->setToolTip(tip);
    }
}

GmSubWindow::~GmSubWindow() = default;

bool GmSubWindow::canFloat() const { return true; }

int GmSubWindow::viewTabs() const { return 63; }

QAction* GmSubWindow::toggleAction() const { return d_->toggleAction; }

GmSubWindowData* GmSubWindow::subWindowData() const { return d_.get(); }

QWidget* GmSubWindow::widget() const { return d_->content; }

bool GmSubWindow::isResizable() const { return d_->resizable; }

void GmSubWindow::setWidget(QWidget* content) {
    QWidget* previous = d_->content;
    d_->content = content;
    if (content && content != previous) {
        // Added before the old content goes, so content that lived inside it is taken out first.
        d_->layout->addWidget(content, 1);
        if (QLayout* inner = content->layout()) {
            inner->setContentsMargins(0, 0, 0, 0);
            inner->setSpacing(5);
        }
    }
    if (previous && previous != content) {
        d_->layout->removeWidget(previous);
        previous->hide();
        previous->deleteLater();   // it may be the sender of the signal that brought us here
    }
    d_->layout->setContentsMargins(2, 2, 2, 2);
    d_->layout->setSpacing(5);
}

void GmSubWindow::keepFloatingGeometry() { d_->floatingGeometry = saveGeometry(); }

void GmSubWindow::setFloating(bool floating, bool keepGeometry) {
    if (floating) {
        if (!keepGeometry && isWindow()) {
            updateVisibility();
            return;
        }
        if (d_->dock)
            d_->dock->removeSubWindow(this);
        setParent(d_->homeParent, Qt::Tool);
        d_->titleBar->hide();
        if (!d_->resizable) {
            d_->layout->setSizeConstraint(QLayout::SetFixedSize);
        } else if (!d_->sizeGrip) {
            d_->sizeGrip = new QSizeGrip(this);
            placeSizeGrip();
            d_->sizeGrip->show();
        }
        if (!keepGeometry)
            restoreFloatingGeometry();
        updateVisibility();
        return;
    }

    if (!d_->dock) {
        if (!keepGeometry)
            updateVisibility();
        return;
    }
    // A docked sub-window's geometry is relative to the dock: keeping it would make the next
    // float open somewhere meaningless.
    if (!keepGeometry && isWindow())
        keepFloatingGeometry();
    if (!d_->resizable) {
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        d_->layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    }
    delete d_->sizeGrip;
    d_->sizeGrip = nullptr;
    setWindowFlags(Qt::WindowFlags());
    // Hidden on purpose, so that the dock's layout does not show it behind our back: only
    // updateVisibility decides.
    hide();
    d_->titleBar->show();
    d_->dock->addSubWindow(this);
    if (!keepGeometry)
        updateVisibility();
}

void GmSubWindow::updateVisibility() {
    const bool wanted = d_->wantedShown && !d_->suppressed && d_->toggleAction->isEnabled();
    if (wanted == isVisibleTo(parentWidget()))
        return;
    if (wanted) {
        d_->titleBar->setVisible(!isWindow());
        emit visibilityChanged();
        show();
    } else {
        if (isWindow())
            keepFloatingGeometry();
        hide();
    }
}

void GmSubWindow::restoreFloatingGeometry() {
    if (!d_->floatingGeometry.isEmpty()) {
        restoreGeometry(d_->floatingGeometry);
    } else {
        if (d_->defaultFloatingSize.isValid())   // (-1, -1) until the main window sets one
            resize(d_->defaultFloatingSize);
        move(d_->defaultFloatingPosition);
    }
    if (d_->wantedShown)
        show();
}

QByteArray GmSubWindow::saveState() {
    if (isWindow())
        keepFloatingGeometry();
    QByteArray state(1, d_->wantedShown ? '\1' : '\0');
    state.append(d_->floatingGeometry);
    return state;
}

void GmSubWindow::setResizable(bool resizable) {
    if (resizable == d_->resizable)
        return;
    d_->resizable = resizable;
    d_->layout->setSizeConstraint(QLayout::SetDefaultConstraint);
}

void GmSubWindow::closeViewSlot() {
    d_->wantedShown = false;
    updateVisibility();
}

void GmSubWindow::toggleViewSlot(bool b) {
    d_->wantedShown = b;
    if (b)
        d_->suppressed = false;
    updateVisibility();
}

void GmSubWindow::viewTabChangedSlot(int viewTab) {
    d_->toggleAction->setEnabled((viewTabs() & viewTab) != 0);
    updateVisibility();
}

bool GmSubWindow::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::Close:
        d_->wantedShown = false;
        [[fallthrough]];
    case QEvent::Show:
    case QEvent::Hide:
        emit visibilityChanged();
        d_->toggleAction->setChecked(e->type() == QEvent::Show);
        break;
    case QEvent::ChildRemoved:
        if (static_cast<QChildEvent*>(e)->child() == d_->content)
            d_->content = nullptr;
        break;
    case QEvent::WindowTitleChange:
        d_->toggleAction->setText(windowTitle());
        d_->titleBar->setTitle(windowTitle());
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void GmSubWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Escape:
        emit escapeKeyPressed(e);
        e->accept();
        break;
    case Qt::Key_Backspace:
        // A panel holding the keyboard focus must not swallow the key that deletes the active
        // patch; taken here, it never reaches the window behind.
        emit deleteKeyPressed();
        e->accept();
        break;
    default:
        e->ignore();   // travels on to the main window
        break;
    }
}

void GmSubWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    placeSizeGrip();
}

void GmSubWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::LayoutDirectionChange)
        placeSizeGrip();
    QWidget::changeEvent(e);
}

void GmSubWindow::placeSizeGrip() {
    QSizeGrip* grip = d_->sizeGrip;
    if (!grip)
        return;
    grip->resize(grip->sizeHint());
    QRect area = grip->rect();
    if (QApplication::isRightToLeft())
        area.moveBottomLeft(rect().bottomLeft());
    else
        area.moveBottomRight(rect().bottomRight());
    grip->setGeometry(area);
}
