# Cross build for 32-bit Windows with the mingw-w64 posix-thread compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(KARPOLIN_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KARPOLIN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KARPOLIN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KARPOLIN_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KARPOLIN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the Windows executables through Wine; tools/test.sh sets up the prefix and display.
find_program(KARPOLIN_WINE wine)
if(KARPOLIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KARPOLIN_WINE})
endif()
