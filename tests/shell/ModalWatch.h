#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QThread>

#include <functional>
#include <utility>

// Hands each modal dialog that comes up to `answer`, from inside the dialog's own event loop.
// A dialog is shown before its loop starts, so the answer is queued when its Show event passes
// and runs once that loop turns: never before the dialog is on the screen with its loop
// running, and without a timer, so nothing depends on how fast the build is.
class ModalWatch : public QObject {
public:
    explicit ModalWatch(std::function<void(QDialog*)> answer) : answer_(std::move(answer)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isModal())
                queue(dialog, QThread::currentThread()->loopLevel());
        }
        return false;
    }

private:
    void queue(QPointer<QDialog> dialog, int shownAtLevel) {
        QMetaObject::invokeMethod(
            this,
            [this, dialog, shownAtLevel] {
                if (!dialog || !dialog->isVisible())
                    return;
                // Events handled before the dialog's loop started (an event loop of its caller):
                // wait for the loop, or ending the dialog now would leave it to wait forever.
                if (QThread::currentThread()->loopLevel() <= shownAtLevel)
                    return queue(dialog, shownAtLevel);
                answer_(dialog);
            },
            Qt::QueuedConnection);
    }

    std::function<void(QDialog*)> answer_;
};
