// gridstack: stacks spreadsheet tables from the command line, as the window's join does.

#include "cli/arguments.h"
#include "cli/backend.h"
#include "cli/engine_stack.h"
#include "cli/interruption.h"
#include "cli/office_source.h"
#include "cli/progress.h"
#include "cli/sheet_list.h"

#include <iostream>
#include <new>
#include <unistd.h>
#include <vector>

namespace {

int run(const gridwork::cli::Arguments& arguments) {
    using namespace gridwork::cli;
    const Interruption interruption;
    Progress progress(std::cerr, !arguments.quiet && ::isatty(STDERR_FILENO) == 1);
    try {
        const Checkpoint checkpoint = [&] { interruption.check(); };
        std::unique_ptr<gridwork::CalcAutomation> office;
        // A call that waits on the office ends at Ctrl-C: the office may never answer.
        if (arguments.office)
            office = makeInstalledOffice([&interruption] { return interruption.signal() != 0; });
        runStack(arguments,
                 office ? officeSourceReader(*office, checkpoint)
                        : engineSourceReader(arguments.values, checkpoint),
                 std::cout, progress, checkpoint);
        return 0;
    } catch (const std::bad_alloc&) {
        progress.finish();
        std::cerr << "gridstack: out of memory\n";
    } catch (const std::exception& e) {
        progress.finish();
        // Ctrl-C also reaches an office we started, whose failure is then no news. A reader
        // that stopped reading (`gridstack -o - ... | head`) needs no news either.
        if (interruption.signal() != 0) {
            if (interruption.signal() != SIGPIPE)
                std::cerr << "gridstack: interrupted\n";
            return 128 + interruption.signal();
        }
        std::cerr << "gridstack: " << e.what() << '\n';
    }
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace gridwork::cli;
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--list-sheets")
        return listSheets(std::string(args[1]), std::cout);
    Arguments arguments;
    try {
        arguments = parseArguments(args);
    } catch (const UsageError& e) {
        std::cerr << "gridstack: " << e.what() << '\n' << usageText();
        return 2;
    }
    if (arguments.help) {
        std::cout << helpText() << std::flush;
        return std::cout ? 0 : 1;
    }
    if (arguments.office && !hasOfficeLink()) {
        const std::string reason = runOfficeCompanion(argv);
        std::cerr << "gridstack: --office: " << reason << '\n';
        return 1;
    }
    if (arguments.version) {
        std::cout << "gridstack " GRIDWORK_VERSION "\n" << std::flush;
        return std::cout ? 0 : 1;
    }
    return run(arguments);
}
