#pragma once

#include "composition/panels/ColourButton.h"
#include "composition/panels/TruncatedFontComboBox.h"

#include <QButtonGroup>
#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QSignalBlocker>
#include <QSlider>

/// What the panel template needs of each kind of widget: its value, a set that emits nothing,
/// its change signal, and the widget made when a chooser brings none. One overload set per
/// widget type; the template picks by the widget pointer.
namespace PanelWidgetTraits {

inline int widgetValue(const QButtonGroup* group) { return group->checkedId(); }
inline void setWidgetValue(QButtonGroup* group, int id) {
    const QSignalBlocker quiet(group);
    if (QAbstractButton* button = group->button(id))
        button->setChecked(true);
}
/// A click on the checked button counts as a change too, so it applies its value again.
template <typename Receiver, typename Slot>
void connectChange(QButtonGroup* group, Receiver* receiver, Slot slot) {
    QObject::connect(group, &QButtonGroup::idClicked, receiver, slot);
}
/// Button-group choosers always build their own group.
inline QButtonGroup* makeWidget(QButtonGroup*) { return nullptr; }

inline int widgetValue(const QSlider* slider) { return slider->value(); }
inline void setWidgetValue(QSlider* slider, int value) {
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
}
template <typename Receiver, typename Slot>
void connectChange(QSlider* slider, Receiver* receiver, Slot slot) {
    QObject::connect(slider, &QSlider::valueChanged, receiver, slot);
}
inline QSlider* makeWidget(QSlider*) { return new QSlider(Qt::Vertical); }

inline QColor widgetValue(const ColourButton* button) { return button->colour(); }
inline void setWidgetValue(ColourButton* button, const QColor& colour) {
    button->showColour(colour);
}
template <typename Receiver, typename Slot>
void connectChange(ColourButton* button, Receiver* receiver, Slot slot) {
    QObject::connect(button, &ColourButton::colorChanged, receiver, slot);
}
inline ColourButton* makeWidget(ColourButton*) { return new ColourButton; }

inline QFont widgetValue(const TruncatedFontComboBox* box) { return box->currentFont(); }
inline void setWidgetValue(TruncatedFontComboBox* box, const QFont& font) {
    const QSignalBlocker quiet(box);
    box->setCurrentFont(font);
}
template <typename Receiver, typename Slot>
void connectChange(TruncatedFontComboBox* box, Receiver* receiver, Slot slot) {
    QObject::connect(box, &QFontComboBox::currentFontChanged, receiver, slot);
}
inline TruncatedFontComboBox* makeWidget(TruncatedFontComboBox*) {
    return new TruncatedFontComboBox;
}

}  // namespace PanelWidgetTraits
