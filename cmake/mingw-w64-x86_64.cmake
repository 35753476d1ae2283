# Cross-builds the Windows console program with MinGW-w64 (64-bit) from a Linux host:
#   cmake --preset mingw && cmake --build build/mingw
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SUMWRIGHT_MINGW_PREFIX x86_64-w64-mingw32)

# The posix thread model: the program runs its CRC and writes its output on a second
# std::thread, which the win32 model of this compiler lacks. The C compiler builds the check of
# the boot-side header.
find_program(SUMWRIGHT_MINGW_CXX NAMES ${SUMWRIGHT_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(SUMWRIGHT_MINGW_CC NAMES ${SUMWRIGHT_MINGW_PREFIX}-gcc-posix REQUIRED)
find_program(SUMWRIGHT_MINGW_RC NAMES ${SUMWRIGHT_MINGW_PREFIX}-windres)
set(CMAKE_CXX_COMPILER ${SUMWRIGHT_MINGW_CXX})
set(CMAKE_C_COMPILER ${SUMWRIGHT_MINGW_CC})
if(SUMWRIGHT_MINGW_RC)
  set(CMAKE_RC_COMPILER ${SUMWRIGHT_MINGW_RC})
endif()

# Look for libraries and headers in the MinGW-w64 tree only, programs on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SUMWRIGHT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Run cross-built programs (such as a test's discovery step) under Wine when it is installed.
find_program(SUMWRIGHT_WINE NAMES wine)
if(SUMWRIGHT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SUMWRIGHT_WINE})
endif()
