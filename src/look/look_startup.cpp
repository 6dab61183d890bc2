#include "look/look_startup.h"

#include "look/hand_pointer.h"

namespace gridwork {

void runLookStartup(StepTrap& trap, QWidget& window, const QString& programFolder,
                    PointerFeedback& feedback, SkinFramework& skin,
                    const std::function<bool(const QString&)>& fileExists) {
    const QString handPointer = handPointerPath(programFolder);
    if (trap.test(102, [&] { return fileExists(handPointer); })) {
        trap.step(104, [&] { loadHandPointer(handPointer, feedback); });
    }
    trap.step(106, [&] { applySkin(window, programFolder, skin); });
}

} // namespace gridwork
