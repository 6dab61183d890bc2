#include "cli/interruption.h"

#include <atomic>

namespace gridwork::cli {

namespace {

constexpr int handled[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// A signal handler can reach nothing but a static flag; a lock-free atomic, since the threads
// that read the tables look at it too.
std::atomic<int> received = 0;
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void record(int signal) {
    received = signal;
}

} // namespace

Interruption::Interruption() {
    received = 0;
    struct sigaction action {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int i = 0; i < 4; ++i)
        sigaction(handled[i], &action, &previous_[i]);
}

Interruption::~Interruption() {
    for (int i = 0; i < 4; ++i)
        sigaction(handled[i], &previous_[i], nullptr);
}

int Interruption::signal() const noexcept {
    return received;
}

void Interruption::check() const {
    if (received != 0)
        throw Interrupted(received);
}

} // namespace gridwork::cli
