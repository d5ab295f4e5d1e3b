#include "common/PooledWork.h"

#include <QRunnable>
#include <QTextCodec>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {

// Shared by the caller and its helpers, and kept alive by every helper that holds it: a helper
// that starts after the call has returned only reads `next` and leaves.
struct Pieces {
    Pieces(int count, std::function<void(int)> piece) : count(count), piece(std::move(piece)) {}

    const int count;
    const std::function<void(int)> piece;
    std::atomic<int> next{0};
    std::atomic<bool> stopped{false};

    std::mutex lock;
    std::condition_variable allEnded;
    int ended = 0;   // claimed pieces that have ended, run or skipped after a stop
    std::exception_ptr problem;

    // Runs pieces until none is left unclaimed.
    void work() {
        for (;;) {
            const int i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count)
                return;
            std::exception_ptr thrown;
            if (!stopped.load(std::memory_order_relaxed)) {
                try {
                    piece(i);
                } catch (...) {
                    thrown = std::current_exception();
                    stopped.store(true, std::memory_order_relaxed);
                }
            }
            std::lock_guard<std::mutex> hold(lock);
            if (thrown && !problem)
                problem = thrown;
            if (++ended == count)
                allEnded.notify_all();
        }
    }
};

// A helper's task. Qt's pool hands a task to its thread under a lock inside Qt's own library,
// which ThreadSanitizer cannot see, so it would take what the task's constructor wrote for a
// race with the pool thread reading it. The task publishes itself through an atomic instead:
// released as the constructor's last step, acquired before anything else is read.
class Helper final : public QRunnable {
public:
    explicit Helper(std::shared_ptr<Pieces> pieces) : pieces_(std::move(pieces)) {
        setAutoDelete(true);
        published_.store(true, std::memory_order_release);
    }

    void run() override {
        if (published_.load(std::memory_order_acquire))
            pieces_->work();
    }

private:
    const std::shared_ptr<Pieces> pieces_;
    std::atomic<bool> published_{false};
};

QThreadPool* programPool() {
    // Never deleted: see the header.
    static QThreadPool* const pool = [] {
        auto* made = new QThreadPool;
        made->setMaxThreadCount(std::max(QThread::idealThreadCount(), 1));
        return made;
    }();
    return pool;
}

}  // namespace

void runPooled(int count, int helpers, const std::function<void(int)>& piece, QThreadPool* pool) {
    if (count <= 0)
        return;
    auto pieces = std::make_shared<Pieces>(count, piece);
    if (!pool)
        pool = programPool();
    // Every thread Qt starts names itself through the locale's codec. Qt 5 sets that codec up
    // on first use and can deadlock when several threads do so at once, which happens when no
    // application object has set it up yet: it is set up here, before any helper starts.
    QTextCodec::codecForLocale();
    const int asked = std::min(std::max(helpers, 0), count - 1);
    for (int i = 0; i < asked; ++i) {
        try {
            pool->start(new Helper(pieces));
        } catch (...) {
            break;   // no memory for another helper: fewer do, this thread takes the rest
        }
    }
    pieces->work();
    std::unique_lock<std::mutex> hold(pieces->lock);
    // Every piece is claimed by now, and a claimed piece is being run by a thread that exists.
    pieces->allEnded.wait(hold, [&] { return pieces->ended == pieces->count; });
    if (pieces->problem)
        std::rethrow_exception(pieces->problem);
}
