#pragma once

// UNO calls have no timeout of their own, and a call waits for ever on an office that is
// stopped, hanging or busy without end. A watch closes its connection once a call has run past
// its limit, or once the program asks to stop while a call waits; the waiting call then fails
// at once. Private to this folder.

#include <chrono>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace gridwork::uno {

class ConnectionWatch {
public:
    /// Why the watch closed the connection.
    enum class Closed { no, limitPassed, stopAsked };

    /// `stopAsked`, when given, is asked from the watch's own thread every few dozen
    /// milliseconds while a call waits. Start it under BrokenPipesBlocked, as the connection.
    ConnectionWatch(
        com::sun::star::uno::Reference<com::sun::star::connection::XConnection> connection,
        std::function<bool()> stopAsked);
    ~ConnectionWatch();
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

    /// While it lives, the calls on the connection are bounded: the connection is closed once
    /// the limit has passed (a zero limit: no bound of time) or a stop is asked. Bounds that
    /// overlap (a bounded call made inside another) keep the first one's limit. Without a
    /// watch it bounds nothing. A bound that is not `stoppable` waits out its limit also after
    /// a stop is asked: ending the office in order is worth that wait.
    class [[nodiscard]] Bound {
    public:
        Bound(ConnectionWatch* watch, std::chrono::milliseconds limit, bool stoppable = true);
        ~Bound();
        Bound(const Bound&) = delete;
        Bound& operator=(const Bound&) = delete;

    private:
        ConnectionWatch* watch_;
    };

    Closed closed() const;

private:
    void watch();

    com::sun::star::uno::Reference<com::sun::star::connection::XConnection> connection_;
    std::function<bool()> stopAsked_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int bounds_ = 0;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    bool stoppable_ = true;
    Closed closed_ = Closed::no;
    bool ending_ = false;
    std::thread thread_; // last: starts once the members above exist
};

} // namespace gridwork::uno
