#include "office/uno_automation.h"

#include "office/broken_pipes.h"
#include "office/connection_watch.h"
#include "office/office_process.h"
#include "office/office_profile.h"
#include "office/uno_document.h"
#include "office/uno_support.h"

#include <algorithm>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/frame/XModel.hpp>
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
using uno::ConnectionWatch;
using uno::fromOffice;
using uno::officeCall;
using uno::toOffice;

namespace {

// The office asks to be started again after it has set up a new profile; that exit ends the
// program we started, not the start-up.
constexpr int restartExitCode = 81;

constexpr const char* stoppedWaiting = "Stopped while waiting for the office";

// How often a connection that the office drops at once is tried, 50 ms apart.
constexpr int droppedConnectionAttempts = 100;

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
    std::optional<CachedProfile> cachedProfile;
    std::optional<OfficeProcess> started;
    Reference<css::frame::XDesktop> startedDesktop;
    std::shared_ptr<ConnectionWatch> startedWatch;
    std::shared_ptr<ConnectionWatch> lastWatch;
    std::optional<int> startedId;
    bool startedLast = false;

    ~Impl() {
        if (started) {
            shutDownStartedOffice();
        } else if (startedDesktop.is()) {
            endStartedOfficeWhenIdle();
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

    bool givenUp() const {
        return startedWatch && startedWatch->closed() != ConnectionWatch::Closed::no;
    }

    void shutDownStartedOffice() noexcept {
        try {
            if (startedDesktop.is() && !givenUp()) {
                const ConnectionWatch::Bound bound(startedWatch.get(), options.answerTimeout,
                                                   false);
                startedDesktop->terminate();
            }
        } catch (const css::uno::Exception&) {
            // The bridge often dies while terminate() returns; the wait below decides.
        }
        // An office that did not answer in time may be stuck, and growing: it is not waited for.
        if (givenUp() || !started->waitForExit(std::chrono::seconds(10))) {
            started->kill();
        }
        started->kill(); // reaps what the office program left in its group
        started.reset();
    }

    // An office this object started for the user is ended with the program unless it shows a
    // document: a join's result, or one the user opened there.
    void endStartedOfficeWhenIdle() noexcept {
        try {
            const BrokenPipesBlocked quietConnection;
            const ConnectionWatch::Bound bound(startedWatch.get(), options.answerTimeout, false);
            if (!givenUp() && !showsDocument()) {
                startedDesktop->terminate();
            }
        } catch (const css::uno::Exception&) {
            // The user ended the office already, or it does not answer: nothing to end here.
        }
    }

    // The office's windows hold documents or, once the user closed the last one, its start
    // centre, which holds none.
    bool showsDocument() const {
        const auto components = startedDesktop->getComponents()->createEnumeration();
        while (components->hasMoreElements()) {
            if (Reference<css::frame::XModel>(components->nextElement(), UNO_QUERY).is()) {
                return true;
            }
        }
        return false;
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

    // The desktop of the office on our pipe, or null when nothing listens there. An office that
    // listens but does not answer within `limit` fails: starting another one would not help.
    Reference<css::frame::XDesktop> tryResolve(std::chrono::milliseconds limit) {
        // The connection's threads start here, and must outlive an office that goes away.
        const BrokenPipesBlocked quietConnection;
        const auto context = localContext();
        Reference<css::connection::XConnection> connection;
        try {
            connection = css::connection::Connector::create(context)->connect(
                toOffice("pipe,name=" + pipe()));
        } catch (const css::connection::NoConnectException&) {
            return {};
        }
        auto watch = std::make_shared<ConnectionWatch>(connection, options.stopRequested);
        try {
            const ConnectionWatch::Bound bound(watch.get(), limit);
            const auto bridge = css::bridge::BridgeFactory::create(context)->createBridge(
                rtl::OUString(), toOffice("urp"), connection, {});
            const Reference<css::uno::XComponentContext> remote(
                bridge->getInstance(toOffice("StarOffice.ComponentContext")),
                css::uno::UNO_QUERY_THROW);
            Reference<css::frame::XDesktop> desktop(css::frame::Desktop::create(remote),
                                                    css::uno::UNO_QUERY_THROW);
            lastWatch = std::move(watch);
            return desktop;
        } catch (const css::uno::Exception&) {
            if (watch->closed() == ConnectionWatch::Closed::stopAsked) {
                throw OfficeError(stoppedWaiting);
            }
            if (watch->closed() == ConnectionWatch::Closed::limitPassed) {
                throw OfficeError("The office listening on pipe \"" + pipe() +
                                  "\" does not answer (it did not respond within " +
                                  seconds(limit) +
                                  "; it may be stopped or hanging): end that office and try "
                                  "again");
            }
            throw;
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
        // Killed by its destructor on every failure below: never a half-started office. One that
        // is not kept for the user also goes when this program is killed.
        OfficeProcess process =
            OfficeProcess::start(program, arguments(), environment, !options.keepStartedOffice);
        const auto deadline = std::chrono::steady_clock::now() + options.startTimeout;
        std::string lastFailure;
        for (;;) {
            Reference<css::frame::XDesktop> desktop;
            try {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                desktop = tryResolve(
                    std::clamp(left, std::chrono::milliseconds(1000), options.answerTimeout));
            } catch (const css::uno::Exception& error) {
                // A starting office can refuse or drop a connection (it restarts itself once
                // after creating a profile); only the deadline ends the attempts.
                lastFailure = uno::caughtOfficeError(error).what();
            }
            if (desktop.is()) {
                startedId = process.id();
                startedDesktop = desktop;
                startedWatch = lastWatch;
                if (options.keepStartedOffice) {
                    process.release();
                } else {
                    started.emplace(std::move(process));
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
            if (options.stopRequested && options.stopRequested()) {
                throw OfficeError(stoppedWaiting);
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
    // An office started only for this program needs none of the user's settings; one private
    // profile kept between runs spares it the first-start work of a fresh one.
    if (impl_->options.profileFolder.empty() && !impl_->options.keepStartedOffice) {
        impl_->cachedProfile.emplace();
        const auto& folder = impl_->cachedProfile->folder();
        // The office records the version it set a profile up with only when it ran with
        // windows; without it, it repeats its first-start work at every start. The locale
        // stays the user's, as for the program's own way of stacking.
        if (!std::filesystem::exists(folder / "user")) {
            seedOfficeProfile(folder, officeVersion(findOfficeProgram(impl_->options.program)),
                              false);
        }
        impl_->options.profileFolder = folder.string();
    }
    // A configured office program is checked even when an office already listens: whoever
    // names a program that is not there learns it at once.
    if (impl_->options.program) {
        findOfficeProgram(impl_->options.program);
    }
    Reference<css::frame::XDesktop> desktop;
    for (int attempt = 1;; ++attempt) {
        try {
            desktop = impl_->tryResolve(impl_->options.answerTimeout);
            break;
        } catch (const css::uno::Exception& error) {
            // An office killed a moment ago still takes connections on its pipe while it frees
            // its memory, and drops them: once it is gone, nothing listens and one is started.
            if (attempt == droppedConnectionAttempts) {
                throw uno::caughtOfficeError(error);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    impl_->startedLast = !desktop.is();
    if (!desktop.is()) {
        desktop = impl_->startAndResolve();
    }
    return officeCall([&] {
        return std::make_unique<uno::UnoDesktop>(
            Reference<css::frame::XComponentLoader>(desktop, css::uno::UNO_QUERY_THROW),
            uno::DocumentHandling{impl_->options.headless, impl_->options.alwaysExportBlocks,
                                  impl_->lastWatch, impl_->options.documentTimeout});
    });
}

bool UnoAutomation::startedOffice() const {
    return impl_->startedLast;
}

std::optional<int> UnoAutomation::startedOfficeId() const {
    return impl_->startedId;
}

} // namespace gridwork
