#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QToolBar>

class GmTool;

/// The tool bar at the left of the main window. For each view tab it shows only the tools,
/// actions and widgets registered for that tab, and it remembers per tab the tool last used there.
class ToolBarPalette : public QToolBar {
    Q_OBJECT
public:
    ToolBarPalette();
    ~ToolBarPalette() override;

    void addTool(GmTool* tool, const QString& label);
    void addPaletteAction(QAction* action, int viewTabs, const QString& label);
    /// The palette wraps the widget in an action of its own.
    void addPaletteWidget(QWidget* widget, int viewTabs, const QString& label,
                          bool separatorBefore);

public slots:
    /// Shows the new tab's entries and makes its remembered tool (or the first enabled tool)
    /// current.
    void viewChanged(int tab);
    /// Takes the action off the bar and drops its entry.
    void removePaletteAction(QAction* action);
    void updateView();
    void actionDestroyed(QObject* action);

private:
    struct Entry {
        GmTool* tool = nullptr;
        QAction* action = nullptr;
        int viewTabs = 0;
        QString label;
        QAction* labelAction = nullptr;
        bool separatorBefore = false;
        // The effective action's address, kept for matching after the action is gone.
        const QObject* actionAddress = nullptr;
    };

    QAction* effectiveAction(const Entry* entry) const;
    int effectiveMask(const Entry* entry) const;
    void addEntry(Entry* entry);
    void showEntry(Entry* entry);
    /// An entry's own action or caption (the bar's separators are not).
    bool isEntryAction(const QAction* action) const;
    void dropEntry(QObject* action);
    Entry* entryOfTool(const GmTool* tool) const;

    QList<Entry*> entries_;
    int currentTab_ = 0;
    QHash<int, Entry*> rememberedEntries_;
};
