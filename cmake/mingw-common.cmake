# What both MinGW-w64 cross toolchains share; ZOREVA_MINGW_ARCH names the
# target processor. The win32 thread model: the posix one would link
# winpthreads, 30 KiB, into every program for the runtime's few locks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZOREVA_MINGW_ARCH})

set(CMAKE_C_COMPILER ${ZOREVA_MINGW_ARCH}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${ZOREVA_MINGW_ARCH}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${ZOREVA_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZOREVA_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
