# What the two mingw-w64 cross builds share; the target's toolchain file sets KARPOLIN_MINGW (the
# compiler prefix), CMAKE_SYSTEM_PROCESSOR and KARPOLIN_WINE_LOADER (the Wine loader of its bitness).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KARPOLIN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KARPOLIN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KARPOLIN_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KARPOLIN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the Windows executables through Wine; tools/test.sh sets up the prefix and display.
# The loader is named directly: Debian's `wine` script picks the 32-bit loader whenever it is
# installed, even on a machine that cannot run it.
find_program(KARPOLIN_WINE ${KARPOLIN_WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT KARPOLIN_WINE)
    find_program(KARPOLIN_WINE ${KARPOLIN_WINE_LOADER})
endif()
# The wrapper fails a test whose program ended before the test finished, which Wine reports as success
# after a stack overflow.
if(KARPOLIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-test-run.sh ${KARPOLIN_WINE})
endif()
