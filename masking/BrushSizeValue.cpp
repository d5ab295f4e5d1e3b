#include "masking/BrushSizeValue.h"

#include <QSettings>
#include <QVariant>
#include <QtGlobal>

const QString BrushSizeValue::settingsKey = QStringLiteral("ToolOptions/Common/Size");

BrushSizeValue* BrushSizeValue::instance() {
    static BrushSizeValue value;
    return &value;
}

void BrushSizeValue::setBrushSize(int size) {
    const int kept = qBound(minimum, size, maximum);
    if (size_.exchange(kept) == kept)
        return;
    QSettings().setValue(settingsKey, QVariant::fromValue(kept));
    emit brushSizeChanged(kept);
}

void BrushSizeValue::loadStoredSize() {
    const QVariant stored = QSettings().value(settingsKey, QVariant::fromValue(0));
    bool ok = false;
    const int size = stored.toInt(&ok);
    setBrushSize(ok ? size : 0);
}
