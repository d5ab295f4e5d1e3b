#include "workspace/ToolOptions.h"

#include "workspace/GmTool.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>

ToolOptions* theToolOptions = nullptr;

ToolOptions::ToolOptions(QWidget*) : QWidget(nullptr) {
    setObjectName(QStringLiteral("ToolOptions"));
    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("ToolOptionsLayout"));
    layout->addSpacing(8);
    layout->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    stack_->setObjectName(QStringLiteral("ToolOptionsStackedWidget"));
    layout->addWidget(stack_);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    if (!theToolOptions)
        theToolOptions = this;
}

ToolOptions::~ToolOptions() {
    // Pages that tools share are taken out first: their owners delete them, not the stack.
    while (stack_->count() > 0)
        stack_->widget(0)->setParent(nullptr), stack_->removeWidget(stack_->widget(0));
    if (theToolOptions == this)
        theToolOptions = nullptr;
}

ToolOptions* ToolOptions::shared() {
    if (!theToolOptions)
        new ToolOptions;
    return theToolOptions;
}

void ToolOptions::showTool(GmTool* tool) {
    if (QWidget* widget = tool->optionsWidget()) {
        widget->setObjectName(QStringLiteral("ToolOptionsWidget"));
        if (stack_->indexOf(widget) < 0)
            stack_->addWidget(widget);
        stack_->setCurrentWidget(widget);
    }
    setWindowTitle(tool->title());
    showActionWhatsThis(tool->action());
}

QWidget* emptyPanelWidget() {
    static QPointer<QWidget> panel;
    if (!panel) {
        panel = new QWidget;
        auto* layout = new QVBoxLayout(panel);
        layout->addStretch();
        // Kept until exit: the application deletes it unless a stack holds it then.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, panel,
                         &QObject::deleteLater);
    }
    return panel;
}

void showTipText(const QString&) {}

void showActionWhatsThis(QAction*) {}
