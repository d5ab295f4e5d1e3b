// The "script" mode of the test driver: plays a user's session from a file of steps
// (ZQTEST_SCRIPT), one step at a time, each when what it needs is on the screen. Mouse and key
// input goes through Qt's window system interface (as the platform plug-in delivers it), so
// grabs, button state, double clicks and focus behave as with a real user.
//
// Steps, one per line ("#" starts a comment; points are x,y):
//   wait-ready              the main window is shown, enabled, without a wait cursor or a modal box
//   wait-tab PREFIX         the main view's current tab starts with PREFIX ("1." or "2.")
//   wait-file PATH          PATH exists
//   wait-idle               ready, and the engine has nothing queued or running
//   wait-enabled TEXT       the window's action called TEXT is enabled (Undo and Redo: the engine
//                           is idle and has a step to take back or again)
//   action TEXT             triggers the window's action called TEXT ("&" and "..." ignored)
//   stroke P P ...          a left-button stroke on the masking canvas, in image pixels
//   scene-drag P P ...      a left-button drag on the composition, in scene coordinates
//   scene-double-click P    a double click on the composition
//   scene-double-click TYPE a double click at the centre of the first visible item of class TYPE
//   drag-item TYPE D        drags the item of class TYPE (a handle: the shown one) from its middle
//                           by the offset D in scene units
//   type TEXT               types TEXT into the focused widget
//   key SEQUENCE            presses a key sequence ("Ctrl+Z") on the focused widget
//   click TEXT              clicks the button named or labelled TEXT in the dialog on the screen
//                           (the modal one, else one shown beside the window)
//   file PATH               answers the open file dialog with PATH
//   save-as PATH            Save As, answered with PATH; the step ends when PATH exists
//   box TEXT                answers the message box on the screen with its button TEXT and reports
//                           its text
//   accept                  accepts the dialog on the screen
//   items                   reports the composition's items
//   save-item TYPE PATH     writes the pixmap of the first item of class TYPE to PATH
//   grab-canvas PATH        writes what the masking canvas shows to PATH
//   file-size-limit BYTES   no file of the program may grow past BYTES from now on: a write
//                           beyond fails with EFBIG, as on a full disk ("none" lifts the limit)
//   open-event PATH         hands PATH to the application as the desktop does (a file-open event)
//   close                   closes the main window
// Each step is reported on standard error ("zqtest: step N ...", "zqtest: done N").
#include "ProgramScript.h"

#include "FileDialogTyping.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QGraphicsItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTabBar>
#include <QTest>
#include <QTextStream>
#include <QWindow>

#include <QtMath>

#include <cxxabi.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace {

void say(const QString& line) {
    std::fprintf(stderr, "zqtest: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

QString plainText(QString text) {
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text.trimmed();
}

QStringList readScript() {
    QFile file(QString::fromLocal8Bit(qgetenv("ZQTEST_SCRIPT")));
    QStringList steps;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        say(QStringLiteral("cannot read the script %1").arg(file.fileName()));
        return steps;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            steps << line;
    }
    return steps;
}

QPointF pointOf(const QString& text) {
    const QStringList xy = text.split(QLatin1Char(','));
    return xy.size() == 2 ? QPointF(xy[0].toDouble(), xy[1].toDouble()) : QPointF();
}

QString currentViewTab(QMainWindow* window) {
    if (QWidget* view = window->findChild<QWidget*>(QStringLiteral("imageView_")))
        if (auto* tabs = view->findChild<QTabBar*>())
            return tabs->tabText(tabs->currentIndex());
    return QString();
}

QAction* actionNamed(QMainWindow* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (plainText(action->text()) == text && action->isEnabled())
            return action;
    return nullptr;
}

QWidget* zoomWidget(QMainWindow* window) {
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (qstrcmp(widget->metaObject()->className(), "GmZoomWidget") == 0 &&
            widget->isVisible())
            return widget;
    return nullptr;
}

QGraphicsView* compositionView(QMainWindow* window) {
    auto* view = window->findChild<QGraphicsView*>(QStringLiteral("frolixWidget_"));
    return view && view->isVisible() ? view : nullptr;
}

QString className(const QGraphicsItem* item) {
    const char* mangled = typeid(*item).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                 std::free);
    return QString::fromLatin1(status == 0 ? plain.get() : mangled);
}

