#include "shell/TqApplication.h"

#include "shell/GasPipe.h"
#include "shell/TqMainWindow.h"

#include "common/LogStream.h"
#include "common/Product.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QSplashScreen>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether Qt would take `folder` as its runtime folder as it is: a folder of this user that
// only the user may use.
bool isPrivateFolder(const QByteArray& folder) {
    struct stat status {};
    return !folder.isEmpty() && ::stat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode)
           && status.st_uid == ::geteuid() && (status.st_mode & 0777) == S_IRWXU;
}

// The user's cache folder as Qt names it, or nothing when the environment does not name one:
// from a HOME that is unset Qt would name a folder at the root of the file system.
QString ownCacheFolder() {
    const QString cache = QFile::decodeName(qgetenv("XDG_CACHE_HOME"));
    const QString home = QFile::decodeName(qgetenv("HOME"));
    const bool named = cache.isEmpty() ? QDir::isAbsolutePath(home) && QFileInfo(home).isDir()
                                       : QDir::isAbsolutePath(cache);
    return named ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                 : QString();
}

}  // namespace

TqApplication::TqApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TqApplication::~TqApplication() { delete splash_; }

void TqApplication::useHighDpiScreens() {
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
}

void TqApplication::keepRuntimeFolderOwn() {
    if (!temporaryFolder().isEmpty() || isPrivateFolder(qgetenv("XDG_RUNTIME_DIR")))
        return;
    const QString cache = ownCacheFolder();
    if (cache.isEmpty())
        return;
    const QString runtime = cache + QStringLiteral("/%1/%2/runtime")
                                        .arg(QLatin1String(Product::organisationName),
                                             QLatin1String(Product::applicationName));
    if (ensurePrivateFolder(runtime))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
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
