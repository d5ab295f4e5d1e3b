#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

#include <exception>

class QSplashScreen;

/// The Qt application of a run. It keeps the splash screen until the main window takes over,
/// queues files the system asks us to open before the main window exists, and keeps an
/// exception that escapes an event handler so that it can leave through `main`, not through
/// std::terminate.
class TqApplication : public QApplication {
public:
    TqApplication(int& argc, char** argv);
    /// Call before any Qt application object is built, which is when Qt reads these: on a
    /// double-density screen windows, fixed sizes and pictures keep their size, and icons take
    /// their @2x pictures.
    static void useHighDpiScreens();
    /// Call before any Qt application object is built, which looks for Qt's runtime folder.
    /// Without a usable XDG_RUNTIME_DIR Qt makes that folder in its temporary folder, and when
    /// TMPDIR names no folder, that name starts at the root of the file system: then a private
    /// folder in the user's own cache folder becomes XDG_RUNTIME_DIR. When the environment
    /// names no cache folder either, nothing is changed.
    static void keepRuntimeFolderOwn();
    /// Deletes a splash screen it still holds.
    ~TqApplication() override;

    TqApplication(const TqApplication&) = delete;
    TqApplication& operator=(const TqApplication&) = delete;

    /// Takes ownership of `splash` (null to drop the reference without deleting).
    void setSplash(QSplashScreen* splash) { splash_ = splash; }
    QSplashScreen* splash() const { return splash_; }

    /// The name of the last file a file-open event delivered.
    QString lastFileOpenName() const { return lastFileOpenName_; }

    /// Files delivered before the main window existed, oldest first; the queue is emptied.
    QStringList takeQueuedFiles();

    /// Rethrows the first exception that escaped an event handler (once), if any.
    void rethrowCaughtException();

    /// Delivers the event; an exception that escapes it is kept, the event loops are told to
    /// quit and the event counts as not handled.
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    /// A file-open event for a name ending in ".btqx" (any case) becomes `theGasPipe`, read at
    /// once when the main window exists; any other file goes to the main window, or waits in
    /// the queue until there is one.
    bool event(QEvent* event) override;

private:
    QString lastFileOpenName_;
    QStringList queuedFiles_;
    QSplashScreen* splash_ = nullptr;
    std::exception_ptr caughtException_;
};
