#include "utilities/BackgroundTask.h"

#include <gtest/gtest.h>

#include "utilities/SetupError.h"

// The setup unpacks its payload on such a task while it makes its windows.
TEST(BackgroundTask, RunsBesideItsCallerAndHandsBackTheOutcome)
{
    // Work that can end only after the caller has gone on shows that both run at once.
    TKernelHandle callerWentOn(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    DWORD workThread = 0;
    bool finished = false;
    TBackgroundTask task([&] {
        workThread = GetCurrentThreadId();
        finished = WaitForSingleObject(callerWentOn.Get(), 10000) == WAIT_OBJECT_0;
    });
    SetEvent(callerWentOn.Get());
    task.Wait();
    EXPECT_TRUE(finished);
    EXPECT_NE(workThread, GetCurrentThreadId());
    EXPECT_NO_THROW(task.Wait()) << "a second wait finds the work done";

    TBackgroundTask failing([] { throw ESetupError("Archive file not found"); });
    try {
        failing.Wait();
        ADD_FAILURE() << "the work's failure was lost";
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "Archive file not found");
    }
    EXPECT_NO_THROW(failing.Wait()) << "a failure is raised once";

    // Ending without a wait still waits: the work never outlives what it uses.
    bool done = false;
    {
        TBackgroundTask unattended([&done] {
            Sleep(100);
            done = true;
        });
        TBackgroundTask failingUnattended([] { throw ESetupError("never asked for"); });
    }
    EXPECT_TRUE(done);
}
