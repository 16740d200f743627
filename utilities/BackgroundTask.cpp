#include "utilities/BackgroundTask.h"

#include <utility>

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

TBackgroundTask::TBackgroundTask(std::function<void()> work) : Work(std::move(work))
{
    Thread.Reset(CreateThread(nullptr, 0, &TBackgroundTask::Run, this, 0, nullptr));
    if (!Thread) throw ESetupError("Cannot start a thread. " + files::LastSystemError());
}

TBackgroundTask::~TBackgroundTask()
{
    Join();
}

void TBackgroundTask::Wait()
{
    Join();
    if (Failure) std::rethrow_exception(std::exchange(Failure, nullptr));
}

void TBackgroundTask::Join()
{
    if (!Thread) return;
    WaitForSingleObject(Thread.Get(), INFINITE);
    Thread.Reset();
}

DWORD WINAPI TBackgroundTask::Run(void* task)
{
    auto& self = *static_cast<TBackgroundTask*>(task);
    try {
        self.Work();
    } catch (...) {
        self.Failure = std::current_exception();
    }
    return 0;
}
