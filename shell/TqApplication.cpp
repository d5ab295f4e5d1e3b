#include "shell/TqApplication.h"

#include "shell/GasPipe.h"
#include "shell/TqMainWindow.h"

#include <QFileOpenEvent>
#include <QSplashScreen>

TqApplication::TqApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TqApplication::~TqApplication() { delete splash_; }

void TqApplication::useHighDpiScreens() {
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
}

QStringList TqApplication::takeQueuedFiles() {
    QStringList files;
    files.swap(queuedFiles_);
    return files;
}

void TqApplication::rethrowCaughtException() {
    if (!caughtException_)
        return;
    std::exception_ptr exception;
    std::swap(exception, caughtException_);
    std::rethrow_exception(exception);
}

bool TqApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // Qt cannot carry an exception through its event loop; keep the first, leave every
        // loop, and let the caller of exec() throw it again.
        if (!caughtException_)
            caughtException_ = std::current_exception();
        QCoreApplication::exit(0);
        return false;
    }
}

bool TqApplication::event(QEvent* event) {
    if (event->type() != QEvent::FileOpen)
        return QApplication::event(event);
    lastFileOpenName_ = static_cast<QFileOpenEvent*>(event)->file();
    if (lastFileOpenName_.endsWith(QLatin1String(".btqx"), Qt::CaseInsensitive)) {
        // A control file. Before the main window exists it is only kept: the window reads
        // `theGasPipe` at the end of its construction.
        replaceTheGasPipe(lastFileOpenName_, this);
        if (theMainWindow)
            readTheGasPipe();
        return true;
    }
    if (!theMainWindow) {
        queuedFiles_.append(lastFileOpenName_);
        return true;
    }
    theMainWindow->loadFile(lastFileOpenName_);
    return true;
}
