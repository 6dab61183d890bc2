#include "office/office_process.h"

#include "join/calc_automation.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <spawn.h>
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
                                   const std::vector<std::string>& environment) {
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

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
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
    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        throw OfficeError("Cannot start the office program \"" + program +
                          "\": " + std::strerror(error));
    }
    return OfficeProcess(pid);
}

OfficeProcess::OfficeProcess(OfficeProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), exitCode_(other.exitCode_) {}

OfficeProcess& OfficeProcess::operator=(OfficeProcess&& other) noexcept {
    if (this != &other) {
        kill();
        pid_ = std::exchange(other.pid_, -1);
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
    pid_ = -1;
}

void OfficeProcess::release() noexcept {
    pid_ = -1;
}

} // namespace gridwork
