#include "office/office_process.h"

#include "join/calc_automation.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace gridwork {
namespace {

bool isProgram(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return std::nullopt;
    }
    const std::string_view folders(path);
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', begin), folders.size());
        const std::string_view folder = folders.substr(begin, end - begin);
        if (!folder.empty() && isProgram(std::filesystem::path(folder) / name)) {
            return (std::filesystem::path(folder) / name).string();
        }
        begin = end + 1;
    }
    return std::nullopt;
}

// Folders under /opt whose names start with `prefix`, newest version (highest name) first.
std::vector<std::filesystem::path> optFolders(const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/opt", error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().starts_with(prefix)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.rbegin(), found.rend());
    return found;
}

// The state and process group from /proc/.../stat, "pid (name) state ppid pgrp ...", where the
// name may hold anything; nothing when the process or thread is gone.
std::optional<std::pair<char, pid_t>> stateAndGroup(const std::filesystem::path& stat) {
    std::ifstream in(stat);
    std::string text;
    if (!std::getline(in, text) || text.rfind(')') == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(text.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0;
    pid_t group = 0;
    if (!(fields >> state >> parent >> group)) {
        return std::nullopt;
    }
    return std::pair(state, group);
}

// Whether a process of the group has not ended yet. A process whose first thread has ended
// (an ended one that nobody has reaped yet counts as ended) may still have threads ending, the
// last of which frees its memory and only then closes its files.
bool groupLives(pid_t group) {
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
         it.increment(error)) {
        const auto process = stateAndGroup(it->path() / "stat");
        if (!process || process->second != group) {
            continue;
        }
        std::error_code taskError;
        for (std::filesystem::directory_iterator task(it->path() / "task", taskError), last;
             !taskError && task != last; task.increment(taskError)) {
            const auto thread = stateAndGroup(task->path() / "stat");
            if (thread && thread->first != 'Z' && thread->first != 'X') {
                return true;
            }
        }
    }
    return false;
}

} // namespace

std::string findOfficeProgram(const std::optional<std::string>& configured) {
    if (configured) {
        if (configured->empty()) {
            throw OfficeError("GRIDWORK_OFFICE is set but empty: set it to the path of the "
                              "office's soffice program, or unset it to search for the office");
        }
        if (!isProgram(*configured)) {
            throw OfficeError("The office program \"" + *configured +
                              "\" named by GRIDWORK_OFFICE does not exist or cannot be run");
        }
        return *configured;
    }
    for (const char* name : {"soffice", "libreoffice"}) {
        if (auto found = onPath(name)) {
            return *found;
        }
    }
    std::vector<std::filesystem::path> folders{"/usr/lib/libreoffice"};
    for (const char* prefix : {"libreoffice", "openoffice"}) {
        const auto more = optFolders(prefix);
        folders.insert(folders.end(), more.begin(), more.end());
    }
    for (const auto& folder : folders) {
        const auto program = folder / "program" / "soffice";
        if (isProgram(program)) {
            return program.string();
        }
    }
    throw OfficeError("No LibreOffice or OpenOffice found (looked for soffice and libreoffice on "
                      "PATH, in /usr/lib/libreoffice/program, /opt/libreoffice*/program and "
                      "/opt/openoffice*/program): install LibreOffice, or set GRIDWORK_OFFICE to "
                      "the path of its soffice program");
}

OfficeProcess OfficeProcess::start(const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& environment, bool endsWithUs) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        const auto name = variable.substr(0, variable.find('=') + 1);
        const bool replaced =
            std::any_of(environment.begin(), environment.end(),
                        [&](const std::string& e) { return e.starts_with(name); });
        if (!replaced) {
            variables.emplace_back(variable);
        }
    }
    variables.insert(variables.end(), environment.begin(), environment.end());

    // The watcher: a shell that leaves a reader of the lifeline in the background and becomes
    // the office program. The reader sees the end of the lifeline when the last process that
    // holds its other end (this one: it is closed on exec) has ended, and then kills the group;
    // a line read instead lets the office go.
    static constexpr const char* watcher =
        "{ read -r line <&3 || kill -KILL 0; } & exec \"$@\" 3<&-";
    int lifeline[2] = {-1, -1};
    std::vector<char*> argv;
    if (endsWithUs) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, lifeline) != 0) {
            throw OfficeError("Cannot start the office program \"" + program +
                              "\": no lifeline for it: " + std::strerror(errno));
        }
        for (const char* part : {"/bin/sh", "-c", watcher, "gridwork-office-watcher"}) {
            argv.push_back(const_cast<char*>(part));
        }
    }
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: the office outlives our terminal, and kill() reaches every process
    // the office program starts (the soffice script starts oosplash, which starts soffice.bin).
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // What the office prints ("failed to launch javaldx") would reach the user as if it were
    // ours; its failures reach us through the connection and its exit code.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (endsWithUs) {
        // A descriptor that is 3 already would keep its close-on-exec flag through dup2.
        if (lifeline[0] == 3) {
            lifeline[0] = ::fcntl(3, F_DUPFD_CLOEXEC, 4);
            ::close(3);
        }
        posix_spawn_file_actions_adddup2(&actions, lifeline[0], 3);
    }
    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (endsWithUs) {
        ::close(lifeline[0]);
        if (error != 0) {
            ::close(lifeline[1]);
        }
    }
    if (error != 0) {
        throw OfficeError("Cannot start the office program \"" + program +
                          "\": " + std::strerror(error));
    }
    return OfficeProcess(pid, lifeline[1]);
}

OfficeProcess::OfficeProcess(OfficeProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), lifeline_(std::exchange(other.lifeline_, -1)),
      exitCode_(other.exitCode_) {}

OfficeProcess& OfficeProcess::operator=(OfficeProcess&& other) noexcept {
    if (this != &other) {
        kill();
        pid_ = std::exchange(other.pid_, -1);
        lifeline_ = std::exchange(other.lifeline_, -1);
        exitCode_ = other.exitCode_;
    }
    return *this;
}

OfficeProcess::~OfficeProcess() {
    kill();
}

std::optional<int> OfficeProcess::exitCode() {
    if (!exitCode_ && pid_ > 0) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
    }
    return exitCode_;
}

bool OfficeProcess::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!exitCode()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void OfficeProcess::kill() noexcept {
    if (pid_ <= 0) {
        return;
    }
    // The group outlives the started program when that handed over or ended early.
    ::kill(-pid_, SIGKILL);
    if (!exitCode_) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exitCode_ = 128 + SIGKILL;
    }
    // A killed office frees its memory (gigabytes, when it was stuck growing) before it closes
    // its pipe, which meanwhile still takes connections: the next run would reach the dying
    // office instead of starting one.
    try {
        for (int i = 0; i < 500 && groupLives(pid_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } catch (const std::exception&) {
        // Out of memory for a path: the office ends all the same, a moment later.
    }
    pid_ = -1;
    closeLifeline();
}

void OfficeProcess::release() noexcept {
    if (lifeline_ >= 0) {
        ::send(lifeline_, "\n", 1, MSG_NOSIGNAL);
    }
    closeLifeline();
    pid_ = -1;
}

void OfficeProcess::closeLifeline() noexcept {
    if (lifeline_ >= 0) {
        ::close(lifeline_);
        lifeline_ = -1;
    }
}

} // namespace gridwork
