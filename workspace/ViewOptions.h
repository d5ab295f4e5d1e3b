#pragma once

#include "workspace/PersistentWidget.h"

#include <QPointer>
#include <QWidget>

class QHBoxLayout;

/// The small panel at the right of the status bar. Besides the zoom controls the main window
/// puts into it, it owns the switch that decides whether the masking canvas draws the vector
/// edges: a check box kept as state, outside the layout, driven by the slots below.
class ViewOptions : public QWidget {
    Q_OBJECT
public:
    ViewOptions();
    /// Deletes the check box, which has no parent.
    ~ViewOptions() override;

    /// Whether the canvas is to draw the vector edges: the box exists and is checked.
    bool showsVectorEdges() const;

    QHBoxLayout* layout;
    QPointer<PersistentWidget<QCheckBox, bool>> showEdgesBox;

    /// Forgets the state remembered by the first switch-off, as if no panel had been made
    /// yet; the state is shared by every panel of the process.
    static void resetRememberedState();

signals:
    void modified();
    void showVectorEdges(bool show);

public slots:
    void setShowVectorEdges(bool show);
    /// Switching off remembers the box's state and unchecks it; switching on brings the
    /// remembered state back.
    void setShowVectorEdgesEnabled(bool enabled);
    void showVectorEdgesSlot(bool checked);
};

/// The panel while it exists, else null.
extern ViewOptions* theViewOptions;
