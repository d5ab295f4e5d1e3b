#pragma once

// What the benchmarks that drive the whole main window offscreen share: a scratch folder for
// settings and temporary files, waiting on the event loop, and the states they wait for.

#include "masking/GmModel.h"
#include "masking/OstrivalThread.h"
#include "shell/TqMainWindow.h"
#include "workspace/ImageView.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

namespace zqbench {

/// Runs the event loop until `done` holds.
inline void runUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

/// Settings and temporary files of a scratch folder, for the whole run; call before the first
/// window is made.
inline QTemporaryDir& scratch() {
    static QTemporaryDir folder;
    static const bool exported = [] {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath("config")));
        qputenv("TMPDIR", QFile::encodeName(folder.path()));
        return true;
    }();
    (void)exported;
    return folder;
}

/// The engine has nothing queued or running and no session is waiting to open.
inline bool engineIdle() {
    GmModel* model = GmModel::existing();
    return theEngineThread && theEngineThread->isIdle() &&
           !(model && model->isWaitingToOpenSession());
}

/// A Finish has placed its cut-out and the composition is shown.
inline bool placed(TqMainWindow* window) {
    return !window->isPlacementPending() && window->currentViewTab() == ImageView::CompositionTab;
}

}  // namespace zqbench
