#include "cli/interruption.h"

#include <gtest/gtest.h>

namespace gridwork::cli {
namespace {

TEST(Interruption, TurnsTheFirstSignalIntoAnExceptionAndRestoresTheHandlers) {
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
        const Interruption interruption;
        EXPECT_EQ(interruption.signal(), 0);
        EXPECT_NO_THROW(interruption.check());
        std::raise(SIGTERM);
        EXPECT_EQ(interruption.signal(), SIGTERM);
        try {
            interruption.check();
            ADD_FAILURE() << "no exception";
        } catch (const Interrupted& e) {
            EXPECT_EQ(std::string(e.what()), "interrupted");
            EXPECT_EQ(e.signal(), SIGTERM);
        }
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    {
        const Interruption interruption;
        std::raise(SIGPIPE);
        EXPECT_EQ(interruption.signal(), SIGPIPE);
    }
    // A new run starts without the old signal.
    const Interruption next;
    EXPECT_EQ(next.signal(), 0);
}

} // namespace
} // namespace gridwork::cli
