// Loaded into the program under test with LD_PRELOAD, never linked into it: plays the user of a
// process-level test. Qt calls `drive` when the program builds its Qt application; from then on
// a timer reports on standard error ("zqtest: ...") what the program shows and, as
// ZQTEST_DRIVER asks:
//   "close"               closes every modal box (a save question is answered Discard), then
//                         the main window;
//   "finish-save"         once the window is usable, presses Finish, then Save As on the
//                         composition, answers the file dialog with ZQTEST_SAVE_AS and closes;
//   "script"              plays the steps of the file ZQTEST_SCRIPT (see ProgramScript.cpp);
//   "watch"               only reports (the test ends the process itself);
//   "throw-bad-alloc"     throws std::bad_alloc from an event handler once the main window shows;
//   "throw-runtime-error" the same with std::runtime_error.
#include <QApplication>
#include <QCoreApplication>
#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QTabBar>
#include <QTimer>

#include "ProgramScript.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace {

void say(const QString& line) {
    std::fprintf(stderr, "zqtest: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

QMainWindow* visibleMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<QMainWindow*>(widget);
        if (window && window->isVisible())
            return window;
    }
    return nullptr;
}

void closeModal(QWidget* modal) {
    QString report = QStringLiteral("closing modal %1 \"%2\"")
                         .arg(QString::fromLatin1(modal->metaObject()->className()),
                              modal->windowTitle());
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        report += QStringLiteral(" text \"%1\"").arg(box->text());
    say(report);
    // The user of these tests throws the work away.
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        if (QAbstractButton* discard = box->button(QMessageBox::Discard)) {
            discard->click();
            return;
        }
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

QAction* actionNamed(QMainWindow* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

QString currentViewTab(QMainWindow* window) {
    if (QWidget* view = window->findChild<QWidget*>(QStringLiteral("imageView_")))
        if (auto* tabs = view->findChild<QTabBar*>())
            return tabs->tabText(tabs->currentIndex());
    return QString();
}

// Finish, then Save As into ZQTEST_SAVE_AS, then close: one step per poll, each once.
// Closing may ask a question at once. A box opened inside this timer's own slot would stop the
// timer (Qt does not deliver a timer's event again while its slot runs), and nothing would ever
// answer it: close from the event loop instead.
void closeFromTheEventLoop(QMainWindow* window) {
    QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
}

void finishAndSave(QMainWindow* window) {
    static int step = 0;
    const QString target = QString::fromLocal8Bit(qgetenv("ZQTEST_SAVE_AS"));
    if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        say(QStringLiteral("saving as %1").arg(target));
        answerFileDialog(files, target);
        return;
    }
    if (step == 0 && window->isEnabled() && !QApplication::overrideCursor() &&
        currentViewTab(window).startsWith(QLatin1String("1."))) {
        step = 1;
        say(QStringLiteral("pressing Finish"));
        actionNamed(window, QStringLiteral("Finish"))->trigger();
    } else if (step == 1 && currentViewTab(window).startsWith(QLatin1String("2."))) {
        step = 2;
        say(QStringLiteral("pressing Save As"));
        // From the event loop: the file dialog's own loop must leave this timer free to run.
        QMetaObject::invokeMethod(actionNamed(window, QStringLiteral("Save &As...")), "trigger",
                                  Qt::QueuedConnection);
    } else if (step == 2 && QFileInfo::exists(target)) {
        step = 3;
        say(QStringLiteral("closing main window"));
        closeFromTheEventLoop(window);
    }
}

void poll(const QByteArray& mode) {
    static bool shown = false;
    if (mode == "finish-save" && qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        if (QMainWindow* window = visibleMainWindow())
            finishAndSave(window);
        return;
    }
    if (mode == "script") {
        if (QMainWindow* window = visibleMainWindow())
            pollScript(window);
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (mode != "watch")
            closeModal(modal);
        return;
    }
    QMainWindow* window = visibleMainWindow();
    if (!window)
        return;
    if (!shown) {
        shown = true;
        say(QStringLiteral("main window shown \"%1\"").arg(window->windowTitle()));
        say(QStringLiteral("style sheet %1")
                .arg(qApp->styleSheet().isEmpty()                               ? "empty"
                     : qApp->styleSheet().contains(QLatin1String("REGEXP_")) ? "unexpanded"
                                                                             : "expanded"));
        say(QStringLiteral("library paths %1")
                .arg(QCoreApplication::libraryPaths().join(QLatin1Char(':'))));
        // The main view's tabs are chosen by the program, never by the hidden tab bar.
        if (QWidget* view = window->findChild<QWidget*>(QStringLiteral("imageView_")))
            if (auto* tabs = view->findChild<QTabBar*>())
                say(QStringLiteral("view tab \"%1\"").arg(tabs->tabText(tabs->currentIndex())));
    }
    if (mode == "finish-save") {
        finishAndSave(window);
    } else if (mode == "close") {
        say(QStringLiteral("closing main window"));
        closeFromTheEventLoop(window);
    } else if (mode == "throw-bad-alloc") {
        throw std::bad_alloc();
    } else if (mode == "throw-runtime-error") {
        throw std::runtime_error("thrown by the test driver");
    }
}

void drive() {
    say(QStringLiteral("arguments %1").arg(QCoreApplication::arguments().join(QLatin1Char(' '))));
    const QByteArray mode = qgetenv("ZQTEST_DRIVER");
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [mode] { poll(mode); });
    timer->start();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(drive)
