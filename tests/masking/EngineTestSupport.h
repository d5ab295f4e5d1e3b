#pragma once

#include <QCoreApplication>
#include <QMutex>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace zqtest {

/// Runs the event loop until `done` holds; false (and a test failure) after `seconds`. The
/// limit only ends a wait that would hang: it is far above what the slowest build on a loaded
/// machine needs, and below the test's own time-out.
inline bool waitUntil(const std::function<bool()>& done, int seconds = 240) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "gave up waiting after " << seconds << " s";
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Outside a running event loop deleteLater() waits for this.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

/// Collects the warnings Qt routes to its message handler while it exists.
class WarningCollector {
public:
    WarningCollector() {
        instance() = this;
        previous_ = qInstallMessageHandler(&WarningCollector::handle);
    }
    ~WarningCollector() {
        qInstallMessageHandler(previous_);
        instance() = nullptr;
    }
    QStringList lines() const {
        QMutexLocker hold(&lock_);
        return lines_;
    }
    bool contains(const QString& text) const { return lines().contains(text); }
    int indexOf(const QString& text) const { return lines().indexOf(text); }

private:
    static WarningCollector*& instance() {
        static WarningCollector* current = nullptr;
        return current;
    }
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (WarningCollector* collector = instance(); collector && type == QtWarningMsg) {
            QMutexLocker hold(&collector->lock_);
            collector->lines_.append(text);
        }
    }
    mutable QMutex lock_;
    QStringList lines_;
    QtMessageHandler previous_ = nullptr;
};

}  // namespace zqtest
