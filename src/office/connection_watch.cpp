#include "office/connection_watch.h"

#include <algorithm>
#include <com/sun/star/uno/Exception.hpp>

namespace gridwork::uno {

namespace {
// How soon a waiting call ends after a stop is asked.
constexpr std::chrono::milliseconds stopPoll{50};
} // namespace

ConnectionWatch::ConnectionWatch(
    com::sun::star::uno::Reference<com::sun::star::connection::XConnection> connection,
    std::function<bool()> stopAsked)
    : connection_(std::move(connection)), stopAsked_(std::move(stopAsked)),
      thread_([this] { watch(); }) {}

ConnectionWatch::~ConnectionWatch() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

ConnectionWatch::Bound::Bound(ConnectionWatch* watch, std::chrono::milliseconds limit,
                              bool stoppable)
    : watch_(watch) {
    // Most calls of the window have nothing to be bounded by, and are left unwatched.
    if (watch_ != nullptr && limit.count() == 0 && !(stoppable && watch_->stopAsked_))
        watch_ = nullptr;
    if (watch_ == nullptr)
        return;
    bool first = false;
    {
        const std::lock_guard lock(watch_->mutex_);
        first = watch_->bounds_++ == 0;
        if (first) {
            watch_->deadline_ = limit.count() > 0
                                    ? std::optional(std::chrono::steady_clock::now() + limit)
                                    : std::nullopt;
            watch_->stoppable_ = stoppable;
        }
    }
    // Only a first bound has the watch start timing; when the last one ends, the watch finds
    // that out on its next waking, which spares a waking for every call.
    if (first)
        watch_->wake_.notify_all();
}

ConnectionWatch::Bound::~Bound() {
    if (watch_ == nullptr)
        return;
    const std::lock_guard lock(watch_->mutex_);
    --watch_->bounds_;
}

ConnectionWatch::Closed ConnectionWatch::closed() const {
    const std::lock_guard lock(mutex_);
    return closed_;
}

void ConnectionWatch::watch() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return ending_ || bounds_ > 0; });
        if (ending_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (deadline_ && now >= *deadline_) {
            closed_ = Closed::limitPassed;
            break;
        }
        const bool polling = stopAsked_ && stoppable_;
        if (polling && stopAsked_()) {
            closed_ = Closed::stopAsked;
            break;
        }
        if (polling)
            wake_.wait_until(lock,
                             deadline_ ? std::min(*deadline_, now + stopPoll) : now + stopPoll);
        else if (deadline_)
            wake_.wait_until(lock, *deadline_);
        else
            wake_.wait(lock);
    }
    lock.unlock();
    try {
        connection_->close();
    } catch (const com::sun::star::uno::Exception&) {
        // Already closed: the waiting call fails either way.
    }
}

} // namespace gridwork::uno