QGraphicsItem* itemOfClass(QGraphicsView* view, const QString& type, bool visibleOnly) {
    for (QGraphicsItem* item : view->scene()->items(Qt::AscendingOrder))
        if (className(item) == type && (!visibleOnly || item->isVisible()))
            return item;
    return nullptr;
}

// How far the item is turned on the scene, in degrees, however the turn was made (its rotation
// or its transform).
double turnOf(const QGraphicsItem* item) {
    const QTransform transform = item->sceneTransform();
    return qRadiansToDegrees(std::atan2(transform.m12(), transform.m11()));
}

QString rectText(const QRectF& rect) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.x(), 0, 'f', 1)
        .arg(rect.y(), 0, 'f', 1)
        .arg(rect.width(), 0, 'f', 1)
        .arg(rect.height(), 0, 'f', 1);
}

// Mouse input at a point of `widget`, delivered to its top-level window.
class Pointer {
public:
    explicit Pointer(QWidget* widget) : widget_(widget), window_(widget->window()->windowHandle()) {}
    bool usable() const { return window_ != nullptr; }
    void press(const QPoint& at) {
        QTest::mousePress(window_, Qt::LeftButton, Qt::NoModifier, inWindow(at));
    }
    void move(const QPoint& at) { QTest::mouseMove(window_, inWindow(at)); }
    void release(const QPoint& at) {
        QTest::mouseRelease(window_, Qt::LeftButton, Qt::NoModifier, inWindow(at));
    }
    void doubleClick(const QPoint& at) {
        QTest::mouseDClick(window_, Qt::LeftButton, Qt::NoModifier, inWindow(at));
    }
    // A drag along `points`, with moves every few pixels as a hand makes them.
    void drag(const QList<QPoint>& points) {
        press(points.first());
        QPoint last = points.first();
        for (const QPoint& next : points) {
            const int steps = std::max(1, (next - last).manhattanLength() / 4);
            for (int i = 1; i <= steps; ++i)
                move(last + (next - last) * i / steps);
            last = next;
        }
        release(last);
    }

private:
    QPoint inWindow(const QPoint& at) const { return widget_->mapTo(widget_->window(), at); }
    QWidget* widget_;
    QWindow* window_;
};

class Script {
public:
    Script() : steps_(readScript()) {}

    // Runs the current step if it can run now; reports the end of the script once.
    void poll(QMainWindow* window) {
        // A display without a window manager activates nothing: the user's first click would.
        if (!QApplication::activeWindow() && !QApplication::activeModalWidget() &&
            window->isVisible())
            QApplication::setActiveWindow(window);
        if (next_ >= steps_.size()) {
            if (!finished_) {
                finished_ = true;
                say(QStringLiteral("script finished"));
            }
            return;
        }
        reportModal();
        const QString step = steps_[next_];
        if (!announced_) {
            announced_ = true;
            say(QStringLiteral("step %1 %2").arg(next_ + 1).arg(step));
        }
        if (run(window, step.section(QLatin1Char(' '), 0, 0),
                step.section(QLatin1Char(' '), 1).trimmed())) {
            say(QStringLiteral("done %1").arg(next_ + 1));
            ++next_;
            announced_ = false;
        }
    }

    // Whether the script may still need the modal widget on the screen.
    bool handlesModal() const { return next_ < steps_.size(); }

private:
    // Says once what each modal window on the screen is, so that a stuck script shows why.
    void reportModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == lastModal_)
            return;
        lastModal_ = modal;
        if (!modal)
            return;
        QString report = QStringLiteral("modal %1 \"%2\"")
                             .arg(QString::fromLatin1(modal->metaObject()->className()),
                                  modal->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            report += QStringLiteral(" text \"%1\"").arg(box->text());
        say(report);
    }
    bool run(QMainWindow* window, const QString& verb, const QString& rest);
    bool saveAs(QMainWindow* window, const QString& path);

    QStringList steps_;
    int next_ = 0;
    bool announced_ = false;
    bool finished_ = false;
    bool saveAsTriggered_ = false;
    QPointer<QWidget> lastModal_;
};

// The dialog the user works in: the modal one, else a dialog shown beside the window.
QWidget* dialogOnScreen() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(widget) && widget->isVisible())
            return widget;
    return nullptr;
}

