#pragma once

#include "FileDialogTyping.h"
#include "ModalWatch.h"

#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>

// Answers the modal dialogs that come up, one after the other, with the given handlers. A
// dialog that one handler's answer brings up (a question the dialog asks before it closes) is
// the next one.
class ModalSequence {
public:
    explicit ModalSequence(QList<std::function<void(QDialog*)>> handlers)
        : handlers_(std::move(handlers)), watch_([this](QDialog* dialog) { answer(dialog); }) {}
    int handled() const { return handled_; }

private:
    void answer(QDialog* dialog) {
        if (dialog == last_ || handled_ >= handlers_.size())
            return;   // a dialog shown again after it was answered is not a new one
        last_ = dialog;
        handlers_[handled_++](dialog);
    }
    QList<std::function<void(QDialog*)>> handlers_;
    QPointer<QDialog> last_;
    int handled_ = 0;
    ModalWatch watch_;
};

/// Types `path` into the file dialog (choosing `filter` first, when given) and accepts it.
inline std::function<void(QDialog*)> chooseFile(const QString& path,
                                                const QString& filter = QString()) {
    return [path, filter](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        typeIntoFileDialog(files, path, filter);
    };
}
