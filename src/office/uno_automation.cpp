#include "office/uno_automation.h"

#include "office/broken_pipes.h"
#include "office/office_process.h"
#include "office/uno_document.h"
#include "office/uno_support.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <rtl/bootstrap.hxx>
#include <thread>
#include <unistd.h>

namespace gridwork {

namespace css = com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using uno::fromOffice;
using uno::officeCall;
using uno::toOffice;

namespace {

// The office asks to be started again after it has set up a new profile; that exit ends the
// program we started, not the start-up.
constexpr int restartExitCode = 81;

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::string seconds(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(duration.count()) / 1000);
    return text;
}

} // namespace

OfficeOptions OfficeOptions::fromEnvironment() {
    OfficeOptions options;
    options.program = environmentValue("GRIDWORK_OFFICE");
    options.profileFolder = environmentValue("GRIDWORK_OFFICE_PROFILE").value_or("");
    options.headless = environmentValue("GRIDWORK_OFFICE_HEADLESS") == "1";
    return options;
}

std::string defaultPipeName(const std::string& profileFolder) {
    std::string name = "gridwork-stacker-" + std::to_string(::getuid());
    if (!profileFolder.empty()) {
        std::uint64_t hash = 14695981039346656037ULL; // FNV-1a
        for (const unsigned char c : profileFolder) {
            hash = (hash ^ c) * 1099511628211ULL;
        }
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
        name += std::string("-") + text;
    }
    return name;
}

struct UnoAutomation::Impl {
    OfficeOptions options;
    Reference<css::uno::XComponentContext> local;
    std::optional<OfficeProcess> started;
    Reference<css::frame::XDesktop> startedDesktop;
    bool startedLast = false;

    ~Impl() {
        if (started) {
            shutDownStartedOffice();
        }
        try {
            const Reference<css::lang::XComponent> component(local, UNO_QUERY);
            if (component.is()) {
                component->dispose();
            }
        } catch (const css::uno::Exception&) {
            // Tearing down our own end of the bridge; the office does not depend on it.
        }
    }

    void shutDownStartedOffice() noexcept {
        try {
            if (startedDesktop.is()) {
                startedDesktop->terminate();
            }
        } catch (const css::uno::Exception&) {
            // The bridge often dies while terminate() returns; the wait below decides.
        }
        if (!started->waitForExit(std::chrono::seconds(10))) {
            started->kill();
        }
        started->kill(); // reaps what the office program left in its group
        started.reset();
    }

    Reference<css::uno::XComponentContext> localContext() {
        if (!local.is()) {
            // Without URE_BOOTSTRAP, creating the desktop crashes the client instead of failing.
            rtl::Bootstrap::set(
                toOffice("URE_BOOTSTRAP"),
                toOffice("vnd.sun.star.pathname:" GRIDWORK_OFFICE_PROGRAM_DIR "/fundamentalrc"));
            local = officeCall([] { return cppu::defaultBootstrap_InitialComponentContext(); });
        }
        return local;
    }

    std::string pipe() const {
        return options.pipeName.empty() ? defaultPipeName(options.profileFolder) : options.pipeName;
    }

    // The desktop of the office on our pipe, or null when nothing listens there.
    Reference<css::frame::XDesktop> tryResolve() {
        // The connection's threads start here, and must outlive an office that goes away.
        const BrokenPipesBlocked quietConnection;
        const auto resolver = css::bridge::UnoUrlResolver::create(localContext());
        try {
            const Reference<css::uno::XComponentContext> remote(
                resolver->resolve(
                    toOffice("uno:pipe,name=" + pipe() + ";urp;StarOffice.ComponentContext")),
                css::uno::UNO_QUERY_THROW);
            return Reference<css::frame::XDesktop>(css::frame::Desktop::create(remote),
                                                   css::uno::UNO_QUERY_THROW);
        } catch (const css::connection::NoConnectException&) {
            return {};
        }
    }

    std::vector<std::string> arguments() const {
        std::vector<std::string> result;
        if (!options.profileFolder.empty()) {
            result.push_back("-env:UserInstallation=" +
                             fileUrl(std::filesystem::absolute(options.profileFolder).string()));
        }
        result.push_back("--accept=pipe,name=" + pipe() + ";urp;");
        for (const char* option : {"--norestore", "--nologo", "--nodefault", "--nolockcheck"}) {
            result.emplace_back(option);
        }
        if (options.headless) {
            result.emplace_back("--headless");
            result.emplace_back("--invisible");
        }
        return result;
    }

    Reference<css::frame::XDesktop> startAndResolve() {
        const std::string program = findOfficeProgram(options.program);
        std::vector<std::string> environment;
        if (!options.officeTempFolder.empty()) {
            environment.push_back("TMPDIR=" + options.officeTempFolder);
        }
        // Killed by its destructor on every failure below: never a half-started office.
        OfficeProcess process = OfficeProcess::start(program, arguments(), environment);
        const auto deadline = std::chrono::steady_clock::now() + options.startTimeout;
        std::string lastFailure;
        for (;;) {
            Reference<css::frame::XDesktop> desktop;
            try {
                desktop = tryResolve();
            } catch (const css::uno::Exception& error) {
                // A starting office can refuse or drop a connection (it restarts itself once
                // after creating a profile); only the deadline ends the attempts.
                lastFailure = uno::caughtOfficeError(error).what();
            }
            if (desktop.is()) {
                if (options.keepStartedOffice) {
                    process.release();
                } else {
                    started.emplace(std::move(process));
                    startedDesktop = desktop;
                }
                return desktop;
            }
            // An exit with 0 is normal when an office already running on the profile takes
            // over our --accept; keep trying until the deadline then.
            if (const auto code = process.exitCode();
                code && *code != 0 && *code != restartExitCode) {
                throw OfficeError("The office program \"" + program + "\" ended with exit code " +
                                  std::to_string(*code) + " before it accepted a connection");
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                throw OfficeError(
                    "The office program \"" + program +
                    "\" did not accept a connection on pipe \"" + pipe() + "\" within " +
                    seconds(options.startTimeout) + " and has been stopped" +
                    (lastFailure.empty() ? "" : " (last failure: " + lastFailure + ")"));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
};

UnoAutomation::UnoAutomation(OfficeOptions options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
}

UnoAutomation::~UnoAutomation() = default;

std::unique_ptr<Desktop> UnoAutomation::connect() {
    // A configured office program is checked even when an office already listens: whoever
    // names a program that is not there learns it at once.
    if (impl_->options.program) {
        findOfficeProgram(impl_->options.program);
    }
    Reference<css::frame::XDesktop> desktop = officeCall([&] { return impl_->tryResolve(); });
    impl_->startedLast = !desktop.is();
    if (!desktop.is()) {
        desktop = impl_->startAndResolve();
    }
    return officeCall([&] {
        return std::make_unique<uno::UnoDesktop>(
            Reference<css::frame::XComponentLoader>(desktop, css::uno::UNO_QUERY_THROW),
            uno::DocumentHandling{impl_->options.headless, impl_->options.alwaysExportBlocks});
    });
}

bool UnoAutomation::startedOffice() const {
    return impl_->startedLast;
}

std::optional<int> UnoAutomation::officeToShutDown() const {
    return impl_->started ? std::optional<int>(impl_->started->id()) : std::nullopt;
}

} // namespace gridwork