// Only the soft limit moves, so that "none" can lift it again without privileges. The signal a
// write past the limit raises would end the program; ignored, the write fails with EFBIG.
bool limitFileSize(const QString& bytes) {
    rlimit limit{};
    bool number = true;
    const qulonglong wanted = bytes.toULongLong(&number);
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || (!number && bytes != QLatin1String("none"))) {
        say(QStringLiteral("file-size-limit: cannot apply \"%1\"").arg(bytes));
        std::_Exit(97);
    }
    limit.rlim_cur = number ? std::min<rlim_t>(wanted, limit.rlim_max) : limit.rlim_max;
    ::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        say(QStringLiteral("file-size-limit: setrlimit failed"));
        std::_Exit(97);
    }
    return true;
}

bool ready(QMainWindow* window) {
    return window->isEnabled() && !QApplication::overrideCursor() &&
           !QApplication::activeModalWidget() && !currentViewTab(window).isEmpty();
}

bool Script::saveAs(QMainWindow* window, const QString& path) {
    if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        answerFileDialog(files, path);
        return false;
    }
    if (!saveAsTriggered_) {
        if (!ready(window))
            return false;
        QAction* action = actionNamed(window, QStringLiteral("Save As"));
        if (!action)
            return false;
        QFile::remove(path);
        saveAsTriggered_ = true;
        // From the event loop: the file dialog's own loop must leave this driver free to run.
        QMetaObject::invokeMethod(action, "trigger", Qt::QueuedConnection);
        return false;
    }
    if (!QFileInfo::exists(path) || !ready(window))
        return false;
    saveAsTriggered_ = false;
    return true;
}

