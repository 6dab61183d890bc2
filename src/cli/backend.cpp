#include "cli/backend.h"

#include "ods/ods_automation.h"

#ifdef GRIDWORK_CLI_WITH_OFFICE
#include "office/uno_automation.h"
#endif

#include <stdexcept>

namespace gridwork::cli {

std::unique_ptr<CalcAutomation> makeOffice(bool useInstalledOffice) {
    if (!useInstalledOffice)
        return std::make_unique<OdsAutomation>();
#ifdef GRIDWORK_CLI_WITH_OFFICE
    OfficeOptions options = OfficeOptions::fromEnvironment();
    // The result is stored and closed, so nothing is left for an office we started to show.
    options.keepStartedOffice = false;
    return std::make_unique<UnoAutomation>(std::move(options));
#else
    throw std::runtime_error("--office: this gridstack was built without the office link");
#endif
}

} // namespace gridwork::cli
