#pragma once

#include <QObject>
#include <QPointer>

/// Blocks an object's signals for the lifetime of the guard and then restores the state it
/// had before. Unlike QSignalBlocker it holds a guarded pointer, so an object destroyed while
/// blocked (a dialog closed from a slot, a scene torn down) is simply left alone.
class ScopedSignalBlocker {
public:
    explicit ScopedSignalBlocker(QObject* object)
        : object_(object), wasBlocked_(object ? object->blockSignals(true) : false) {}
    ~ScopedSignalBlocker() {
        if (object_)
            object_->blockSignals(wasBlocked_);
    }
    ScopedSignalBlocker(const ScopedSignalBlocker&) = delete;
    ScopedSignalBlocker& operator=(const ScopedSignalBlocker&) = delete;

private:
    QPointer<QObject> object_;
    bool wasBlocked_;
};
