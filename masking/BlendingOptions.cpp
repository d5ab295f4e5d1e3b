#include "masking/BlendingOptions.h"

#include <QCoreApplication>
#include <QVariantMap>

#include <cmath>

namespace {

float readFloat(const QVariant& value, float fallback) {
    const float read = float(value.toDouble());
    return std::isfinite(read) ? read : fallback;
}

bool readBool(const QVariant& value) {
    return value.canConvert<bool>() ? value.toBool() : false;
}

// The map of a colour setting (its "qColor_", "default_", "keyname_", "desc_" and "persist_"),
// never persisted: an override colour belongs to the session, not to the settings.
QVariant colourMap(const QColor& colour, const QColor& defaultColour, const char* keyName) {
    QVariantMap values;
    values.insert(QStringLiteral("qColor_"), colour);
    values.insert(QStringLiteral("default_"), defaultColour);
    values.insert(QStringLiteral("keyname_"), QString::fromLatin1(keyName));
    values.insert(QStringLiteral("desc_"), QCoreApplication::translate("GmColor", keyName));
    values.insert(QStringLiteral("persist_"), 0);
    return values;
}

QColor readColour(const QVariant& map, const QColor& fallback) {
    const QVariantMap values = map.toMap();
    const QColor colour = values.value(QStringLiteral("qColor_")).value<QColor>();
    if (colour.isValid())
        return colour;
    const QColor defaultColour = values.value(QStringLiteral("default_")).value<QColor>();
    return defaultColour.isValid() ? defaultColour : fallback;
}

}  // namespace

BlendingOptions::BlendingOptions(const QVariant& map) {
    const QVariantMap values = map.toMap();
    const BlendingOptions defaults;
    auto present = [&values](const char* key) { return values.contains(QLatin1String(key)); };
    auto value = [&values](const char* key) { return values.value(QLatin1String(key)); };

    autoBlueWidthF_ = qBound(0.0f, readFloat(value("autoBlueWidthF_"), defaults.autoBlueWidthF_),
                             maximumAutoBlueWidth);
    blendRatioF_ = qBound(0.0f, readFloat(value("blendRatioF_"), defaults.blendRatioF_), 1.0f);
    isPatchBlendRatioTrackingImage_ = readBool(value("isPatchBlendRatioTrackingImage_"));
    feather_ = value("feather_").toInt();
    if (present("isChoices_"))
        isChoices_ = readBool(value("isChoices_"));
    if (present("choices1F_"))
        choices1F_ = readFloat(value("choices1F_"), defaults.choices1F_);
    if (present("choices2F_"))
        choices2F_ = readFloat(value("choices2F_"), defaults.choices2F_);
    if (present("isMembrane_"))
        isMembrane_ = readBool(value("isMembrane_"));
    if (present("membrane1F_"))
        membrane1F_ = readFloat(value("membrane1F_"), defaults.membrane1F_);
    if (present("isUniformBg_"))
        isUniformBg_ = readBool(value("isUniformBg_"));
    fgChecked_ = readBool(value("fgChecked_"));
    fgOverride_ = readColour(value("fgOverride_"), defaults.fgOverride_);
    bgChecked_ = readBool(value("bgChecked_"));
    bgOverride_ = readColour(value("bgOverride_"), defaults.bgOverride_);
}

QVariant BlendingOptions::toVariant() const {
    QVariantMap values;
    values.insert(QStringLiteral("autoBlueWidthF_"), autoBlueWidthF_);
    values.insert(QStringLiteral("blendRatioF_"), blendRatioF_);
    values.insert(QStringLiteral("isPatchBlendRatioTrackingImage_"),
                  isPatchBlendRatioTrackingImage_);
    values.insert(QStringLiteral("feather_"), feather_);
    values.insert(QStringLiteral("isChoices_"), isChoices_);
    values.insert(QStringLiteral("choices1F_"), choices1F_);
    values.insert(QStringLiteral("choices2F_"), choices2F_);
    values.insert(QStringLiteral("isMembrane_"), isMembrane_);
    values.insert(QStringLiteral("membrane1F_"), membrane1F_);
    values.insert(QStringLiteral("isUniformBg_"), isUniformBg_);
    values.insert(QStringLiteral("fgChecked_"), fgChecked_);
    values.insert(QStringLiteral("fgOverride_"),
                  colourMap(fgOverride_, Qt::white, QT_TRANSLATE_NOOP("GmColor", "Foreground Override")));
    values.insert(QStringLiteral("bgChecked_"), bgChecked_);
    values.insert(QStringLiteral("bgOverride_"),
                  colourMap(bgOverride_, Qt::black, QT_TRANSLATE_NOOP("GmColor", "Background Override")));
    return values;
}
