#pragma once

#include "common/LogStream.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <exception>
#include <memory>

class HttpRequest;
class PersistOptions;
class QSettings;
class QSplashScreen;
class TqApplication;
class TqMainWindow;
class TranslationLoader;
class TqSourceImage;

/// The one application object of a run: it owns the services that live for the whole process
/// (log, Qt application, settings, options), starts them in a fixed order, shows the main
/// window, runs the event loop and takes everything down again in a fixed order.
class TqApp : public QObject {
    Q_OBJECT
public:
    /// How the program was started; 1 to 3 all mean "by a host".
    enum RunMode { StandAlone = 0, HostSharedMemory = 2, HostControlFile = 3 };

    /// What the user did with the work of a host run.
    enum ExitStatus { Apply = 0, Discarded = 1, Unchanged = 2 };

    /// Opens the log (its first line names the file) and sets `theApp`.
    explicit TqApp(int runMode);
    /// The shut-down sequence: options saved, widgets gone while the Qt application still
    /// exists, then the Qt application, the settings and last the log. An exception thrown
    /// on the way is kept for `takeShutDownException`; the remaining steps still run.
    ~TqApp() override;

    TqApp(const TqApp&) = delete;
    TqApp& operator=(const TqApp&) = delete;

    /// The start-up sequence: names and identities in the settings, the Qt application, the
    /// splash screen, options, message routing, style. `argc` and `argv` go to the Qt
    /// application, which removes the arguments it understands.
    virtual void init(int& argc, char** argv);

    /// The host's picture and the image its result goes into, in a host run whose images were
    /// taken; null otherwise. They belong to the application object until the caller takes
    /// them over (a new parent, or deleting them); they must go before the application object.
    virtual TqSourceImage* sourceImage() { return nullptr; }
    virtual TqSourceImage* outputImage() { return nullptr; }

    /// Creates the main window, which opens the start-up files, and ends the splash screen.
    void showMainWindow();

    /// Runs the event loop until the last window closes; returns its result. An exception
    /// that escaped an event handler is thrown again from here.
    int run();

    int runMode() const { return runMode_; }
    /// Starts at `Unchanged`: only the user's answer to the save prompt changes it.
    int exitStatus() const { return exitStatus_; }
    void setExitStatus(int status) { exitStatus_ = status; }

    TqApplication* application() const { return application_; }
    QSettings* settings() const { return settings_; }
    TqMainWindow* mainWindow() const;

    /// Expands ":/fun.css" with the variables of ":/funCssVars.xml", keeps the result and
    /// applies it to the whole application when the Qt application exists.
    void loadStyleSheet();
    /// The expanded style sheet; pop-up menus with a style of their own set it on themselves.
    const QString& styleSheet() const { return styleSheet_; }

    /// The first exception a shut-down threw, once; null when there was none.
    static std::exception_ptr takeShutDownException();

    // --- Web checks -------------------------------------------------------------------------
    /// Takes ownership of the update and news checkers (either may be null) in place of any
    /// before and connects them to the offers. Start-up makes them for the product's pages as
    /// the distributor's switches allow; nothing is sent until `runStartUpChecks`.
    void adoptWebCheckers(HttpRequest* updateChecker, HttpRequest* newsChecker);
    HttpRequest* updateChecker() const { return updateChecker_; }
    HttpRequest* newsChecker() const { return newsChecker_; }
    /// Whether the last news reply had a status below 400.
    bool newsAvailable() const { return newsAvailable_; }
    /// The local tutorials, or the web ones when they are not installed.
    QString tutorialsAddress() const;
    /// The local help folder for the user interface's language.
    QString helpRootAddress() const;

signals:
    void newsAvailability(bool available);

public slots:
    /// The checks of a start: each checker that exists sends its request unless one is under
    /// way or the user suppressed it. The main window calls this once it is built.
    void runStartUpChecks();
    /// Opens the update page in the browser.
    void checkForUpdateSlot();
    /// Opens the news page in the browser and fetches it again, forced, so that no offer
    /// follows and the news entry's availability is refreshed.
    void checkForNewsSlot();
    /// Offers the download when `result` holds "notuptodate"; always true.
    bool updateCheckerCallbackSlot(QString result, bool forced);
    /// Offers the news unless `forced`; true when the user read them.
    bool newsCheckerCallbackSlot(QString result, bool forced);
    void newsCheckerHttpStatusCodeSlot(int status);
    // -----------------------------------------------------------------------------------------

private:
    void startSplash();
    void createWebCheckers();
    void applyStyle();
    template <typename Step>
    void shutDownStep(Step step) noexcept;

    LogStream logStream_;
    int runMode_;
    TqApplication* application_ = nullptr;
    QSettings* settings_ = nullptr;
    int eventLoopResult_ = 0;
    QPointer<TqMainWindow> mainWindow_;
    int exitStatus_ = Unchanged;
    PersistOptions* options_ = nullptr;
    QSplashScreen* splash_ = nullptr;    // owned by the Qt application
    HttpRequest* updateChecker_ = nullptr;
    HttpRequest* newsChecker_ = nullptr;
    bool newsAvailable_ = false;
    QString startUpFile_;
    QString styleSheet_;
    std::unique_ptr<TranslationLoader> translations_;
};

/// The application object while it exists, else null.
extern TqApp* theApp;

/// "MID" and "ID" as the settings gave them at start-up ("N/A" when absent).
extern QString theMachineId;
extern QString theInstallationId;
