#pragma once

// One owner for every kind of system handle: a traits type names the handle
// type, its "no handle" value and how to give it back, and TUniqueHandle
// closes it exactly once. Movable, not copyable.
//
//   struct TFindTraits {
//       using THandle = HANDLE;
//       static THandle Invalid() { return INVALID_HANDLE_VALUE; }
//       static void Close(THandle handle) { FindClose(handle); }
//   };
//   using TFindHandle = TUniqueHandle<TFindTraits>;

#include <utility>

template <typename Traits>
class TUniqueHandle {
public:
    using THandle = typename Traits::THandle;

    TUniqueHandle() = default;
    explicit TUniqueHandle(THandle handle) : Handle(handle) {}
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(TUniqueHandle&& other) noexcept : Handle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    THandle Get() const { return Handle; }
    bool Valid() const { return Handle != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }

    // Closes the handle held, if any, and takes the new one.
    void Reset(THandle handle = Traits::Invalid())
    {
        if (Valid()) Traits::Close(Handle);
        Handle = handle;
    }
    // Gives the handle up without closing it.
    THandle Release() { return std::exchange(Handle, Traits::Invalid()); }
    // Where a system call writes a new handle; closes the old one first.
    THandle* Receive()
    {
        Reset();
        return &Handle;
    }

private:
    THandle Handle = Traits::Invalid();
};
