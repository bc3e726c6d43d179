# Cross build of the same source for 64-bit Windows, tested under wine64 on machines that refuse
# 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KARPOLIN_MINGW x86_64-w64-mingw32)
set(KARPOLIN_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