bool Script::run(QMainWindow* window, const QString& verb, const QString& rest) {
    QWidget* modal = QApplication::activeModalWidget();
    if (verb == QLatin1String("wait-ready"))
        return ready(window);
    if (verb == QLatin1String("wait-tab"))
        return ready(window) && currentViewTab(window).startsWith(rest);
    if (verb == QLatin1String("wait-idle"))
        return ready(window) && window->property("engineIdle").toBool();
    if (verb == QLatin1String("wait-enabled")) {
        QAction* action = actionNamed(window, rest);
        return action && ready(window);
    }
    if (verb == QLatin1String("wait-file"))
        return QFileInfo::exists(rest);
    if (verb == QLatin1String("action")) {
        QAction* action = modal ? nullptr : actionNamed(window, rest);
        if (!action)
            return false;
        QMetaObject::invokeMethod(action, "trigger", Qt::QueuedConnection);
        return true;
    }
    if (verb == QLatin1String("stroke") || verb == QLatin1String("scene-drag") ||
        verb == QLatin1String("scene-double-click")) {
        if (modal)
            return false;
        QList<QPoint> points;
        QWidget* target = nullptr;
        if (verb == QLatin1String("stroke")) {
            QWidget* canvas = zoomWidget(window);
            if (!canvas || !window->isEnabled())
                return false;
            const double zoom = canvas->property("zoom").toDouble();
            const QPoint origin = canvas->property("displayRect").toRect().topLeft();
            for (const QString& text : rest.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                points << origin + (pointOf(text) * zoom).toPoint();
            target = canvas;
        } else {
            QGraphicsView* view = compositionView(window);
            if (!view || !window->isEnabled())
                return false;
            if (verb == QLatin1String("scene-double-click") && !rest.contains(QLatin1Char(','))) {
                QGraphicsItem* item = itemOfClass(view, rest, true);
                if (!item)
                    return false;
                points << view->mapFromScene(item->sceneBoundingRect().center());
            } else {
                for (const QString& text : rest.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    points << view->mapFromScene(pointOf(text));
            }
            target = view->viewport();
        }
        Pointer pointer(target);
        if (points.isEmpty() || !pointer.usable())
            return false;
        if (verb == QLatin1String("scene-double-click")) {
            // From the event loop: a box that the double click opens must leave this driver
            // free to run and answer it.
            const QPointer<QWidget> widget(target);
            const QPoint at = points.first();
            QMetaObject::invokeMethod(
                target, [widget, at] {
                    if (widget)
                        Pointer(widget).doubleClick(at);
                },
                Qt::QueuedConnection);
        } else {
            pointer.drag(points);
        }
        return true;
    }
    if (verb == QLatin1String("drag-item")) {
        // From the item's middle (handles: the shown one), by an offset in scene units.
        QGraphicsView* view = compositionView(window);
        const QString type = rest.section(QLatin1Char(' '), 0, 0);
        QGraphicsItem* item = view && !modal && window->isEnabled()
                                  ? itemOfClass(view, type, type.endsWith(QLatin1String("Handle")))
                                  : nullptr;
        if (!item)
            return false;
        const QPointF from = item->sceneBoundingRect().center();
        Pointer(view->viewport())
            .drag({view->mapFromScene(from),
                   view->mapFromScene(from + pointOf(rest.section(QLatin1Char(' '), 1, 1)))});
        return true;
    }
    if (verb == QLatin1String("type") || verb == QLatin1String("key")) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) {
            // Nothing has the keyboard (a window shown again without a window manager):
            // the user clicks into the view first.
            if (QGraphicsView* view = compositionView(window)) {
                view->setFocus(Qt::MouseFocusReason);
                focus = view;
            }
        }
        if (!focus)
            return false;
        if (verb == QLatin1String("type")) {
            QTest::keyClicks(focus, rest);
        } else {
            const QKeySequence sequence(rest);
            QTest::keySequence(focus, sequence);
        }
        return true;
    }
    if (verb == QLatin1String("click")) {
        QWidget* dialog = dialogOnScreen();
        if (!dialog)
            return false;
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            if ((button->objectName() == rest || plainText(button->text()) == rest) &&
                button->isVisible() && button->isEnabled()) {
                QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
                return true;
            }
        return false;
    }
    if (verb == QLatin1String("file")) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        if (!files)
            return false;
        answerFileDialog(files, rest);
        return true;
    }
    if (verb == QLatin1String("save-as"))
        return saveAs(window, rest);
    if (verb == QLatin1String("box")) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return false;
        for (QAbstractButton* button : box->buttons())
            if (plainText(button->text()) == rest) {
                say(QStringLiteral("box \"%1\" text \"%2\"").arg(box->windowTitle(), box->text()));
                QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
                return true;
            }
        return false;
    }
    if (verb == QLatin1String("accept")) {
        auto* dialog = qobject_cast<QDialog*>(dialogOnScreen());
        if (!dialog)
            return false;
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    }
    if (verb == QLatin1String("items") || verb == QLatin1String("save-item")) {
        QGraphicsView* view = compositionView(window);
        if (!view || modal || !ready(window))
            return false;
        if (verb == QLatin1String("items")) {
            for (QGraphicsItem* item : view->scene()->items(Qt::AscendingOrder))
                if (!item->parentItem()) {
                    QString line = QStringLiteral("item %1 rect %2 rotation %3 z %4 visible %5")
                                       .arg(className(item), rectText(item->sceneBoundingRect()))
                                       .arg(turnOf(item), 0, 'f', 1)
                                       .arg(item->zValue())
                                       .arg(item->isVisible() ? 1 : 0);
                    if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                        line += QStringLiteral(" text \"%1\"").arg(text->toPlainText());
                    say(line);
                }
            return true;
        }
        auto* item = dynamic_cast<QGraphicsPixmapItem*>(
            itemOfClass(view, rest.section(QLatin1Char(' '), 0, 0), false));
        return item && item->pixmap().save(rest.section(QLatin1Char(' '), 1));
    }
    if (verb == QLatin1String("grab-canvas")) {
        QWidget* canvas = zoomWidget(window);
        return canvas && ready(window) && canvas->grab().save(rest);
    }
    if (verb == QLatin1String("file-size-limit"))
        return limitFileSize(rest);
    if (verb == QLatin1String("open-event")) {
        QFileOpenEvent event(rest);
        QCoreApplication::sendEvent(qApp, &event);
        return true;
    }
    if (verb == QLatin1String("close")) {
        QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
        return true;
    }
    say(QStringLiteral("unknown step \"%1\"").arg(verb));
    std::_Exit(97);
}

} // namespace

void answerFileDialog(QFileDialog* files, const QString& path) {
    const QString pattern = QStringLiteral("*.") + QFileInfo(path).suffix().toLower();
    QString type;
    for (const QString& filter : files->nameFilters())
        if (filter.contains(pattern, Qt::CaseInsensitive)) {
            type = filter;
            break;
        }
    // At once: a queued accept would let the dialog's own queued updates put its proposal back.
    // The dialog's loop ends only after this driver returns.
    typeIntoFileDialog(files, path, type);
}

void pollScript(QMainWindow* window) {
    static Script script;
    script.poll(window);
}
