#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

// Modal boxes and dialogs run their own event loop; this watches for the next one from a timer,
// lets the test look at it (and set it up), then ends it with the given result. With `repeat`
// it goes on to every later one.
class ModalDialogCloser {
public:
    explicit ModalDialogCloser(std::function<void(QDialog*)> inspect = {},
                               int result = QDialog::Accepted, bool repeat = false)
        : inspect_(std::move(inspect)), result_(result), repeat_(repeat) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    /// How many dialogs were closed.
    int closed() const { return closed_; }

private:
    void poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (!repeat_)
            timer_.stop();
        if (inspect_)
            inspect_(dialog);
        ++closed_;
        dialog->done(result_);
    }

    std::function<void(QDialog*)> inspect_;
    int result_;
    bool repeat_;
    int closed_ = 0;
    QTimer timer_;
};
