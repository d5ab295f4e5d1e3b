#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Answers the modal dialogs that come up, one after the other, with the given handlers.
class ModalSequence {
public:
    explicit ModalSequence(QList<std::function<void(QDialog*)>> handlers)
        : handlers_(std::move(handlers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }
    int handled() const { return handled_; }

private:
    void poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == last_ || handled_ >= handlers_.size())
            return;
        last_ = dialog;
        handlers_[handled_++](dialog);
    }
    QList<std::function<void(QDialog*)>> handlers_;
    QDialog* last_ = nullptr;
    int handled_ = 0;
    QTimer timer_;
};

inline std::function<void(QDialog*)> chooseFile(const QString& path) {
    return [path](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        files->selectFile(path);
        static_cast<QDialog*>(files)->accept();   // checks the name, then closes
    };
}
