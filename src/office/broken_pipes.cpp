#include "office/broken_pipes.h"

#include <ctime>
#include <pthread.h>

namespace gridwork {

namespace {

sigset_t brokenPipe() noexcept {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

} // namespace

BrokenPipesBlocked::BrokenPipesBlocked() noexcept {
    const sigset_t set = brokenPipe();
    changed_ = ::pthread_sigmask(SIG_BLOCK, &set, &previous_) == 0 &&
               sigismember(&previous_, SIGPIPE) == 0;
}

BrokenPipesBlocked::~BrokenPipesBlocked() {
    if (!changed_) {
        return;
    }
    // A SIGPIPE this thread raised while blocked would strike the moment it is unblocked.
    sigset_t pending;
    if (::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
        const sigset_t set = brokenPipe();
        const timespec noWait{};
        ::sigtimedwait(&set, nullptr, &noWait);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace gridwork
