#include "workspace/ToolBarPalette.h"

#include "workspace/GmTool.h"

#include <QLabel>
#include <QWidgetAction>

ToolBarPalette::ToolBarPalette() : QToolBar(nullptr) {}

ToolBarPalette::~ToolBarPalette() {
    // Our own widget actions die with the bar, after this part of it is gone.
    for (Entry* entry : entries_)
        disconnect(entry->actionAddress, &QObject::destroyed, this, &ToolBarPalette::actionDestroyed);
    qDeleteAll(entries_);
}

QAction* ToolBarPalette::effectiveAction(const Entry* entry) const {
    return entry->tool ? entry->tool->action() : entry->action;
}

int ToolBarPalette::effectiveMask(const Entry* entry) const {
    return entry->tool ? entry->tool->viewTabs() : entry->viewTabs;
}

void ToolBarPalette::addTool(GmTool* tool, const QString& label) {
    auto* entry = new Entry;
    entry->tool = tool;
    entry->label = label;
    addEntry(entry);
}

void ToolBarPalette::addPaletteAction(QAction* action, int viewTabs, const QString& label) {
    auto* entry = new Entry;
    entry->action = action;
    entry->viewTabs = viewTabs;
    entry->label = label;
    addEntry(entry);
}

void ToolBarPalette::addPaletteWidget(QWidget* widget, int viewTabs, const QString& label,
                                      bool separatorBefore) {
    auto* action = new QWidgetAction(this);
    action->setDefaultWidget(widget);
    auto* entry = new Entry;
    entry->action = action;
    entry->viewTabs = viewTabs;
    entry->label = label;
    entry->separatorBefore = separatorBefore;
    addEntry(entry);
}

void ToolBarPalette::addEntry(Entry* entry) {
    entry->actionAddress = effectiveAction(entry);
    connect(effectiveAction(entry), &QObject::destroyed, this, &ToolBarPalette::actionDestroyed);
    if (effectiveMask(entry) & currentTab_)
        showEntry(entry);
    entries_.append(entry);
}

void ToolBarPalette::showEntry(Entry* entry) {
    if (currentTab_ == 2 && !entry->label.isEmpty()) {
        if (!actions().isEmpty())
            addSeparator();
        if (entry->labelAction) {
            addAction(entry->labelAction);
        } else {
            auto* caption = new QLabel(entry->label);
            caption->setAlignment(Qt::AlignCenter);
            caption->show();
            entry->labelAction = addWidget(caption);
        }
    }
    QAction* action = effectiveAction(entry);
    addAction(action);
    if (entry->separatorBefore)
        insertSeparator(action);
}

bool ToolBarPalette::isEntryAction(const QAction* action) const {
    for (const Entry* entry : entries_)
        if (effectiveAction(entry) == action || entry->labelAction == action)
            return true;
    return false;
}

ToolBarPalette::Entry* ToolBarPalette::entryOfTool(const GmTool* tool) const {
    for (Entry* entry : entries_)
        if (entry->tool == tool)
            return entry;
    return nullptr;
}

void ToolBarPalette::viewChanged(int tab) {
    if (currentTab_ != 0 && theCurrentTool && theCurrentTool != theNoTool)
        rememberedEntries_.insert(currentTab_, entryOfTool(theCurrentTool));
    else
        rememberedEntries_.remove(currentTab_);
    currentTab_ = tab;

    // A disabled action still emits when triggered from code, so a remembered entry whose
    // action was disabled meanwhile (the image closed) is no candidate.
    Entry* candidate = rememberedEntries_.value(tab, nullptr);
    if (candidate && (!(effectiveMask(candidate) & tab) || !effectiveAction(candidate)->isEnabled()))
        candidate = nullptr;

    // Captions, widgets and plain actions are shown but never triggered by a tab change: only a
    // tool may be chosen here ("Finish" or "Color" must not run because a tab was shown).
    for (QAction* action : actions()) {
        QWidget::removeAction(action);
        // The separators are the bar's own, made anew for every tab shown: kept, every tab
        // change would leave a few more behind for as long as the window lives.
        if (action->isSeparator() && action->parent() == this && !isEntryAction(action))
            delete action;
    }
    for (Entry* entry : entries_) {
        if (!(effectiveMask(entry) & tab))
            continue;
        showEntry(entry);
        if (!candidate && entry->tool && entry->tool->action()->isEnabled())
            candidate = entry;
    }

    if (candidate) {
        effectiveAction(candidate)->trigger();
        return;
    }
    if (theCurrentTool && (theCurrentTool->viewTabs() & tab))
        return;
    if (theNoTool && theNoTool->isUsable()) {
        if (theCurrentTool != theNoTool)
            theNoTool->action()->trigger();
    } else {
        GmTool::selectDefaultTool();
    }
}

void ToolBarPalette::removePaletteAction(QAction* action) {
    QWidget::removeAction(action);
    dropEntry(action);
}

void ToolBarPalette::updateView() {
    viewChanged(currentTab_);
}

void ToolBarPalette::actionDestroyed(QObject* action) {
    dropEntry(action);
}

void ToolBarPalette::dropEntry(QObject* action) {
    for (int index = 0; index < entries_.size(); ++index) {
        Entry* entry = entries_.at(index);
        if (entry->actionAddress != action)
            continue;
        entries_.removeAt(index);
        // No remembered tab may keep pointing at the freed entry.
        for (auto it = rememberedEntries_.begin(); it != rememberedEntries_.end();) {
            if (it.value() == entry)
                it = rememberedEntries_.erase(it);
            else
                ++it;
        }
        delete entry;
        return;
    }
}
