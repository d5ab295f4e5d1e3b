#pragma once

#include "ModalWatch.h"

#include <QDialog>

#include <functional>

// Modal boxes and dialogs run their own event loop; this takes the next one as it comes up,
// lets the test look at it (and set it up), then ends it with the given result: Accepted and
// Rejected through the dialog's own accept() and reject(), with whatever checks they make.
// With `repeat` it goes on to every later one.
class ModalDialogCloser {
public:
    explicit ModalDialogCloser(std::function<void(QDialog*)> inspect = {},
                               int result = QDialog::Accepted, bool repeat = false)
        : inspect_(std::move(inspect)), result_(result), repeat_(repeat),
          watch_([this](QDialog* dialog) { close(dialog); }) {}

    /// How many dialogs were closed.
    int closed() const { return closed_; }

private:
    void close(QDialog* dialog) {
        if (closed_ > 0 && !repeat_)
            return;
        if (inspect_)
            inspect_(dialog);
        ++closed_;
        if (result_ == QDialog::Accepted)
            dialog->accept();
        else if (result_ == QDialog::Rejected)
            dialog->reject();
        else
            dialog->done(result_);
    }

    std::function<void(QDialog*)> inspect_;
    int result_;
    bool repeat_;
    int closed_ = 0;
    ModalWatch watch_;
};
