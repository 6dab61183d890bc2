#pragma once

// The office operations over the embedded engine: documents are .ods files read into memory,
// edited there and stored by the engine's writer. No office is needed.

#include "join/calc_automation.h"

namespace gridwork {

class OdsAutomation : public CalcAutomation {
public:
    /// Always succeeds: the engine is part of the program.
    std::unique_ptr<Desktop> connect() override;
};

} // namespace gridwork
