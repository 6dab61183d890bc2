#pragma once

// The threads of an office connection write to the office's end of a socket. When the office has
// just closed that end (it ended, crashed, or dropped a connection nobody uses any more) such a
// write raises SIGPIPE, whose default effect ends the whole program: the window or gridstack
// would vanish without a word. A blocked SIGPIPE leaves the write failing with EPIPE instead,
// and the connection reports the office as gone.

#include <signal.h>

namespace gridwork {

/// While it lives, SIGPIPE is blocked in the calling thread, so every thread started meanwhile
/// (threads inherit their creator's signal mask) blocks it for good. Start an office connection
/// under it. The calling thread gets its own mask back afterwards, with any SIGPIPE raised in
/// between dropped, so its own writes (standard output of a command line run) behave as before.
class BrokenPipesBlocked {
public:
    BrokenPipesBlocked() noexcept;
    ~BrokenPipesBlocked();
    BrokenPipesBlocked(const BrokenPipesBlocked&) = delete;
    BrokenPipesBlocked& operator=(const BrokenPipesBlocked&) = delete;

private:
    sigset_t previous_{};
    bool changed_ = false;
};

} // namespace gridwork
