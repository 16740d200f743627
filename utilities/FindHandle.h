#pragma once

#include <windows.h>

// Closes a FindFirstFileA search when it goes out of scope.
class TFindHandle {
public:
    explicit TFindHandle(HANDLE handle) : Handle(handle) {}
    ~TFindHandle()
    {
        if (Handle != INVALID_HANDLE_VALUE) FindClose(Handle);
    }
    TFindHandle(const TFindHandle&) = delete;
    TFindHandle& operator=(const TFindHandle&) = delete;
    bool Valid() const { return Handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return Handle; }

private:
    HANDLE Handle;
};
