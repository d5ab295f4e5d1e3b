#pragma once

#include <functional>

class QThreadPool;

/// Runs the pieces of work numbered 0 to `count` - 1, each exactly once, on the calling thread
/// and on at most `helpers` threads of Qt's thread pools (QThreadPool). Returns when every piece
/// has run. Each thread claims the next piece nobody has taken, so the calling thread always
/// works through whatever is left: when the pool has no thread free, or a thread cannot be started
/// at all (Qt 5's pool then never runs what it gave that thread), the work is done here and
/// nothing waits for a thread that never came. A helper that starts late finds nothing left and
/// touches no piece.
///
/// An exception thrown by a piece stops the pieces not yet claimed; the first one is rethrown
/// here once every claimed piece has ended, as it was thrown (`std::bad_alloc` stays itself).
///
/// `pool` is the pool the helpers come from; by default one of the program's own that is never
/// deleted (deleting a pool waits for every thread it ever counted, a thread that never started
/// included).
void runPooled(int count, int helpers, const std::function<void(int)>& piece,
               QThreadPool* pool = nullptr);
