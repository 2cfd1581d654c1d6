// Every suite that runs the bundle links this check: a test fails when the host library's
// connection refused a message between processor and controller because it was sent on another
// thread than the UI thread, as hosts built on the VST3 SDK refuse (and lose) such messages.
// A listener compares the host library's process-wide count before and after each test.
#include "host/PluginHost.h"

#include <gtest/gtest.h>

namespace {

class RefusedMessageCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { before = zephra::host::refusedMessagesInProcess(); }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        if (const int64_t refused = zephra::host::refusedMessagesInProcess() - before)
            ADD_FAILURE() << refused << " message(s) between processor and controller were sent off the "
                          << "UI thread and refused, as hosts built on the VST3 SDK refuse them";
    }
    int64_t before = 0;
};

[[maybe_unused]] const bool installed =
    (::testing::UnitTest::GetInstance()->listeners().Append(new RefusedMessageCheck), true);

} // namespace
