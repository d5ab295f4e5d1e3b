#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QString>
#include <QVariant>

/// How a persistent widget reads its value from, and applies it to, the widget it derives from.
/// One specialisation per widget kind; the template below only stores and loads.
template <class W, class T>
struct PersistentValue;

template <>
struct PersistentValue<QSlider, int> {
    static int read(const QSlider& w) { return w.value(); }
    // A one-value range first, so that the value survives until the owner sets the real range,
    // which then clamps it like any other value.
    static void apply(QSlider& w, int v) { w.setRange(v, v); w.setValue(v); }
};

template <>
struct PersistentValue<QSpinBox, int> {
    static int read(const QSpinBox& w) { return w.value(); }
    static void apply(QSpinBox& w, int v) { w.setRange(v, v); w.setValue(v); }
};

template <>
struct PersistentValue<QComboBox, QString> {
    static QString read(const QComboBox& w) { return w.currentText(); }
    static void apply(QComboBox& w, const QString& v) {
        w.insertItem(0, v);
        w.setCurrentIndex(w.findText(v, Qt::MatchExactly | Qt::MatchCaseSensitive));
    }
};

template <>
struct PersistentValue<QRadioButton, bool> {
    static bool read(const QRadioButton& w) { return w.isChecked(); }
    static void apply(QRadioButton& w, bool v) { w.setChecked(v); }
};

template <>
struct PersistentValue<QCheckBox, bool> {
    static bool read(const QCheckBox& w) { return w.isChecked(); }
    static void apply(QCheckBox& w, bool v) { w.setChecked(v); }
};

/// Converts a stored settings value to the widget's value type. Text that is not a number gives
/// 0 or false rather than a default, so that a damaged settings file reads as the widget's
/// lowest value instead of silently as a user choice.
inline int persistentValueFrom(const QVariant& stored, int) {
    if (stored.userType() == QMetaType::Int)
        return stored.toInt();
    bool ok = false;
    const int value = stored.toInt(&ok);
    return ok ? value : 0;
}

inline bool persistentValueFrom(const QVariant& stored, bool) {
    if (stored.userType() == QMetaType::Bool)
        return stored.toBool();
    // INI files hand back text; "true"/"false" and numbers convert, anything else is false.
    const QString text = stored.toString().trimmed().toLower();
    if (text == QLatin1String("true"))
        return true;
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number != 0;
}

inline QString persistentValueFrom(const QVariant& stored, const QString&) {
    return stored.toString();
}

/// A standard input widget W that remembers its value of type T between runs: the value is read
/// from the settings when the widget is built and written back when it is destroyed, but only
/// when `persist` is set at that moment. The settings key is the group, "/" and the label with
/// every space and hyphen removed; it is also the widget's object name.
template <class W, class T>
class PersistentWidget : public W {
public:
    PersistentWidget(const QString& group, const QString& label, const T& defaultValue,
                     bool persist)
        : W(nullptr), persist(persist), label(label) {
        key = group + QLatin1Char('/') + label;
        key.remove(QRegularExpression(QStringLiteral("[ -]")));
        const T value = persistentValueFrom(settings.value(key, QVariant::fromValue(defaultValue)),
                                            defaultValue);
        PersistentValue<W, T>::apply(*this, value);
        this->setObjectName(key);
    }

    ~PersistentWidget() override {
        if (persist)
            settings.setValue(key, QVariant::fromValue(PersistentValue<W, T>::read(*this)));
    }

    PersistentWidget(const PersistentWidget&) = delete;
    PersistentWidget& operator=(const PersistentWidget&) = delete;

    /// Whether the value is written back at destruction; the owner may change it at any time.
    bool persist;
    QSettings settings;
    QString label;
    QString key;
};
