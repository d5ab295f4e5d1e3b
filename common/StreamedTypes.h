#pragma once

#include <QMetaType>
#include <QPainterPath>

Q_DECLARE_METATYPE(QPainterPath)

/// Lets `QVariant` values of type `QPolygonF` (built in, type 86) and `QPainterPath` be written
/// to and read from a `QDataStream`, as the masking session's maps hold both. Called once at
/// start-up, after the Qt application exists.
void registerStreamedTypes();
