#pragma once

#include <QObjectCleanupHandler>
#include <QWidget>

class BlendingOptions;
class QBoxLayout;
class QFrame;

/// The base of the option objects whose rows the option tools show (blending, edge finding):
/// a widget that is never shown itself, paints its style-sheet background, and owns the
/// parentless objects it builds through its cleanup handler.
class BlendOptsWidget : public QWidget {
    Q_OBJECT
public:
    explicit BlendOptsWidget(bool persist);
    ~BlendOptsWidget() override;

    /// Shows a record in the controls; nothing for none.
    virtual void loadOptions(BlendingOptions* options) = 0;
    /// Writes the controls into a record; nothing for none.
    virtual void storeOptions(BlendingOptions* options) = 0;
    /// Creates the controls in `layout`.
    virtual void buildControls(QBoxLayout* layout) = 0;

    bool persist;

    /// Whether option panels remember their values between runs: the application's options
    /// when they exist, else the stored "Preferences/PersistOptions" (false when missing or
    /// not plainly a boolean).
    static bool persistOptionsPreference();

protected:
    void paintEvent(QPaintEvent* event) override;

    QObjectCleanupHandler cleanupHandler;
};

/// Draws the style's plain widget background on `widget`, so that style sheets apply to it.
void paintStyledBackground(QWidget* widget);

/// A raised vertical line between the rows of an option tool's panel.
QFrame* raisedVerticalLine();
