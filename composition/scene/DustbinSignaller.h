#pragma once

#include <QObject>

/// Tells whoever listens how many items the trash holds after each change.
class DustbinSignaller : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void sizeChanged(uint count);
};

/// The one signaller; lives from start-up to exit.
extern DustbinSignaller* const theDustbinSignaller;
