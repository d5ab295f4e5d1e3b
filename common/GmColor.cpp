#include "common/GmColor.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QMainWindow>
#include <QPixmap>
#include <QStatusBar>
#include <QToolButton>
#include <QVariantMap>

#include <algorithm>

namespace {

constexpr int swatchSize = 32;

const QString colorQColorKey = QStringLiteral("qColor_");
const QString colorDefaultKey = QStringLiteral("default_");
const QString colorKeyNameKey = QStringLiteral("keyname_");
const QString colorDescriptionKey = QStringLiteral("desc_");
const QString colorPersistKey = QStringLiteral("persist_");

// A stored component that is not a number counts as 0; one outside 0..255 (a hand-edited or
// damaged file) is clamped rather than making the whole colour invalid.
int storedComponent(const QVariant& value) {
    bool ok = false;
    const int component = value.toInt(&ok);
    return ok ? std::clamp(component, 0, 255) : 0;
}

QPixmap swatch(const QColor& color) {
    QPixmap pixmap(swatchSize, swatchSize);
    pixmap.fill(color);
    return pixmap;
}

// The main window, without depending on it: the active one when it is a main window, else the
// first top-level main window there is; null before it exists.
QMainWindow* findMainWindow() {
    if (auto* active = qobject_cast<QMainWindow*>(QApplication::activeWindow()))
        return active;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* widget : topLevels)
        if (auto* window = qobject_cast<QMainWindow*>(widget))
            return window;
    return nullptr;
}

// The colour dialog's custom colours are shared by every colour and loaded once per process.
void loadCustomColorsOnce(QSettings& settings) {
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    const int count = std::min(QColorDialog::customCount(),
                               settings.value(QStringLiteral("Colors/NumCustomColors"), 0).toInt());
    for (int index = 0; index < count; ++index) {
        QColor color = settings.value(QStringLiteral("Colors/CustomColor%1").arg(index),
                                      QColor(Qt::red)).value<QColor>();
        QColorDialog::setCustomColor(index, color.isValid() ? color : QColor(Qt::red));
    }
}

void storeCustomColors(QSettings& settings) {
    const int count = QColorDialog::customCount();
    settings.setValue(QStringLiteral("Colors/NumCustomColors"), count);
    for (int index = 0; index < count; ++index)
        settings.setValue(QStringLiteral("Colors/CustomColor%1").arg(index),
                          QColorDialog::customColor(index));
}

}  // namespace

GmColor::GmColor(QColor defaultColor, QString keyName, QString description, bool persist)
    : defaultColor_(defaultColor),
      committedColor_(defaultColor),
      keyName_(std::move(keyName)),
      description_(std::move(description)),
      persist_(persist ? 1 : 0),
      writesSettings_(persist) {
    if (!persist) {
        color_ = defaultColor_;
        return;
    }
    if (settings_.contains(settingsKey("_red"))) {
        color_ = QColor(storedComponent(settings_.value(settingsKey("_red"), defaultColor_.red())),
                        storedComponent(settings_.value(settingsKey("_green"), defaultColor_.green())),
                        storedComponent(settings_.value(settingsKey("_blue"), defaultColor_.blue())),
                        255);
        return;
    }
    const QColor stored = settings_.value(settingsKey(), defaultColor_).value<QColor>();
    color_ = stored.isValid() ? stored : defaultColor_;
}

GmColor::GmColor(const QVariant& map) {
    const QVariantMap values = map.toMap();
    defaultColor_ = values.value(colorDefaultKey).value<QColor>();
    committedColor_ = defaultColor_;
    const QColor current = values.value(colorQColorKey).value<QColor>();
    color_ = current.isValid() ? current : defaultColor_;
    keyName_ = values.value(colorKeyNameKey).toString();
    description_ = values.value(colorDescriptionKey).toString();
    bool ok = false;
    persist_ = values.value(colorPersistKey).toInt(&ok);
    if (!ok)
        persist_ = 0;
}

GmColor::~GmColor() {
    // Written only when the file holds another colour: a settings object that changed anything
    // rewrites the whole file and waits for the disk when it goes, and the seven display
    // colours doing so at every exit kept the process alive well after its window had gone.
    if (writesSettings_ && persist_ && !isStored()) {
        settings_.setValue(settingsKey(), color_);
        settings_.setValue(settingsKey("_red"), color_.red());
        settings_.setValue(settingsKey("_green"), color_.green());
        settings_.setValue(settingsKey("_blue"), color_.blue());
    }
    if (toolButton_ && !toolButton_->parent())
        delete toolButton_.data();
}

bool GmColor::isStored() const {
    for (const char* suffix : {"_red", "_green", "_blue", ""})
        if (!settings_.contains(settingsKey(suffix)))
            return false;
    const QColor stored(storedComponent(settings_.value(settingsKey("_red"))),
                        storedComponent(settings_.value(settingsKey("_green"))),
                        storedComponent(settings_.value(settingsKey("_blue"))));
    return stored == color_ && settings_.value(settingsKey()).value<QColor>() == color_;
}

QVariant GmColor::toVariant() const {
    QVariantMap values;
    values.insert(colorQColorKey, color_);
    values.insert(colorDefaultKey, defaultColor_);
    values.insert(colorKeyNameKey, keyName_);
    values.insert(colorDescriptionKey, description_);
    values.insert(colorPersistKey, persist_);
    return values;
}

QString GmColor::settingsKey(const char* suffix) const {
    return QStringLiteral("Colors/") + keyName_ + QLatin1String(suffix);
}

QAction* GmColor::changeAction() {
    if (!changeAction_) {
        changeAction_ = new QAction(QIcon(swatch(color_)),
                                    tr("Change ") + description_ + tr(" color"), this);
        connect(changeAction_, &QAction::triggered, this, &GmColor::changeColorSlot);
    }
    return changeAction_;
}

QToolButton* GmColor::toolButton() {
    if (!toolButton_) {
        toolButton_ = new QToolButton();
        toolButton_->setFocusPolicy(Qt::NoFocus);
        toolButton_->setDefaultAction(changeAction());
        toolButton_->setToolTip(tr("Change ") + description_ + tr(" color"));
    }
    return toolButton_;
}

void GmColor::updateIcons() {
    const QIcon icon(swatch(color_));
    changeAction()->setIcon(icon);
    toolButton()->setIcon(icon);
}

void GmColor::applyColor(const QColor& color) {
    color_ = color;
    updateIcons();
    emit colorChanged(color_);
}

void GmColor::restoreDefaultSlot() { applyColor(defaultColor_); }

void GmColor::revertChangeSlot() { applyColor(committedColor_); }

void GmColor::commitChangeSlot() { committedColor_ = color_; }

void GmColor::changeColorSlot() {
    loadCustomColorsOnce(settings_);
    // The window may go away while the dialog runs.
    const QPointer<QMainWindow> window = findMainWindow();
    if (window)
        window->statusBar()->showMessage(tr("Select ") + description_ + tr(" color"));
    const QColor chosen = QColorDialog::getColor(color_, window.data(), QString());
    if (chosen.isValid()) {
        storeCustomColors(settings_);
        applyColor(chosen);
    }
    if (window)
        window->statusBar()->clearMessage();
}
