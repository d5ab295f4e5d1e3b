#pragma once

#include <QCursor>
#include <QGuiApplication>

/// Shows the wait cursor over the whole program while it lives; the cursor before it comes
/// back when it goes. GUI thread only.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
