#pragma once

// TBackgroundTask: one piece of work on a thread of its own, so that the
// program's own thread can do something else meanwhile. Wait() returns when
// the work is done and raises what the work raised; the destructor waits too,
// so nothing the work uses goes away under it.

#include <windows.h>

#include <exception>
#include <functional>

#include "utilities/Handles.h"

class TBackgroundTask {
public:
    // Raises ESetupError when no thread can be started.
    explicit TBackgroundTask(std::function<void()> work);
    ~TBackgroundTask();
    TBackgroundTask(const TBackgroundTask&) = delete;
    TBackgroundTask& operator=(const TBackgroundTask&) = delete;

    void Wait();

private:
    static DWORD WINAPI Run(void* task);
    void Join();

    std::function<void()> Work;
    std::exception_ptr Failure;
    TKernelHandle Thread;
};
