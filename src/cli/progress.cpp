#include "cli/progress.h"

#include "cli/cell_range.h"

#include <algorithm>

namespace gridwork::cli {

namespace {

constexpr auto quietStart = std::chrono::seconds(1);
// Redrawing more often than a terminal refreshes only costs time.
constexpr auto redrawEvery = std::chrono::milliseconds(100);
constexpr int barWidth = 24;
constexpr std::size_t labelWidth = 36;

} // namespace

Progress::Progress(std::ostream& out, bool enabled, Clock clock)
    : out_(out), enabled_(enabled), clock_(std::move(clock)) {
    if (enabled_)
        start_ = lastDraw_ = clock_();
}

Progress::~Progress() {
    finish();
}

void Progress::begin(std::string label, std::int64_t total, std::string unit) {
    if (!enabled_)
        return;
    label_ = std::move(label);
    if (label_.size() > labelWidth)
        label_ = label_.substr(0, labelWidth - 3) + "...";
    unit_ = std::move(unit);
    total_ = total;
    done_ = 0;
    if (clock_() - start_ >= quietStart)
        draw();
}

void Progress::advance(std::int64_t done) {
    if (!enabled_)
        return;
    done_ = std::min(done, total_);
    const auto now = clock_();
    if (now - start_ >= quietStart && now - lastDraw_ >= redrawEvery)
        draw();
}

void Progress::draw() {
    std::string line = "\r" + label_ + std::string(labelWidth - label_.size() + 1, ' ');
    if (total_ > 0) {
        const auto filled = static_cast<int>(done_ * barWidth / total_);
        line += '[';
        line += std::string(static_cast<std::size_t>(filled), '#');
        line += std::string(static_cast<std::size_t>(barWidth - filled), ' ');
        line += "] ";
        line += std::to_string(done_ * 100 / total_) + "%  " + withThousands(done_) + " of " +
                withThousands(total_);
        if (!unit_.empty())
            line += " " + unit_;
    }
    // Erase what a longer earlier line left to the right.
    line += "\x1b[K";
    out_ << line << std::flush;
    lastDraw_ = clock_();
    drawn_ = true;
}

void Progress::finish() noexcept {
    if (!drawn_)
        return;
    drawn_ = false;
    try {
        out_ << "\r\x1b[K" << std::flush;
    } catch (...) {
        // A terminal that went away leaves nothing to tidy.
    }
}

} // namespace gridwork::cli
