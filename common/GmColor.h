#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QVariant>

class QAction;
class QToolButton;

/// A named colour setting: the colour in use, the default it can be restored to, a committed
/// value it can be reverted to, an action that opens the colour dialog (its icon a swatch of
/// the colour) and, when persisted, its value under "Colors/" in the settings.
///
/// Settings of a persisted colour with key K: "Colors/K" (the colour) and "Colors/K_red",
/// "Colors/K_green", "Colors/K_blue" (0 to 255). Shared by all colours: "Colors/NumCustomColors"
/// and "Colors/CustomColor%1", the colour dialog's custom colours. GUI thread only.
class GmColor : public QObject {
    Q_OBJECT
public:
    /// Reads the stored colour when `persist` is set (the component keys win over the colour
    /// key; out-of-range components are clamped to 0..255, an unreadable colour key gives the
    /// default), else starts at the default.
    GmColor(QColor defaultColor, QString keyName, QString description, bool persist);

    /// Rebuilds a colour from the map of `toVariant` (keys "qColor_", "default_", "keyname_",
    /// "desc_", "persist_"). Reads no settings and, because a map may come from a session file
    /// of unknown origin, never writes any either, whatever its "persist_" says. A missing or
    /// invalid "qColor_" gives the default colour.
    explicit GmColor(const QVariant& map);

    /// A persisted colour writes itself to the settings here, unless they hold it already.
    ~GmColor() override;

    QVariant toVariant() const;

    QColor color() const { return color_; }
    QColor defaultColor() const { return defaultColor_; }
    QString keyName() const { return keyName_; }
    QString description() const { return description_; }

    /// "Change <description> color", with a swatch icon; opens the colour dialog. Made on first
    /// use, owned by this colour.
    QAction* changeAction();

    /// A focus-less tool button showing `changeAction`. Made on first use without a parent:
    /// whoever puts it into a layout owns it from then on; otherwise this colour deletes it.
    QToolButton* toolButton();

    /// Repaints the swatches of the action and the tool button (making them when missing).
    void updateIcons();

signals:
    void colorChanged(QColor color);

public slots:
    void restoreDefaultSlot();
    void revertChangeSlot();
    void commitChangeSlot();

    /// Runs the colour dialog, parented to the main window, starting at the current colour.
    void changeColorSlot();

private:
    void applyColor(const QColor& color);
    /// Whether the settings hold this colour already, in the colour key and its components.
    bool isStored() const;
    QString settingsKey(const char* suffix = "") const;

    QColor color_;
    QColor defaultColor_;
    QColor committedColor_;
    QString keyName_;
    QString description_;
    QSettings settings_;
    QPointer<QAction> changeAction_;
    QPointer<QToolButton> toolButton_;
    int persist_ = 0;
    bool writesSettings_ = false;   // false for a colour rebuilt from a map
};
