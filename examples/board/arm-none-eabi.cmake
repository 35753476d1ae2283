# SPDX-License-Identifier: MIT
# Cross toolchain for Cortex-M3 firmware with Debian's gcc-arm-none-eabi and its C library,
# libnewlib-arm-none-eabi:
#   cmake -S examples/board -B build/board --toolchain examples/board/arm-none-eabi.cmake ...
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_C_FLAGS_INIT "-mcpu=cortex-m3 -mthumb")
# A bare-metal program cannot link without the project's startup code and linker script: the
# compiler checks build a static library instead.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
