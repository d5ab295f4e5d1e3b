#pragma once

namespace zqplatform {

/// An opaque token for the operating-system thread that runs one engine command. The thread
/// makes it as it starts and marks it ended as it leaves; another thread may wait a bounded
/// time for that mark, then closes the token. Joining the thread itself stays the job of
/// whoever started it (QThread::wait); the token only bounds the wait for the very last
/// instructions of the native thread.
class ThreadToken;

/// A new token for the calling thread. Never null.
ThreadToken* openCurrentThreadToken();

/// Called by the thread of the token as its last step; wakes a waiter.
void markThreadTokenEnded(ThreadToken* token) noexcept;

/// Waits at most `milliseconds` for `markThreadTokenEnded`; true when it came. A null token
/// counts as ended.
bool waitForThreadToken(ThreadToken* token, int milliseconds) noexcept;

/// Frees the token; null is fine. Only after the thread is done with it.
void closeThreadToken(ThreadToken* token) noexcept;

}  // namespace zqplatform
