#include "platform/ThreadToken.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zqplatform {

class ThreadToken {
public:
    std::mutex lock;
    std::condition_variable endedChanged;
    bool ended = false;
};

ThreadToken* openCurrentThreadToken() {
    return new ThreadToken;
}

void markThreadTokenEnded(ThreadToken* token) noexcept {
    if (!token)
        return;
    std::lock_guard<std::mutex> hold(token->lock);
    token->ended = true;
    token->endedChanged.notify_all();
}

bool waitForThreadToken(ThreadToken* token, int milliseconds) noexcept {
    if (!token)
        return true;
    std::unique_lock<std::mutex> hold(token->lock);
    return token->endedChanged.wait_for(hold, std::chrono::milliseconds(milliseconds),
                                        [token] { return token->ended; });
}

void closeThreadToken(ThreadToken* token) noexcept {
    delete token;
}

}  // namespace zqplatform
