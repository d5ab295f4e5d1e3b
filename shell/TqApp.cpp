#include "shell/TqApp.h"

#include "masking/GmModel.h"
#include "shell/AboutBox.h"
#include "common/PersistOptions.h"
#include "common/Product.h"
#include "shell/SettingsIdentity.h"
#include "common/StreamedTypes.h"
#include "shell/StyleSheetVariables.h"
#include "shell/TqApplication.h"
#include "shell/TqMainWindow.h"
#include "shell/TranslationLoader.h"

#include <QFile>
#include <QFont>
#include <QPixmap>
#include <QProxyStyle>
#include <QSettings>
#include <QSplashScreen>

#include <cstdlib>

TqApp* theApp = nullptr;
QString theMachineId;
QString theInstallationId;

// The application library is static: its compiled-in resources must be registered by hand,
// and Q_INIT_RESOURCE only works outside any namespace.
static void registerResources() { Q_INIT_RESOURCE(resources); }

namespace {

std::exception_ptr& shutDownException() {
    static std::exception_ptr exception;
    return exception;
}

// A masking model made after the application object went (or by code that never had one)
// must not outlive the process unreleased.
void deleteMaskingModelAtExit() { delete GmModel::existing(); }   // clears the global

}  // namespace

TqApp::TqApp(int runMode)
    : runMode_(runMode), translations_(std::make_unique<TranslationLoader>()) {
    theApp = this;
}

TqApp::~TqApp() {
    shutDownStep([this] {
        delete options_;   // saves them
        options_ = nullptr;
    });
    shutDownStep([this] { translations_.reset(); });   // while the Qt application exists
    // Widgets and pixmaps need the Qt application: they go before it. The main window is
    // still here when an exception ended the event loop.
    shutDownStep([this] { delete mainWindow_.data(); });
    shutDownStep([] { deleteAboutBox(); });
    // The masking model's actions and timers are Qt objects: it goes after the window that
    // shows it and before the Qt application, and so do the regions it left to deleteLater.
    shutDownStep([] {
        delete GmModel::existing();   // clears the global
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    shutDownStep([this] {
        delete application_;   // and a splash screen it still holds
        application_ = nullptr;
        splash_ = nullptr;
    });
    shutDownStep([this] {
        delete settings_;
        settings_ = nullptr;
    });
    shutDownStep([this] { adoptWebCheckers(nullptr, nullptr); });
    if (theApp == this)
        theApp = nullptr;
    // The log stream, a member, goes last and puts the previous message handler back.
}

template <typename Step>
void TqApp::shutDownStep(Step step) noexcept {
    try {
        step();
    } catch (...) {
        if (!shutDownException())
            shutDownException() = std::current_exception();
    }
}

std::exception_ptr TqApp::takeShutDownException() {
    std::exception_ptr exception;
    std::swap(exception, shutDownException());
    return exception;
}

TqMainWindow* TqApp::mainWindow() const { return mainWindow_; }

void TqApp::init(int& argc, char** argv) {
    QCoreApplication::setOrganizationName(Product::organisationName);
    QCoreApplication::setOrganizationDomain(Product::organisationDomain);
    QCoreApplication::setApplicationName(Product::applicationName);
    useSystemSettingsFolder();

    adoptInstallationIdentity();
    ensureMachineIdentity();

    static const bool exitHookSet = std::atexit(deleteMaskingModelAtExit) == 0;
    Q_UNUSED(exitHookSet)
    TqApplication::useHighDpiScreens();
    TqApplication::keepRuntimeFolderOwn();
    application_ = new TqApplication(argc, argv);
    registerResources();
    startSplash();

    settings_ = new QSettings;
    theMachineId = settings_->value(QStringLiteral("MID"), QStringLiteral("N/A")).toString();
    theInstallationId = settings_->value(QStringLiteral("ID"), QStringLiteral("N/A")).toString();
    beginLogLine() << "MID: " << theMachineId;
    endLogLine();
    beginLogLine() << "ID: " << theInstallationId;
    endLogLine();

    translations_->loadForSystemLocale();

    options_ = new PersistOptions;
    createWebCheckers();

    logStream_.setStandardRouting();
    logStream_.installMessageHandler();
    beginLogLine() << "Version: " << Product::version() << "; Linux";
    endLogLine();

    registerStreamedTypes();
    applyStyle();

    const QString libraries = installedLibraryPath();
    if (!libraries.isEmpty())
        QCoreApplication::setLibraryPaths({libraries});

    // Read after the Qt application took out the arguments that were meant for it.
    if (runMode_ == StandAlone && argc > 1)
        startUpFile_ = QFile::decodeName(argv[1]);
}

void TqApp::startSplash() {
    // A missing picture gives an empty splash screen; start-up goes on.
    splash_ = new QSplashScreen(QPixmap(QStringLiteral(":/images/splash.png")));
    application_->setSplash(splash_);
    splash_->show();
    splash_->repaint();
    QCoreApplication::processEvents();   // so that it shows before the slow steps
    application_->rethrowCaughtException();
}

void TqApp::applyStyle() {
    QApplication::setStyle(new QProxyStyle(QStringLiteral("Fusion")));
    loadStyleSheet();   // over the style just set
    QFont smaller = QApplication::font();
    if (smaller.pointSizeF() > 1.0)
        smaller.setPointSizeF(smaller.pointSizeF() - 1.0);
    QApplication::setFont(smaller, "GmSubWindow");
    QApplication::setFont(smaller, "QToolBar");
}

void TqApp::showMainWindow() {
    QStringList filesToOpen;
    if (!startUpFile_.isEmpty())
        filesToOpen << startUpFile_;
    filesToOpen << application_->takeQueuedFiles();
    mainWindow_ = new TqMainWindow(filesToOpen);
    if (runMode_ != StandAlone && mainWindow_) {
        mainWindow_->raise();
        mainWindow_->activateWindow();
    }
    if (splash_) {
        splash_->finish(mainWindow_);
        delete splash_;
        splash_ = nullptr;
        application_->setSplash(nullptr);
    }
    application_->rethrowCaughtException();
}

int TqApp::run() {
    connect(application_, &QGuiApplication::lastWindowClosed, &QCoreApplication::quit);
    application_->rethrowCaughtException();
    // The loop ends when the last window closes; with none left open it would never end.
    if (!mainWindow_ || !mainWindow_->isVisible())
        return eventLoopResult_;
    eventLoopResult_ = QApplication::exec();
    application_->rethrowCaughtException();
    return eventLoopResult_;
}

void TqApp::loadStyleSheet() {
    QFile sheet(QStringLiteral(":/fun.css"));
    styleSheet_ = sheet.open(QIODevice::ReadOnly | QIODevice::Text)
                      ? QString::fromUtf8(sheet.readAll())
                      : QString();
    QFile variables(QStringLiteral(":/funCssVars.xml"));
    if (variables.open(QIODevice::ReadOnly))
        styleSheet_ = expandStyleSheet(styleSheet_, variables.readAll());
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        qApp->setStyleSheet(styleSheet_);
}
