# Cross build for 32-bit Windows (the product) with the mingw-w64 posix-thread compilers.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KARPOLIN_MINGW i686-w64-mingw32)
set(KARPOLIN_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
