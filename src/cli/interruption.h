#pragma once

// Ctrl-C, SIGTERM, SIGHUP and a closed pipe on standard output (SIGPIPE) stop a run in order
// instead of killing it: temporary files are removed and an office that gridstack started is
// shut down.

#include <csignal>
#include <stdexcept>

namespace gridwork::cli {

/// The run was stopped by a signal.
class Interrupted : public std::runtime_error {
public:
    explicit Interrupted(int signal) : std::runtime_error("interrupted"), signal_(signal) {}
    int signal() const noexcept { return signal_; }

private:
    int signal_;
};

/// While it lives, the first SIGINT, SIGTERM, SIGHUP or SIGPIPE is only recorded, and check() turns
/// it into an Interrupted exception at the run's next safe point. A second signal has its default
/// effect, so a run stuck in one long call can still be ended at once. One at a time.
class Interruption {
public:
    Interruption();
    ~Interruption();
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    /// The signal received so far, 0 for none.
    int signal() const noexcept;
    /// Throws Interrupted once a signal has come.
    void check() const;

private:
    struct sigaction previous_[4] = {};
};

} // namespace gridwork::cli
