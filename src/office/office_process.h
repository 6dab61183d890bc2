#pragma once

// Finding and starting the office program. No UNO here: this is plain process handling.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace gridwork {

/// The soffice program to start. A configured path is the only one tried and must exist;
/// otherwise soffice or libreoffice on PATH, then /usr/lib/libreoffice/program,
/// /opt/libreoffice*/program and /opt/openoffice*/program (newest name first).
/// Throws OfficeError naming what was tried.
std::string findOfficeProgram(const std::optional<std::string>& configured);

/// A started office: the program and everything it starts run in a session and process group
/// of their own, so a half-started office can be removed as a whole. The destructor kills the
/// group unless release() handed the office over to the user.
class OfficeProcess {
public:
    /// Starts the program with the arguments; `environment` entries ("NAME=value") are added to
    /// or replace the ones this process has. Throws OfficeError when the program cannot be run.
    /// With `endsWithUs` a watcher in the office's group kills the group once this process has
    /// ended in whatever way, also killed, unless release() let the office go first.
    static OfficeProcess start(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::vector<std::string>& environment,
                               bool endsWithUs = false);

    OfficeProcess(OfficeProcess&& other) noexcept;
    OfficeProcess& operator=(OfficeProcess&& other) noexcept;
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;
    ~OfficeProcess();

    pid_t id() const { return pid_; }
    /// The exit code once the started program has ended (a signal gives 128 + its number).
    std::optional<int> exitCode();
    /// Waits at most `limit` for the started program to end; true when it has.
    bool waitForExit(std::chrono::milliseconds limit);
    /// Kills the whole process group and reaps the started program. Never throws.
    void kill() noexcept;
    /// Leaves the office running after this object is gone.
    void release() noexcept;

private:
    OfficeProcess(pid_t pid, int lifeline) : pid_(pid), lifeline_(lifeline) {}
    void closeLifeline() noexcept;

    pid_t pid_ = -1;
    /// The only writing end of the pipe the watcher reads; -1 without a watcher.
    int lifeline_ = -1;
    std::optional<int> exitCode_;
};

} // namespace gridwork
