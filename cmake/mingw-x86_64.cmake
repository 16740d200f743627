# Cross toolchain for the 64-bit Windows build of the same sources, for the
# tests on hosts that run no 32-bit code.
set(ZOREVA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
