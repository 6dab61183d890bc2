#pragma once

// The progress bar on standard error: only on a terminal, only for work that lasts longer than
// about a second, so quick runs and scripts see nothing.

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace gridwork::cli {

class Progress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /// A disabled progress draws nothing at all (not a terminal, or --quiet).
    Progress(
        std::ostream& out, bool enabled,
        Clock clock = [] { return std::chrono::steady_clock::now(); });
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    /// Starts a phase such as "reading table 1 of 2"; a total of 0 shows no bar, only the label.
    void begin(std::string label, std::int64_t total, std::string unit = {});
    /// How much of the current phase is done.
    void advance(std::int64_t done);
    /// Clears the bar from the terminal, so that messages that follow start on a clean line.
    void finish() noexcept;

private:
    void draw();

    std::ostream& out_;
    bool enabled_;
    Clock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    std::string label_;
    std::string unit_;
    std::int64_t total_ = 0;
    std::int64_t done_ = 0;
    bool drawn_ = false;
};

} // namespace gridwork::cli
